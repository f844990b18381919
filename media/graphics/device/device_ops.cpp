// The hardware device path's table of drawing operations. Until the device forms exist every
// entry refuses, and the table is installed only once a device is up.
#include "graphics/device/device_ops.h"

namespace {

int OpenDeviceScreen() { return -1; }
void ReleaseDeviceScreen() {}
int ClearDeviceScreen() { return 0; }  // without a device there is nothing to clear
int PresentDeviceScreen() { return 0; }
int SetDeviceDrawTarget(int32_t, GraphicRecord*) { return -1; }
void SetDeviceDrawRegion(const PixelRect&) {}
void DeviceBlendStateChanged() {}
void SetDeviceBlendImage(GraphicRecord*) {}
int DrawDeviceLine(int, int, int, int, uint32_t) { return -1; }
int DrawDeviceBox(int, int, int, int, uint32_t, int) { return -1; }
int SubmitDeviceVertices(const PolygonVertex*, int, int, int, int) { return -1; }
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
    OpenDeviceScreen,         ReleaseDeviceScreen,    ClearDeviceScreen,        PresentDeviceScreen,
    SetDeviceDrawTarget,      SetDeviceDrawRegion,    DeviceBlendStateChanged,  SetDeviceBlendImage,
    DrawDeviceLine,           DrawDeviceBox,          SubmitDeviceVertices,
    CreateDeviceGraphicImage, AttachDeviceSubGraphic, ReleaseDeviceGraphicView, ReleaseDeviceGraphicImage,
    PaintDeviceGraphic,       PutDeviceGraphic,       PutDeviceGraphicQuad,     CopyToDeviceGraphic,
};
