#include "graphics/graphics.h"

#include "core/tracked_memory.h"
#include "graphics/draw_state.h"
#include "graphics/graphic_handles.h"
#include "graphics/memimg_blit.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void ReleaseImage(GraphicImage* image)
{
    if (image == nullptr || --image->refCount > 0) return;
    ReleaseMemImg(&image->store);
    TrackedFree(image);
}

bool DrawingPossible()
{
    return ScreenSettings.graphicsReady && IsValidMemImg(SoftScreen.target);
}

bool BlendImageTooSmall(const GraphicRecord* g)
{
    const MEMIMG* blend = DrawState.blendImage;
    return blend != nullptr && (blend->width < g->width || blend->height < g->height);
}

}  // namespace

int CreateBlankGraphic(int width, int height)
{
    if (width <= 0 || height <= 0) return -1;
    WaitWhileWindowInactive();
    const int handle = NewGraphicHandle();
    GraphicRecord* g = ResolveGraphic(handle);
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
    const GraphicCreationSettings& cs = GraphicCreation;
    const int depth = cs.colorDepth != 0 ? cs.colorDepth : ScreenColorFormat()->colorBits;
    const int kind = depth == 16 ? 0 : 1;
    const int alpha = cs.alphaChannel ? 1 : 0;
    const ColorFormat* format = SoftwareColorFormat(kind, alpha, 0);
    const int key = int(PackColorForFormat(format, cs.transparentColor[0], cs.transparentColor[1], cs.transparentColor[2], 0));
    if (CreateMemImg(&image->store, width, height, -1, key, kind, 0, alpha, 1, nullptr) != 0) {
        DestroyGraphic(handle);
        return -1;
    }
    MakeSubImage(&g->view, &image->store, 0, 0, width, height);
    return handle;
}

int CreateSubGraphic(int x, int y, int width, int height, int source)
{
    const GraphicRecord* src = ResolveGraphic(source);
    if (src == nullptr || x < 0 || y < 0 || x >= src->width || y >= src->height || width <= 0 || height <= 0) return -1;
    const int handle = NewGraphicHandle();
    GraphicRecord* g = ResolveGraphic(handle);
    src = ResolveGraphic(source);
    g->image = src->image;
    ++g->image->refCount;
    g->offsetX = src->offsetX + x;
    g->offsetY = src->offsetY + y;
    g->width = std::min(width, src->width - x);
    g->height = std::min(height, src->height - y);
    MakeSubImage(&g->view, &src->view, x, y, g->width, g->height);
    return handle;
}

int DestroyGraphic(int handle)
{
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return -1;
    // Never leave the drawing state pointing at a freed image.
    if (DrawState.drawTarget == handle) {
        DrawState.drawTarget = kBackScreen;
        SoftScreen.target = &SoftScreen.screen;
        int width = 0, height = 0;
        RequestedScreenSize(&width, &height);
        SetDrawRegion(0, 0, width, height);
    }
    if (DrawState.blendImageHandle == handle) {
        DrawState.blendImageHandle = -1;
        DrawState.blendImage = nullptr;
    }
    ReleaseMemImg(&g->view);
    ReleaseImage(g->image);
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

int DestroyAllGraphics()
{
    for (int slot = 0; slot < kGraphicSlots; ++slot) {
        const HandleHeader* record = GraphicTable.slots[slot];
        if (record != nullptr) DestroyGraphic(record->handle);
    }
    return 0;
}

int PaintGraphic(int handle, int red, int green, int blue, int alpha)
{
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return -1;
    (void)std::clamp(alpha, 0, 255);  // a software image has no alpha to paint
    const PixelRect whole{0, 0, g->width, g->height};
    PaintBoxMemImg(&g->view, &whole, PackColor(std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255)));
    return 0;
}

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

int PutGraphic(int x, int y, int handle, int useTransparency)
{
    if (!DrawingPossible()) return -1;
    if (DrawState.drawAreaEmpty) return 0;
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr || BlendImageTooSmall(g)) return -1;
    WaitWhileWindowInactive();
    PutImageMemImg(SoftScreen.target, &g->view, x, y, useTransparency, DrawState.blendImage);
    return 0;
}

int PutGraphicQuad(const float corners[4][2], int handle, int useTransparency)
{
    if (!DrawingPossible()) return -1;
    if (DrawState.drawAreaEmpty) return 0;
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr || BlendImageTooSmall(g)) return -1;
    int32_t points[4][2];
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 2; ++k) {
            const float v = corners[i][k];
            if (!std::isfinite(v) || std::fabs(v) > 1e8f) return -1;
            points[i][k] = int32_t(v);
        }
    WaitWhileWindowInactive();
    MapQuadMemImg(SoftScreen.target, &g->view, points, useTransparency, DrawState.blendImage);
    return 0;
}

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
    if (alpha != nullptr) boundRight = std::min(boundRight, alpha->width), boundBottom = std::min(boundBottom, alpha->height);
    if (r.left < 0) x -= r.left, r.left = 0;
    if (r.top < 0) y -= r.top, r.top = 0;
    if (x < 0) r.left -= x, x = 0;
    if (y < 0) r.top -= y, y = 0;
    r.right = std::min({r.right, boundRight, r.left + (g->width - x)});
    r.bottom = std::min({r.bottom, boundBottom, r.top + (g->height - y)});
    if (r.right <= r.left || r.bottom <= r.top) return -1;
    const int width = r.right - r.left, height = r.bottom - r.top;
    const MEMIMG& view = g->view;
    const int bytes = MemImgPixelBytes(&view);
    uint8_t* dst = MemImgRow(&view, y) + intptr_t(x) * bytes;
    PixelImage part = source;
    part.pixels = source.pixels + intptr_t(r.top) * source.pitch + intptr_t(r.left) * source.format->pixelBytes;
    if (ConvertPixels(part, dst, view.base->pitch, view.base->format, width, height) != 0) return -1;
    const ColorFormat* df = view.base->format;
    if (alpha != nullptr && df->alphaWidth != 0) {
        // The alpha image's grey level becomes the alpha of each pixel.
        const ColorFormat& af = *alpha->format;
        for (int row = 0; row < height; ++row) {
            const uint8_t* a = alpha->pixels + intptr_t(r.top + row) * alpha->pitch + intptr_t(r.left) * af.pixelBytes;
            uint8_t* d = dst + intptr_t(row) * view.base->pitch;
            for (int col = 0; col < width; ++col) {
                uint32_t av = 0, dv = 0;
                std::memcpy(&av, a + col * af.pixelBytes, af.pixelBytes);
                std::memcpy(&dv, d + col * bytes, size_t(bytes));
                const uint32_t level = af.pixelBytes == 1 && af.blueMask != af.redMask
                                           ? af.palette[av & 0xFF][0]
                                           : ((av & af.blueMask) >> af.blueShift) << (8 - std::min<int>(8, af.blueWidth));
                dv = (dv & ~df->alphaMask) | ((level & 0xFF) >> (8 - df->alphaWidth)) << df->alphaShift;
                std::memcpy(d + col * bytes, &dv, size_t(bytes));
            }
        }
    }
    const MemImgStore* s = view.base;
    if (g->offsetX + x == 0 && g->offsetY + y == 0 && width == s->width && height == s->height)
        BuildRunTable(view.base);
    else
        view.base->runsValid = 0;
    return 0;
}
