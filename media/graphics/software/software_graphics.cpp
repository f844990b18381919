// Graphics whose pixels live in a software image: the store, views, filling, drawing and
// copying pixels in.
#include "rorodiv.h"
#include "core/tracked_memory.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg_blit.h"
#include "graphics/software/software_ops.h"
#include "graphics/software/planar_convert.h"
#include "graphics/sprite_draw.h"

#include <algorithm>
#include <cstring>

namespace ror {

namespace {

// A write into a graphic's pixels leaves its transparency runs stale. The draw target's store
// can be written at any time, so its runs stay invalid until a write of the whole store made
// while it is not the target rebuilds them.
void RenewRuns(const GraphicRecord* g, int x, int y, int width, int height)
{
    MemImgStore* s = g->view.base;
    const bool wholeStore = g->offsetX + x == 0 && g->offsetY + y == 0 && width == s->width && height == s->height;
    const bool isTarget = SoftScreen.target != nullptr && SoftScreen.target->base == s;
    if (wholeStore && !isTarget)
        BuildRunTable(s);
    else
        s->runsValid = 0;
}

}  // namespace

int SoftwareCreateGraphicImage(GraphicRecord* g)
{
    GraphicImage* image = g->image;
    const GraphicCreationSettings& cs = GraphicCreation;
    const int depth = cs.colorDepth != 0 ? cs.colorDepth : ScreenColorFormat()->colorBits;
    const int kind = depth == 16 ? 0 : 1;
    const int alpha = cs.alphaChannel ? 1 : 0;
    const ColorFormat* format = SoftwareColorFormat(kind, alpha, 0);
    const int key =
        int(PackColorForFormat(format, cs.transparentColor[0], cs.transparentColor[1], cs.transparentColor[2], 0));
    if (CreateMemImg(&image->store, image->width, image->height, -1, key, kind, 0, alpha, 1, nullptr) != 0) return -1;
    image->hasAlpha = alpha;
    MakeSubImage(&g->view, &image->store, 0, 0, g->width, g->height);
    return 0;
}

int SoftwareAttachSubGraphic(GraphicRecord* g, const GraphicRecord* source, int x, int y)
{
    MakeSubImage(&g->view, &source->view, x, y, g->width, g->height);
    return 0;
}

void SoftwareReleaseGraphicView(GraphicRecord* g) { ReleaseMemImg(&g->view); }

void SoftwareReleaseGraphicImage(GraphicImage* image) { ReleaseMemImg(&image->store); }

int SoftwarePaintGraphic(GraphicRecord* g, int red, int green, int blue, int)
{
    // The software image of a graphic has no alpha of its own to paint.
    const PixelRect whole{0, 0, g->width, g->height};
    PaintBoxMemImg(&g->view, &whole, PackColor(red, green, blue));
    RenewRuns(g, 0, 0, g->width, g->height);
    return 0;
}

int SoftwarePutGraphic(int x, int y, GraphicRecord* g, int useTransparency)
{
    if (!CanBlitMemImg(SoftScreen.target, &g->view, DrawState.blendImage)) return -1;
    PutImageMemImg(SoftScreen.target, &g->view, x, y, useTransparency, DrawState.blendImage);
    return 0;
}

int SoftwarePutGraphicQuad(const float corners[4][2], GraphicRecord* g, int useTransparency)
{
    if (!CanBlitMemImg(SoftScreen.target, &g->view, DrawState.blendImage)) return -1;
    int32_t points[4][2];
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 2; ++k) points[i][k] = int32_t(corners[i][k]);
    MapQuadMemImg(SoftScreen.target, &g->view, points, useTransparency, DrawState.blendImage);
    return 0;
}

int SoftwarePutGraphicTransformed(GraphicRecord* g, const SpriteMapping& m, int useTransparency)
{
    // A blend image need only cover the part.
    const PixelRect& r = m.source;
    MEMIMG part{};
    MakeSubImage(&part, &g->view, r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (!CanBlitMemImg(SoftScreen.target, &part, DrawState.blendImage)) {
        ReleaseMemImg(&part);
        return -1;
    }
    double corners[4][2];
    SpriteCorners(m, corners);
    SourceMap map{m.uo, m.ux, m.uy, m.vo, m.vx, m.vy, corners[0][1], corners[0][1]};
    for (const auto& corner : corners)
        map.top = std::min(map.top, corner[1]), map.bottom = std::max(map.bottom, corner[1]);
    TransformImageMemImg(SoftScreen.target, &part, map, useTransparency, m.smooth, DrawState.blendImage);
    ReleaseMemImg(&part);
    return 0;
}

int SoftwareCopyToGraphic(GraphicRecord* g, const PixelImage& source, const PixelImage* alpha, const PixelRect& r,
                          int x, int y)
{
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
                                           : ((av & af.blueMask) >> af.blueShift)
                                                 << (8 - std::min<int>(8, af.blueWidth));
                dv = (dv & ~df->alphaMask) | ((level & 0xFF) >> (8 - df->alphaWidth)) << df->alphaShift;
                std::memcpy(d + col * bytes, &dv, size_t(bytes));
            }
        }
    }
    RenewRuns(g, x, y, width, height);
    return 0;
}

int SoftwarePutPlanarPicture(GraphicRecord* g, const PlanarPicture& picture)
{
    return CopyPlanarPictureInBands(g, picture, SoftwareCopyToGraphic);
}

int SoftwareReadGraphicPixels(GraphicRecord* g, uint32_t* argb)
{
    const MEMIMG& view = g->view;
    if (!IsValidMemImg(&view)) return -1;
    ColorFormat format;
    MakeArgb8Format(&format);
    const PixelImage source{view.pixels, view.base->pitch, view.width, view.height, view.base->format};
    return ConvertPixels(source, reinterpret_cast<uint8_t*>(argb), view.width * 4, &format, view.width, view.height);
}

int SoftwareReadGraphicPixel(GraphicRecord* g, int x, int y, uint32_t* argb)
{
    const MEMIMG& view = g->view;
    if (!IsValidMemImg(&view)) return -1;
    ColorFormat format;
    MakeArgb8Format(&format);
    const PixelImage source{MemImgRow(&view, y) + intptr_t(x) * MemImgPixelBytes(&view), view.base->pitch, 1, 1,
                            view.base->format};
    return ConvertPixels(source, reinterpret_cast<uint8_t*>(argb), 4, &format, 1, 1);
}

// The blits read a blend image's levels straight from its store.
int SoftwareUploadBlendImage(GraphicImage*, const PixelRect&) { return 0; }

void SoftwareReleaseBlendImage(GraphicImage*) {}

}  // namespace ror
