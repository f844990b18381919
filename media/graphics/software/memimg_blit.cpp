#include "graphics/software/memimg_blit.h"

#include "graphics/draw_state.h"
#include "graphics/software/pixel_blend.h"
#include "graphics/software/pixel_spans.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace ror {

namespace {

using BlitRowFn = void (*)(uint8_t* dst, const uint8_t* src, const uint8_t* blend, int count, const BlitContext& ctx);

template <class L, int Kind, bool Trans, bool Bright, bool Blend, int Mode>
void BlitRow(uint8_t* dst, const uint8_t* src, const uint8_t* blend, int count, const BlitContext& ctx)
{
    using Pixel = typename L::Pixel;
    using Raw = typename BlitSource<L, Kind>::Raw;
    auto* d = reinterpret_cast<Pixel*>(dst);
    const auto* s = reinterpret_cast<const Raw*>(src);
    constexpr bool kWholeRows = Mode == kBlitCopy && !Trans && !Bright && !Blend &&
                                (Kind == kSourcePlain || (Kind == kSourceAlpha && sizeof(Pixel) == 4));
    if constexpr (kWholeRows) {
        std::memcpy(d, s, size_t(count) * sizeof(Pixel));
    } else if constexpr (sizeof(Pixel) == 4 && Kind == kSourceAlpha && Trans && !Bright && !Blend &&
                         Mode == kBlitCopy) {
        ActiveSpanOps().over32(d, s, count);
    } else {
        for (int i = 0; i < count; ++i)
            BlitPixel<L, Kind, Trans, Bright, Blend, Mode>(d + i, s[i], Blend ? blend[i] : 0, ctx);
    }
}

constexpr int kModeKinds = 8;

template <class L, int Kind, bool Trans, bool Bright, bool Blend>
constexpr BlitRowFn RowForMode(int mode)
{
    switch (mode) {
    case kBlitCopy: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitCopy>;
    case kBlitLerp: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitLerp>;
    case kBlitHalf: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitHalf>;
    case kBlitAdd: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitAdd>;
    case kBlitSub: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitSub>;
    case kBlitMul: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitMul>;
    case kBlitInvert: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitInvert>;
    default: return BlitRow<L, Kind, Trans, Bright, Blend, kBlitMulLerp>;
    }
}

template <class L, int Kind>
BlitRowFn RowForFlags(bool trans, bool bright, bool blend, int mode)
{
    const int index = (trans ? 4 : 0) | (bright ? 2 : 0) | (blend ? 1 : 0);
    switch (index) {
    case 0: return RowForMode<L, Kind, false, false, false>(mode);
    case 1: return RowForMode<L, Kind, false, false, true>(mode);
    case 2: return RowForMode<L, Kind, false, true, false>(mode);
    case 3: return RowForMode<L, Kind, false, true, true>(mode);
    case 4: return RowForMode<L, Kind, true, false, false>(mode);
    case 5: return RowForMode<L, Kind, true, false, true>(mode);
    case 6: return RowForMode<L, Kind, true, true, false>(mode);
    default: return RowForMode<L, Kind, true, true, true>(mode);
    }
}

template <class L>
BlitRowFn RowForSource(int kind, bool trans, bool bright, bool blend, int mode)
{
    switch (kind) {
    case kSourceAlpha: return RowForFlags<L, kSourceAlpha>(trans, bright, blend, mode);
    case kSourcePalette: return RowForFlags<L, kSourcePalette>(trans, bright, blend, mode);
    default: return RowForFlags<L, kSourcePlain>(trans, bright, blend, mode);
    }
}

// Everything a blit decides once per call.
struct BlitSetup {
    BlitRowFn row;
    BlitRowFn opaqueRow;  // for opaque runs of the run table
    BlitContext ctx;
    int srcBytes;  // bytes of one source pixel
    int dstBytes;
    bool wholeRows;   // rows are plain copies
    bool vectorOver;  // the rows go through the vector routine, which skips transparent
                      // and copies opaque groups faster than the run table's walk
};

int SourceKindOf(const MemImgStore* base)
{
    if (base->isPalette) return kSourcePalette;
    return base->hasAlpha ? kSourceAlpha : kSourcePlain;
}

// -1 when nothing is drawn.
int BlitModeKind(int mode, int param, bool alpha, bool bright, bool blend)
{
    switch (mode) {
    case BLEND_NONE: return kBlitCopy;
    case BLEND_ALPHA:
        if (param == 0) return -1;
        if (!alpha && !blend && param == 255) return kBlitCopy;
        if (!alpha && !blend && !bright && param == 128) return kBlitHalf;
        return kBlitLerp;
    case BLEND_ADD: return param == 0 ? -1 : kBlitAdd;
    case BLEND_SUBTRACT: return param == 0 ? -1 : kBlitSub;
    case BLEND_MULTIPLY: return kBlitMul;
    case BLEND_INVERT: return param == 0 ? -1 : kBlitInvert;
    case BLEND_MULTIPLY_ALPHA: return kBlitMulLerp;
    default: return -1;
    }
}

bool UsableBlend(const MEMIMG* blend, const MEMIMG* src)
{
    return IsValidMemImg(blend) && blend->base->kind == 2 && blend->width >= src->width && blend->height >= src->height;
}

// False when the pair cannot be drawn or the mode draws nothing.
bool PrepareBlit(const MEMIMG* dst, const MEMIMG* src, bool trans, const MEMIMG* blend, BlitSetup* out)
{
    if (!CanBlitMemImg(dst, src, blend)) return false;
    const MemImgStore* d = dst->base;
    const MemImgStore* s = src->base;
    const bool useBlend = blend != nullptr;
    const int kind = SourceKindOf(s);
    const bool bright = !DefaultBrightness();
    const int mode = BlitModeKind(DrawState.blendMode, DrawState.blendParam, kind == kSourceAlpha, bright, useBlend);
    if (mode < 0) return false;
    out->ctx.param = DrawState.blendParam;
    out->ctx.bright[0] = DrawState.brightness[2];
    out->ctx.bright[1] = DrawState.brightness[1];
    out->ctx.bright[2] = DrawState.brightness[0];
    out->ctx.colorKey = uint32_t(s->colorKey);
    out->ctx.palette = reinterpret_cast<const uint32_t*>(s->convertedPalette);
    out->ctx.rule = DrawState.ruleTable;
    const bool sixteen = d->kind == 0;
    out->row = sixteen ? RowForSource<Layout16>(kind, trans, bright, useBlend, mode)
                       : RowForSource<Layout32>(kind, trans, bright, useBlend, mode);
    out->opaqueRow = out->row;
    if (mode == kBlitCopy && !bright && !useBlend && kind != kSourcePalette && !(sixteen && kind == kSourceAlpha))
        out->opaqueRow = sixteen ? RowForSource<Layout16>(kind, false, false, false, mode)
                                 : RowForSource<Layout32>(kind, false, false, false, mode);
    out->srcBytes = s->format->pixelBytes;
    out->dstBytes = d->format->pixelBytes;
    out->wholeRows = mode == kBlitCopy && !trans && !bright && !useBlend &&
                     (kind == kSourcePlain || (kind == kSourceAlpha && !sixteen));
    out->vectorOver = !sixteen && kind == kSourceAlpha && trans && !bright && !useBlend && mode == kBlitCopy;
    return true;
}

// The draw area, kept inside the destination image.
PixelRect TargetClip(const MEMIMG* dst)
{
    PixelRect clip = DrawState.drawArea;
    const PixelRect whole{0, 0, dst->width, dst->height};
    ClipRect(&clip, &whole);
    return clip;
}

// Walks the run table: transparent runs are skipped without reading pixels, and each stretch
// of consecutive visible runs is drawn with one call (opaque-only stretches by whole rows).
void PutWithRuns(MEMIMG* dst, const MEMIMG* src, int x, int y, const BlitSetup& b, const MEMIMG* blend)
{
    const MemImgStore* s = src->base;
    const uint8_t* runs = s->runTable;
    for (int row = 0; row < src->height; ++row) {
        const uint8_t* run = runs + intptr_t(row) * (s->width + 5);
        uint8_t* d = MemImgRow(dst, y + row) + intptr_t(x) * b.dstBytes;
        const uint8_t* sp = MemImgRow(src, row);
        const uint8_t* g = blend != nullptr ? MemImgRow(blend, row) : nullptr;
        int col = 0, start = 0;
        bool partial = false;
        auto flush = [&] {
            if (col > start) {
                const BlitRowFn fn = partial ? b.row : b.opaqueRow;
                fn(d + intptr_t(start) * b.dstBytes, sp + intptr_t(start) * b.srcBytes,
                   g != nullptr ? g + start : nullptr, col - start, b.ctx);
            }
        };
        while (*run != kRunRowEnd && col < src->width) {
            const int length = std::min((*run & 0x3F) + 1, src->width - col);
            const uint8_t type = *run & 0xC0;
            if (type == kRunTransparent) {
                flush();
                start = col + length;
                partial = false;
            } else if (type == kRunPartial) {
                partial = true;
            }
            col += length;
            ++run;
        }
        flush();
    }
}

constexpr int kGatherChunk = 256;

// Draws `count` destination pixels whose source pixels `fetch(i, pixel, weight)` writes (its
// bytes, and its blend image weight when `weighed`), through a small buffer, so the
// stretched, mapped and transformed draws share the plain draw's row loops.
template <class Fetch>
void DrawFetched(uint8_t* d, int count, const BlitSetup& b, bool weighed, Fetch fetch)
{
    alignas(16) uint8_t pixels[kGatherChunk * 4];
    uint8_t weights[kGatherChunk];
    for (int start = 0; start < count; start += kGatherChunk) {
        const int n = std::min(kGatherChunk, count - start);
        for (int i = 0; i < n; ++i) fetch(start + i, pixels + i * b.srcBytes, weights + i);
        b.row(d + intptr_t(start) * b.dstBytes, pixels, weighed ? weights : nullptr, n, b.ctx);
    }
}

// DrawFetched over one source row, the columns from `column(i)`.
template <class ColumnOf>
void DrawGathered(uint8_t* d, const uint8_t* srcRow, const uint8_t* blendRow, int count, const BlitSetup& b,
                  ColumnOf column)
{
    DrawFetched(d, count, b, blendRow != nullptr, [&](int i, uint8_t* pixel, uint8_t* weight) {
        const int sx = column(i);
        std::memcpy(pixel, srcRow + intptr_t(sx) * b.srcBytes, size_t(b.srcBytes));
        if (blendRow != nullptr) *weight = blendRow[sx];
    });
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

int CanBlitMemImg(const MEMIMG* dst, const MEMIMG* src, const MEMIMG* blend)
{
    if (!IsValidMemImg(dst) || !IsValidMemImg(src)) return 0;
    const MemImgStore* d = dst->base;
    const MemImgStore* s = src->base;
    if (d->isPalette || d->hasAlpha || (d->kind != 0 && d->kind != 1) || s->kind != d->kind) return 0;
    return blend == nullptr || UsableBlend(blend, src) ? 1 : 0;
}

void PutImageMemImg(MEMIMG* dst, const MEMIMG* src, int x, int y, int trans, const MEMIMG* blend)
{
    BlitSetup b;
    if (!PrepareBlit(dst, src, trans != 0, blend, &b)) return;
    // A far corner past the int range is past every target too.
    auto end = [](int at, int length) { return int(std::min(int64_t(at) + length, int64_t(INT32_MAX))); };
    PixelRect r{x, y, end(x, src->width), end(y, src->height)};
    const PixelRect clip = TargetClip(dst);
    ClipRect(&r, &clip);
    if (r.left >= r.right || r.top >= r.bottom) return;
    const int sx = r.left - x, sy = r.top - y;
    const MemImgStore* s = src->base;
    const bool whole = sx == 0 && sy == 0 && r.right - r.left == src->width && r.bottom - r.top == src->height;
    const bool wholeStore = src->pixels == s->pixelBuffer && src->width == s->width && src->height == s->height;
    if (trans && s->runsValid && s->runTable != nullptr && whole && wholeStore && !b.vectorOver) {
        PutWithRuns(dst, src, x, y, b, blend);
        return;
    }
    const int n = r.right - r.left;
    const int pitch = dst->base->pitch;
    if (b.wholeRows && pitch == s->pitch && n * b.dstBytes == pitch) {
        // Rows that fill both pitches lie back to back: one copy of the whole block.
        std::memcpy(MemImgRow(dst, r.top), MemImgRow(src, sy), size_t(pitch) * size_t(r.bottom - r.top));
        return;
    }
    for (int row = r.top; row < r.bottom; ++row) {
        const int srow = row - y;
        const uint8_t* g = blend != nullptr ? MemImgRow(blend, srow) + sx : nullptr;
        b.row(MemImgRow(dst, row) + intptr_t(r.left) * b.dstBytes, MemImgRow(src, srow) + intptr_t(sx) * b.srcBytes, g,
              n, b.ctx);
    }
}

void StretchImageMemImg(MEMIMG* dst, const MEMIMG* src, const PixelRect* rect, int trans, const MEMIMG* blend)
{
    if (!IsValidMemImg(src) || !IsValidMemImg(dst)) return;
    PixelRect r = *rect;
    const bool flipX = r.right < r.left, flipY = r.bottom < r.top;
    if (flipX) std::swap(r.left, r.right);
    if (flipY) std::swap(r.top, r.bottom);
    const int rw = r.right - r.left, rh = r.bottom - r.top;
    if (rw <= 0 || rh <= 0) return;
    if (!flipX && !flipY && rw == src->width && rh == src->height) {
        PutImageMemImg(dst, src, r.left, r.top, trans, blend);
        return;
    }
    BlitSetup b;
    if (!PrepareBlit(dst, src, trans != 0, blend, &b)) return;
    const uint32_t rx =
        std::max<uint32_t>(1, uint32_t(std::min<uint64_t>(uint64_t(rw) * 65536 / uint64_t(src->width), 0xFFFFFFFFu)));
    const uint32_t ry =
        std::max<uint32_t>(1, uint32_t(std::min<uint64_t>(uint64_t(rh) * 65536 / uint64_t(src->height), 0xFFFFFFFFu)));
    PixelRect c = r;
    const PixelRect clip = TargetClip(dst);
    ClipRect(&c, &clip);
    if (c.left >= c.right || c.top >= c.bottom) return;

    // Per-axis accumulators: the source advances while the accumulator drops below 1.
    const int ox = c.left - r.left, oy = c.top - r.top;
    const int width = src->width, height = src->height;
    const int n = c.right - c.left;
    int64_t accY = int64_t(ry) - (int64_t(oy) * 65536) % ry;
    int64_t srcY = int64_t(oy) * 65536 / ry;
    for (int row = c.top; row < c.bottom; ++row) {
        const int sy = int(std::min<int64_t>(srcY, height - 1));
        const int readRow = flipY ? height - 1 - sy : sy;
        int64_t accX = int64_t(rx) - (int64_t(ox) * 65536) % rx;
        int64_t srcX = int64_t(ox) * 65536 / rx;
        int next = 0;
        auto column = [&](int i) {
            while (next < i) {  // called with i = 0, 1, 2, ...
                accX -= 65536;
                while (accX < 1) accX += rx, ++srcX;
                ++next;
            }
            const int sx = int(std::min<int64_t>(srcX, width - 1));
            return flipX ? width - 1 - sx : sx;
        };
        DrawGathered(MemImgRow(dst, row) + intptr_t(c.left) * b.dstBytes, MemImgRow(src, readRow),
                     blend != nullptr ? MemImgRow(blend, readRow) : nullptr, n, b, column);
        accY -= 65536;
        while (accY < 1) accY += ry, ++srcY;
    }
}

void MapTriangleMemImg(MEMIMG* dst, const MEMIMG* src, const TriangleVertex vertices[3], int flags, const MEMIMG* blend)
{
    BlitSetup b;
    if (!PrepareBlit(dst, src, (flags & kTriangleTransparent) != 0, blend, &b)) return;
    TriangleVertex v[3] = {vertices[0], vertices[1], vertices[2]};
    int64_t area = int64_t(v[1].x - v[0].x) * (v[2].y - v[0].y) - int64_t(v[2].x - v[0].x) * (v[1].y - v[0].y);
    if (area == 0) return;
    if (area < 0) {
        std::swap(v[1], v[2]);
        area = -area;
    }
    // Texture gradients per pixel in 14.18 fixed point, truncated.
    const double d1x = v[1].x - v[0].x, d1y = v[1].y - v[0].y, d2x = v[2].x - v[0].x, d2y = v[2].y - v[0].y;
    const double du1 = v[1].u - v[0].u, du2 = v[2].u - v[0].u, dv1 = v[1].v - v[0].v, dv2 = v[2].v - v[0].v;
    const double det = double(area);
    const int64_t dudx = int64_t((du1 * d2y - du2 * d1y) / det * 262144.0);
    const int64_t dudy = int64_t((du2 * d1x - du1 * d2x) / det * 262144.0);
    const int64_t dvdx = int64_t((dv1 * d2y - dv2 * d1y) / det * 262144.0);
    const int64_t dvdy = int64_t((dv2 * d1x - dv1 * d2x) / det * 262144.0);
    const int64_t u0 = int64_t(v[0].u) * 262144, v0 = int64_t(v[0].v) * 262144;

    const PixelRect clip = TargetClip(dst);
    const int top = std::max(clip.top, std::min({v[0].y, v[1].y, v[2].y}));
    const int bottom = std::min(clip.bottom - 1, std::max({v[0].y, v[1].y, v[2].y}));
    struct Edge {
        int64_t ax, ay, dx, dy;
        int64_t bias;  // 0 on top and left edges: pixels on them belong to this triangle
    } edges[3];
    for (int i = 0; i < 3; ++i) {
        const TriangleVertex& a = v[i];
        const TriangleVertex& e = v[(i + 1) % 3];
        edges[i] = {a.x, a.y, int64_t(e.x) - a.x, int64_t(e.y) - a.y, 0};
        const bool topLeft = (edges[i].dy == 0 && edges[i].dx > 0) || edges[i].dy < 0;
        edges[i].bias = topLeft ? 0 : 1;
    }
    const int w = src->width, h = src->height;
    for (int y = top; y <= bottom; ++y) {
        // Inside: dx * (y - ay) - dy * (x - ax) >= bias for every edge.
        int64_t lo = clip.left, hi = int64_t(clip.right) - 1;
        for (const Edge& e : edges) {
            const int64_t c = e.dx * (y - e.ay) + e.dy * e.ax - e.bias;  // c - dy * x >= 0
            if (e.dy == 0) {
                if (c < 0) lo = hi + 1;
            } else if (e.dy < 0) {
                lo = std::max(lo, -FloorDiv(c, -e.dy));  // x >= ceil(-c / -dy)
            } else {
                hi = std::min(hi, FloorDiv(c, e.dy));
            }
        }
        if (lo > hi) continue;
        const int64_t uRow = u0 + dudx * (lo - v[0].x) + dudy * (y - v[0].y);
        const int64_t vRow = v0 + dvdx * (lo - v[0].x) + dvdy * (y - v[0].y);
        // Affine rows can still cross source rows, so fetch pixel by pixel through the row pointers.
        DrawFetched(MemImgRow(dst, y) + intptr_t(lo) * b.dstBytes, int(hi - lo + 1), b, blend != nullptr,
                    [&](int i, uint8_t* pixel, uint8_t* weight) {
                        const int64_t uu = uRow + dudx * i, vv = vRow + dvdx * i;
                        const int sx = int(std::clamp<int64_t>(uu >> 18, 0, w - 1));
                        const int sy = int(std::clamp<int64_t>(vv >> 18, 0, h - 1));
                        std::memcpy(pixel, MemImgRow(src, sy) + intptr_t(sx) * b.srcBytes, size_t(b.srcBytes));
                        if (blend != nullptr) *weight = MemImgRow(blend, sy)[sx];
                    });
    }
}

namespace {

// The columns [*lo, *hi] of a row where a + step * i lies in [0, limit), cut to them; the
// ends found in doubles, then moved until the same test holds at each.
void CutToRange(double a, double step, double limit, int64_t* lo, int64_t* hi)
{
    auto inside = [&](int64_t i) {
        const double at = a + step * double(i);
        return at >= 0 && at < limit;
    };
    if (step == 0) {
        if (!inside(0)) *hi = *lo - 1;
        return;
    }
    double first = (step > 0 ? -a : limit - a) / step, last = (step > 0 ? limit - a : -a) / step;
    first = std::clamp(std::floor(first) - 1, double(*lo), double(*hi) + 1);
    last = std::clamp(std::ceil(last) + 1, double(*lo) - 1, double(*hi));
    int64_t l = int64_t(first), h = int64_t(last);
    while (l <= h && !inside(l)) ++l;
    while (h >= l && !inside(h)) --h;
    *lo = l, *hi = h;
}

// The 32-bit pixel between four, weighed by fx and fy (0..256) per byte.
uint32_t MixFour(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, uint32_t fx, uint32_t fy)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t top = ((p00 >> shift) & 0xFF) * (256 - fx) + ((p01 >> shift) & 0xFF) * fx;
        const uint32_t bottom = ((p10 >> shift) & 0xFF) * (256 - fx) + ((p11 >> shift) & 0xFF) * fx;
        out |= ((top * (256 - fy) + bottom * fy + 32768) >> 16) << shift;
    }
    return out;
}

}  // namespace

void TransformImageMemImg(MEMIMG* dst, const MEMIMG* src, const SourceMap& map, int trans, int smooth,
                          const MEMIMG* blend)
{
    BlitSetup b;
    if (!PrepareBlit(dst, src, trans != 0, blend, &b)) return;
    const MemImgStore* s = src->base;
    // Mixing works on 32-bit pixels; a mixed colour key would show, so keyed draws stay nearest.
    const bool mix = smooth && s->kind == 1 && !s->isPalette && !(trans && !s->hasAlpha);
    const PixelRect clip = TargetClip(dst);
    const int w = src->width, h = src->height;
    const int top = int(std::clamp(std::floor(map.top), double(clip.top), double(clip.bottom)));
    const int bottom = int(std::clamp(std::ceil(map.bottom), double(clip.top), double(clip.bottom)));
    constexpr double kOne = 4294967296.0;  // 32.32 fixed point
    const int64_t stepU = int64_t(std::llround(map.ux * kOne)), stepV = int64_t(std::llround(map.vx * kOne));
    for (int y = top; y < bottom; ++y) {
        // The part's point under each pixel's centre: a + step * column.
        const double yc = y + 0.5;
        const double au = map.uo + map.uy * yc + map.ux * 0.5, av = map.vo + map.vy * yc + map.vx * 0.5;
        int64_t lo = clip.left, hi = int64_t(clip.right) - 1;
        CutToRange(au, map.ux, w, &lo, &hi);
        if (lo <= hi) CutToRange(av, map.vx, h, &lo, &hi);
        if (lo > hi) continue;
        const int64_t u0 = int64_t(std::floor((au + map.ux * double(lo)) * kOne));
        const int64_t v0 = int64_t(std::floor((av + map.vx * double(lo)) * kOne));
        uint8_t* d = MemImgRow(dst, y) + intptr_t(lo) * b.dstBytes;
        const int count = int(hi - lo + 1);
        if (!mix) {
            DrawFetched(d, count, b, blend != nullptr, [&](int i, uint8_t* pixel, uint8_t* weight) {
                const int sx = int(std::clamp<int64_t>((u0 + stepU * i) >> 32, 0, w - 1));
                const int sy = int(std::clamp<int64_t>((v0 + stepV * i) >> 32, 0, h - 1));
                std::memcpy(pixel, MemImgRow(src, sy) + intptr_t(sx) * b.srcBytes, size_t(b.srcBytes));
                if (blend != nullptr) *weight = MemImgRow(blend, sy)[sx];
            });
            continue;
        }
        // The four texels around the point half a texel up and left, edges repeated.
        constexpr int64_t kHalf = int64_t(1) << 31;
        DrawFetched(d, count, b, blend != nullptr, [&](int i, uint8_t* pixel, uint8_t* weight) {
            const int64_t uu = u0 + stepU * i - kHalf, vv = v0 + stepV * i - kHalf;
            const int x0 = int(std::clamp<int64_t>(uu >> 32, 0, w - 1)),
                      y0 = int(std::clamp<int64_t>(vv >> 32, 0, h - 1));
            const int x1 = std::min(int(std::max<int64_t>(uu >> 32, -1)) + 1, w - 1);
            const int y1 = std::min(int(std::max<int64_t>(vv >> 32, -1)) + 1, h - 1);
            const auto* r0 = reinterpret_cast<const uint32_t*>(MemImgRow(src, y0));
            const auto* r1 = reinterpret_cast<const uint32_t*>(MemImgRow(src, y1));
            const uint32_t fx = uint32_t((uu >> 24) & 0xFF), fy = uint32_t((vv >> 24) & 0xFF);
            const uint32_t mixed = MixFour(r0[x0], r0[x1], r1[x0], r1[x1], fx, fy);
            std::memcpy(pixel, &mixed, 4);
            if (blend != nullptr)
                *weight = MemImgRow(blend,
                                    int(std::clamp<int64_t>((vv + kHalf) >> 32, 0,
                                                            h - 1)))[std::clamp<int64_t>((uu + kHalf) >> 32, 0, w - 1)];
        });
    }
}

void MapQuadMemImg(MEMIMG* dst, const MEMIMG* src, const int32_t corners[4][2], int trans, const MEMIMG* blend)
{
    if (!IsValidMemImg(src)) return;
    const int w = src->width, h = src->height;
    const TriangleVertex first[3] = {{corners[0][0], corners[0][1], 0, 0},
                                     {corners[1][0], corners[1][1], w, 0},
                                     {corners[3][0], corners[3][1], 0, h}};
    const TriangleVertex second[3] = {{corners[1][0], corners[1][1], w, 0},
                                      {corners[3][0], corners[3][1], 0, h},
                                      {corners[2][0], corners[2][1], w, h}};
    const int flags = trans ? kTriangleTransparent : 0;
    MapTriangleMemImg(dst, src, first, flags, blend);
    MapTriangleMemImg(dst, src, second, flags, blend);
}

}  // namespace ror
