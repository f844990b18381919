// The hardware device path's table of drawing operations, installed once a device is up.
// Graphics entries that have no device form yet refuse.
#include "graphics/device/device_ops.h"

#include "graphics/device/device_drawing.h"

namespace {

void SetDeviceBlendImage(GraphicRecord*) {}
int CreateDeviceGraphicImage(GraphicRecord*) { return -1; }
int AttachDeviceSubGraphic(GraphicRecord*, const GraphicRecord*, int, int) { return -1; }
void ReleaseDeviceGraphicView(GraphicRecord*) {}
void ReleaseDeviceGraphicImage(GraphicImage*) {}
int PaintDeviceGraphic(GraphicRecord*, int, int, int, int) { return -1; }
int PutDeviceGraphic(int, int, GraphicRecord*, int) { return -1; }
int PutDeviceGraphicQuad(const float[4][2], GraphicRecord*, int) { return -1; }
int CopyToDeviceGraphic(GraphicRecord*, const PixelImage&, const PixelImage*, const PixelRect&, int, int) { return -1; }

}  // namespace

const DrawOpsTable kDeviceDrawOps = {
    DeviceOpenScreen,         DeviceReleaseScreen,    DeviceClearScreen,        DevicePresentScreen,
    DeviceReadScreenPixels,
    DeviceSetDrawTarget,      DeviceSetDrawRegion,    DeviceBlendStateChanged,  SetDeviceBlendImage,
    DeviceDrawLine,           DeviceDrawBox,          DeviceSubmitVertices,
    CreateDeviceGraphicImage, AttachDeviceSubGraphic, ReleaseDeviceGraphicView, ReleaseDeviceGraphicImage,
    PaintDeviceGraphic,       PutDeviceGraphic,       PutDeviceGraphicQuad,     CopyToDeviceGraphic,
};
