// The hardware device path's table of drawing operations, installed once a device is up.
#include "graphics/device/device_ops.h"

#include "graphics/device/device_drawing.h"
#include "graphics/device/device_graphics.h"
#include "text/glyph_texture.h"  // DeviceDrawText

namespace ror {

namespace {

int DeviceGlyphsInTextures() { return 1; }

}  // namespace

const DrawOpsTable kDeviceDrawOps = {
    .openScreen = DeviceOpenScreen,
    .releaseScreen = DeviceReleaseScreen,
    .clearScreen = DeviceClearScreen,
    .presentScreen = DevicePresentScreen,
    .readScreenPixels = DeviceReadScreenPixels,
    .setDrawTarget = DeviceSetDrawTarget,
    .setDrawRegion = DeviceSetDrawRegion,
    .blendStateChanged = DeviceBlendStateChanged,
    .setBlendImage = DeviceSetBlendImage,
    .drawLine = DeviceDrawLine,
    .drawBox = DeviceDrawBox,
    .submitVertices = DeviceSubmitVertices,
    .createGraphicImage = DeviceCreateGraphicImage,
    .attachSubGraphic = DeviceAttachSubGraphic,
    .releaseGraphicView = DeviceReleaseGraphicView,
    .releaseGraphicImage = DeviceReleaseGraphicImage,
    .paintGraphic = DevicePaintGraphic,
    .putGraphic = DevicePutGraphic,
    .putGraphicQuad = DevicePutGraphicQuad,
    .putGraphicTransformed = DevicePutGraphicTransformed,
    .copyToGraphic = DeviceCopyToGraphic,
    .readGraphicPixels = DeviceReadGraphicPixels,
    .readScreenPixel = DeviceReadScreenPixel,
    .readGraphicPixel = DeviceReadGraphicPixel,
    .putPlanarPicture = DevicePutPlanarPicture,
    .uploadBlendImage = DeviceUploadBlendImage,
    .releaseBlendImage = DeviceReleaseBlendImage,
    .glyphsInTextures = DeviceGlyphsInTextures,
    .drawText = DeviceDrawText,
};

}  // namespace ror
