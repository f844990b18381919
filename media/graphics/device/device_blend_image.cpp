// Blend images on the device path: their levels, kept in memory, as one single-channel
// texture that the blended draws sample.
#include "graphics/device/device_graphics.h"
#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"

namespace ror {

int DeviceUploadBlendImage(GraphicImage* image, const PixelRect& area)
{
    if (!DeviceState.device) return -1;
    if (image->blendTexture == 0) {
        const int32_t texture = CreateGlTexture(image->width, image->height, GlPixelFormat::R8, 1);
        if (texture <= 0) return -1;
        image->blendTexture = texture;
    }
    const MEMIMG& store = image->store;
    // The batch may still sample the old levels.
    FlushBatch();
    return UpdateGlTextureLevels(image->blendTexture, area.left, area.top, area.right - area.left,
                                 area.bottom - area.top, MemImgRow(&store, area.top) + area.left, store.base->pitch);
}

void DeviceReleaseBlendImage(GraphicImage* image)
{
    if (image->blendTexture == 0) return;
    FlushBatch();
    DestroyGlTexture(image->blendTexture);
    image->blendTexture = 0;
}

}  // namespace ror
