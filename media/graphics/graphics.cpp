// Graphics named by handles: the records, their shared images and the checks both drawing
// paths share; the pixels are the installed path's.
#include "graphics/graphics.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "graphics/blend_graphics.h"
#include "graphics/draw_ops.h"
#include "graphics/draw_state.h"
#include "graphics/graphic_handles.h"
#include "image/image_limits.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"
#include "core/last_failure.h"

#include <algorithm>
#include <cmath>

namespace ror {

namespace {

void ReleaseImage(GraphicImage* image)
{
    if (image == nullptr || --image->refCount > 0) return;
    if (image->blend) {
        DrawOps.releaseBlendImage(image);
        ReleaseMemImg(&image->store);
    } else {
        DrawOps.releaseGraphicImage(image);
    }
    TrackedFree(image);
}

bool BlendImageTooSmall(const GraphicRecord* g) { return BlendImageSmallerThan(g->width, g->height); }

// A blend image takes the brightness of the source's pixels, converted a row at a time.
int CopyLevelsToBlendGraphic(GraphicRecord* g, const PixelImage& source, const PixelRect& r, int x, int y)
{
    const int width = r.right - r.left, height = r.bottom - r.top;
    auto* row = static_cast<uint32_t*>(TrackedAlloc(int32_t(sizeof(uint32_t)) * width, __FILE__, __LINE__));
    if (row == nullptr) return -1;
    ColorFormat argb;
    MakeArgb8Format(&argb);
    PixelImage part = source;
    part.pixels = source.pixels + intptr_t(r.top) * source.pitch + intptr_t(r.left) * source.format->pixelBytes;
    int result = 0;
    for (int i = 0; i < height && result == 0; ++i) {
        result = ConvertPixels(part, reinterpret_cast<uint8_t*>(row), width * 4, &argb, width, 1);
        for (int col = 0; col < width && result == 0; ++col)
            MemImgRow(&g->view, y + i)[x + col] = BrightnessOf(row[col]);
        part.pixels += part.pitch;
    }
    TrackedFree(row);
    if (result != 0) return -1;
    return UploadBlendLevels(g, x, y, width, height);
}

}  // namespace

bool BlendImageSmallerThan(int width, int height)
{
    if (DrawState.blendImageHandle == -1) return false;
    const GraphicRecord* blend = ResolveGraphic(DrawState.blendImageHandle);
    return blend != nullptr && (blend->width < width || blend->height < height);
}

int NewImageGraphic(int width, int height)
{
    if (!GraphicSizeFits(width, height)) {
        return LogWriteFormat("グラフィックのサイズ %d x %d が大きすぎるため作成できません\n", width, height);
    }
    const int handle = NewGraphicHandle();
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return -1;
    auto* image = static_cast<GraphicImage*>(TrackedAllocZeroed(sizeof(GraphicImage), __FILE__, __LINE__));
    if (image == nullptr) {
        DestroyGraphic(handle);
        return -1;
    }
    image->refCount = 1;
    image->width = width;
    image->height = height;
    g->image = image;
    g->width = width;
    g->height = height;
    return handle;
}

}  // namespace ror

using namespace ror;

int CreateBlankGraphic(int width, int height)
{
    if (width <= 0 || height <= 0) return FailedArgument(__func__);
    WaitWhileWindowInactive();
    const int handle = NewImageGraphic(width, height);
    if (handle == -1) return -1;
    GraphicRecord* g = ResolveGraphic(handle);
    if (DrawOps.createGraphicImage(g) != 0) {
        DestroyGraphic(handle);
        return -1;
    }
    return handle;
}

int GetGraphicSize(int handle, int* width, int* height)
{
    const GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return FailedHandle(__func__, handle);
    if (width != nullptr) *width = g->width;
    if (height != nullptr) *height = g->height;
    return 0;
}

int CreateSubGraphic(int x, int y, int width, int height, int source)
{
    const GraphicRecord* src = ResolveGraphic(source);
    if (src == nullptr) return FailedHandle(__func__, source);
    if (x < 0 || y < 0 || x >= src->width || y >= src->height || width <= 0 || height <= 0)
        return FailedArgument(__func__);
    const int handle = NewGraphicHandle();
    GraphicRecord* g = ResolveGraphic(handle);
    src = ResolveGraphic(source);
    g->image = src->image;
    ++g->image->refCount;
    g->offsetX = src->offsetX + x;
    g->offsetY = src->offsetY + y;
    g->width = std::min(width, src->width - x);
    g->height = std::min(height, src->height - y);
    if (IsBlendGraphic(src)) {
        MakeSubImage(&g->view, &src->view, x, y, g->width, g->height);
        return handle;
    }
    if (DrawOps.attachSubGraphic(g, src, x, y) != 0 ||
        (src->sourcePath != nullptr && SetGraphicSource(g, src->sourcePath, src->sourceX + x, src->sourceY + y) != 0)) {
        DestroyGraphic(handle);
        return -1;
    }
    return handle;
}

int DestroyGraphic(int handle)
{
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return FailedHandle(__func__, handle);
    // Never leave the drawing state pointing at a freed image.
    if (DrawState.drawTarget == handle) {
        DrawState.drawTarget = DRAW_TARGET_BACK_SCREEN;
        DrawOps.setDrawTarget(DRAW_TARGET_BACK_SCREEN, nullptr);
        int width = 0, height = 0;
        RequestedScreenSize(&width, &height);
        SetDrawRegion(0, 0, width, height);
    }
    if (DrawState.blendImageHandle == handle) {
        DrawState.blendImageHandle = -1;
        DrawOps.setBlendImage(nullptr);
    }
    if (g->movie >= 0 && CloseMovieOfGraphic != nullptr) CloseMovieOfGraphic(g->movie);
    DrawOps.releaseGraphicView(g);
    ReleaseMemImg(&g->view);  // a blend image's view on either path; nothing once released
    ReleaseImage(g->image);
    TrackedFree(g->sourcePath);
    GraphicTableRecord& t = GraphicTable;
    const int slot = HandleIndex(handle);
    --t.count;
    t.slots[slot] = nullptr;
    if (slot == t.highWater - 1) {
        int mark = slot;
        while (mark > 0 && t.slots[mark - 1] == nullptr) --mark;
        t.highWater = t.count == 0 ? 0 : mark;
    }
    if (g->lostFlag != nullptr) *g->lostFlag = 1;
    TrackedFree(g);
    return 0;
}

namespace ror {

int DestroyAllGraphics()
{
    for (int slot = 0; slot < kGraphicSlots; ++slot) {
        const auto* record = reinterpret_cast<const GraphicRecord*>(GraphicTable.slots[slot]);
        if (record != nullptr && !record->setAside) DestroyGraphic(record->header.handle);
    }
    return 0;
}

void SetGraphicAside(GraphicRecord* g)
{
    DrawOps.releaseGraphicView(g);
    ReleaseMemImg(&g->view);
    ReleaseImage(g->image);
    g->image = nullptr;
    g->setAside = 1;
}

int AttachGraphicToImageOf(GraphicRecord* g, GraphicRecord* whole)
{
    g->image = whole->image;
    ++g->image->refCount;
    g->setAside = 0;
    if (IsBlendGraphic(whole)) {
        MakeSubImage(&g->view, &whole->view, g->offsetX, g->offsetY, g->width, g->height);
        return 0;
    }
    return DrawOps.attachSubGraphic(g, whole, g->offsetX, g->offsetY);
}

}  // namespace ror

int PaintGraphic(int handle, int red, int green, int blue, int alpha)
{
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return FailedHandle(__func__, handle);
    if (IsBlendGraphic(g)) {
        // A blend image takes the colour's brightness as its level.
        const uint32_t argb = uint32_t(std::clamp(red, 0, 255)) << 16 | uint32_t(std::clamp(green, 0, 255)) << 8 |
                              uint32_t(std::clamp(blue, 0, 255));
        return FillBlendLevels(g, BrightnessOf(argb));
    }
    return DrawOps.paintGraphic(g, std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255),
                                std::clamp(alpha, 0, 255));
}

namespace ror {

int WatchGraphicLoss(int handle, int32_t* flag)
{
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return -1;
    g->lostFlag = flag;
    if (flag != nullptr) *flag = 0;
    return 0;
}

int GraphicSize(int handle, int* width, int* height)
{
    const GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return -1;
    *width = g->width;
    *height = g->height;
    return 0;
}

}  // namespace ror

int PutGraphic(int x, int y, int handle, int useTransparency)
{
    if (!ScreenSettings.graphicsReady) return FailedNotStarted(__func__);
    if (DrawState.drawAreaEmpty) return 0;
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return FailedHandle(__func__, handle);
    if (IsBlendGraphic(g) || BlendImageTooSmall(g)) return FailedArgument(__func__);
    WaitWhileWindowInactive();
    return DrawOps.putGraphic(x, y, g, useTransparency);
}

int PutGraphicQuad(const float corners[4][2], int handle, int useTransparency)
{
    if (corners == nullptr) return FailedArgument(__func__);
    if (!ScreenSettings.graphicsReady) return FailedNotStarted(__func__);
    if (DrawState.drawAreaEmpty) return 0;
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return FailedHandle(__func__, handle);
    if (IsBlendGraphic(g) || BlendImageTooSmall(g)) return FailedArgument(__func__);
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 2; ++k)
            if (!std::isfinite(corners[i][k]) || std::fabs(corners[i][k]) > 1e8f) return FailedArgument(__func__);
    WaitWhileWindowInactive();
    return DrawOps.putGraphicQuad(corners, g, useTransparency);
}

namespace ror {

int CopyImageToGraphic(int handle, const PixelImage& source, const PixelImage* alpha, const PixelRect& rect, int x,
                       int y)
{
    if (!ScreenSettings.graphicsReady) return -1;
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return -1;
    PixelRect r = rect;
    if (r.right <= r.left || r.bottom <= r.top) return 0;
    // Keep every read inside the source (and the alpha image) and every write inside the graphic.
    int boundRight = source.width, boundBottom = source.height;
    if (alpha != nullptr)
        boundRight = std::min(boundRight, alpha->width), boundBottom = std::min(boundBottom, alpha->height);
    if (r.left < 0) x -= r.left, r.left = 0;
    if (r.top < 0) y -= r.top, r.top = 0;
    if (x < 0) r.left -= x, x = 0;
    if (y < 0) r.top -= y, y = 0;
    r.right = std::min({r.right, boundRight, r.left + (g->width - x)});
    r.bottom = std::min({r.bottom, boundBottom, r.top + (g->height - y)});
    if (r.right <= r.left || r.bottom <= r.top) return -1;
    if (IsBlendGraphic(g)) return CopyLevelsToBlendGraphic(g, source, r, x, y);
    return DrawOps.copyToGraphic(g, source, alpha, r, x, y);
}

}  // namespace ror
