#include "graphics/blend_graphics.h"

#include "core/tracked_memory.h"
#include "graphics/draw_ops.h"
#include "graphics/graphics.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"
#include "rorodiv.h"
#include "core/last_failure.h"

#include <cstring>

namespace ror {

int UploadBlendLevels(GraphicRecord* g, int x, int y, int width, int height)
{
    const PixelRect area{g->offsetX + x, g->offsetY + y, g->offsetX + x + width, g->offsetY + y + height};
    return DrawOps.uploadBlendImage(g->image, area);
}

}  // namespace ror

using namespace ror;

int CreateBlendGraphic(int width, int height)
{
    if (!ScreenSettings.graphicsReady) return FailedNotStarted(__func__);
    if (width <= 0 || height <= 0) return FailedArgument(__func__);
    WaitWhileWindowInactive();
    const int handle = NewImageGraphic(width, height);
    if (handle == -1) return -1;
    GraphicRecord* g = ResolveGraphic(handle);
    GraphicImage* image = g->image;
    image->blend = 1;
    // The levels live in memory on both paths: the software loops read them, and the device
    // path keeps a texture made from them.
    if (CreateMemImg(&image->store, width, height, -1, 0, 2, 0, 0, 0, nullptr) != 0) {
        DestroyGraphic(handle);
        return -1;
    }
    FillMemImg(&image->store, nullptr, 0);
    MakeSubImage(&g->view, &image->store, 0, 0, width, height);
    if (UploadBlendLevels(g, 0, 0, width, height) != 0) {
        DestroyGraphic(handle);
        return -1;
    }
    return handle;
}

namespace ror {

int WriteBlendLevels(GraphicRecord* g, const uint32_t* argb, int pitch, int x, int y, int width, int height)
{
    for (int row = 0; row < height; ++row) {
        const uint32_t* in = argb + intptr_t(row) * pitch;
        uint8_t* out = MemImgRow(&g->view, y + row) + x;
        for (int col = 0; col < width; ++col) out[col] = BrightnessOf(in[col]);
    }
    return UploadBlendLevels(g, x, y, width, height);
}

int FillBlendLevels(GraphicRecord* g, int level)
{
    FillMemImg(&g->view, nullptr, uint32_t(level));
    return UploadBlendLevels(g, 0, 0, g->width, g->height);
}

int BlendGraphicOfPixels(const uint32_t* argb, int pitch, int width, int height)
{
    const int handle = CreateBlendGraphic(width, height);
    if (handle == -1) return -1;
    if (WriteBlendLevels(ResolveGraphic(handle), argb, pitch, 0, 0, width, height) != 0) {
        DestroyGraphic(handle);
        return -1;
    }
    return handle;
}

}  // namespace ror

int MakeBlendGraphic(int source)
{
    GraphicRecord* g = ResolveGraphic(source);
    if (!ScreenSettings.graphicsReady) return FailedNotStarted(__func__);
    if (g == nullptr) return FailedHandle(__func__, source);
    if (IsBlendGraphic(g)) {
        // A copy of the levels as they are.
        const int handle = CreateBlendGraphic(g->width, g->height);
        if (handle == -1) return -1;
        GraphicRecord* copy = ResolveGraphic(handle);
        g = ResolveGraphic(source);
        for (int row = 0; row < g->height; ++row)
            std::memcpy(MemImgRow(&copy->view, row), MemImgRow(&g->view, row), size_t(g->width));
        if (UploadBlendLevels(copy, 0, 0, g->width, g->height) != 0) {
            DestroyGraphic(handle);
            return -1;
        }
        return handle;
    }
    const int width = g->width, height = g->height;
    if (int64_t(width) * height * 4 > 0x7FFFFFFF) return FailedArgument(__func__);
    auto* pixels = static_cast<uint32_t*>(TrackedAlloc(int32_t(sizeof(uint32_t)) * width * height, __FILE__, __LINE__));
    if (pixels == nullptr) return -1;
    const int handle =
        DrawOps.readGraphicPixels(g, pixels) == 0 ? BlendGraphicOfPixels(pixels, width, width, height) : -1;
    TrackedFree(pixels);
    return handle;
}
