// The hardware device path's table of drawing operations, installed once a device is up.
// Graphics entries that have no device form yet refuse.
#include "graphics/device/device_ops.h"

#include "graphics/device/device_drawing.h"
#include "graphics/device/device_graphics.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg_blit.h"

namespace {

// Opening the screen ties the textured graphics in: draw-target surfaces and textured polygons.
int OpenDeviceScreenWithGraphics()
{
    ForgetTexelState();
    SetGraphicSurfaceLookup(DeviceGraphicSurface);
    SetTexturedVerticesHook(SubmitTexturedVertices);
    return DeviceOpenScreen();
}

// A blend change sets the device's blend again, so the textured draws must set theirs again.
void DeviceBlendAndTexelStateChanged()
{
    DeviceBlendStateChanged();
    ForgetTexelState();
}

// The blended draws read the weights when they set the device up.
void SetDeviceBlendImage(GraphicRecord*)
{
    BuildRuleTable(DrawState.ruleTable, DrawState.blendBorder, DrawState.blendRange);
}

}  // namespace

const DrawOpsTable kDeviceDrawOps = {
    OpenDeviceScreenWithGraphics,
    DeviceReleaseScreen,
    DeviceClearScreen,
    DevicePresentScreen,
    DeviceReadScreenPixels,
    DeviceSetDrawTarget,
    DeviceSetDrawRegion,
    DeviceBlendAndTexelStateChanged,
    SetDeviceBlendImage,
    DeviceDrawLine,
    DeviceDrawBox,
    DeviceSubmitVertices,
    CreateDeviceGraphicImage,
    AttachDeviceSubGraphic,
    ReleaseDeviceGraphicView,
    ReleaseDeviceGraphicImage,
    PaintDeviceGraphic,
    PutDeviceGraphic,
    PutDeviceGraphicQuad,
    CopyToDeviceGraphic,
    ReadDeviceGraphicPixels,
    UploadDeviceBlendImage,
    ReleaseDeviceBlendImage,
};
