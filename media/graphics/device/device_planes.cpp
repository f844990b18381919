// Movies on the device path: a picture's three planes go up as single-channel textures and
// the shader converts them into the graphic's render surface.
#include "graphics/device/device_drawing.h"
#include "graphics/device/device_graphics.h"
#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/draw_state.h"
#include "graphics/software/planar_convert.h"
#include "platform/gl/gl_device.h"

namespace ror {

int DevicePutPlanarPicture(GraphicRecord* g, const PlanarPicture& picture)
{
    GraphicImage* image = g->image;
    if (!DeviceState.device || image->pieces == nullptr) return -1;
    // Without a render surface (a device that cannot draw into textures) the picture is
    // converted as the software path does and copied in.
    if (image->pieceCount != 1 || image->pieces[0].surface <= 0)
        return CopyPlanarPictureInBands(g, picture, DeviceCopyToGraphic);
    FlushBatch();
    const int32_t widths[3] = {picture.width, ChromaWidth(picture), ChromaWidth(picture)};
    const int32_t heights[3] = {picture.height, ChromaHeight(picture), ChromaHeight(picture)};
    for (int i = 0; i < 3; ++i) {
        // The planes keep the movie's size, so their textures are made once.
        if (image->planeTextures[i] == 0) {
            const int32_t texture = CreateGlTexture(widths[i], heights[i], GlPixelFormat::R8, 1);
            if (texture <= 0) return -1;
            image->planeTextures[i] = texture;
        }
        if (UpdateGlTextureLevels(image->planeTextures[i], 0, 0, widths[i], heights[i], picture.planes[i],
                                  picture.pitches[i]) != 0)
            return -1;
    }
    const int result = SetGlTarget(image->pieces[0].surface) == 0 &&
                               DrawGlPlanes(image->planeTextures, picture.width, picture.height) == 0
                           ? 0
                           : -1;
    // Drawing goes on into the target and area it had.
    DeviceSetDrawTarget(DrawState.drawTarget,
                        DrawState.drawTarget >= 0 ? ResolveGraphic(DrawState.drawTarget) : nullptr);
    DeviceSetDrawRegion(DrawState.drawArea);
    return result;
}

}  // namespace ror
