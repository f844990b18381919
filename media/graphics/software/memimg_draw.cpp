// Filled boxes and one-pixel lines in a software image, with every blend mode.
#include "graphics/draw_shapes.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg.h"
#include "graphics/software/pixel_blend.h"
#include "graphics/software/pixel_spans.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace ror {

int PrepareSolidColor(uint32_t color, bool sixteen, SolidColor* out)
{
    const int mode = DrawState.blendMode;
    const int p = DrawState.blendParam;
    int ch[3];
    uint32_t keep;
    if (sixteen) {
        ch[0] = Channel<Layout16>(color, 0);
        ch[1] = Channel<Layout16>(color, 1);
        ch[2] = Channel<Layout16>(color, 2);
        keep = 0;
    } else {
        ch[0] = Channel<Layout32>(color, 0);
        ch[1] = Channel<Layout32>(color, 1);
        ch[2] = Channel<Layout32>(color, 2);
        keep = color & 0xFF000000u;
    }
    if (!DefaultBrightness()) {
        const uint8_t* b = DrawState.brightness;  // red, green, blue
        ch[0] = (ch[0] * b[2]) >> 8;
        ch[1] = (ch[1] * b[1]) >> 8;
        ch[2] = (ch[2] * b[0]) >> 8;
    }
    const int* max = sixteen ? Layout16::kMax : Layout32::kMax;
    int op = kSolidNone;
    switch (mode) {
    case BLEND_NONE: op = kSolidSet; break;
    case BLEND_ALPHA: op = p == 255 ? kSolidSet : p == 0 ? kSolidNone : kSolidAlpha; break;
    case BLEND_INVERT:
        for (int i = 0; i < 3; ++i) ch[i] = max[i] - ch[i];
        op = p == 255 ? kSolidSet : p == 0 ? kSolidNone : kSolidAlpha;
        break;
    case BLEND_ADD: op = p == 0 ? kSolidNone : kSolidAdd; break;
    case BLEND_SUBTRACT: op = p == 0 ? kSolidNone : kSolidSub; break;
    case BLEND_MULTIPLY: op = kSolidMul; break;
    case BLEND_MULTIPLY_ALPHA: op = kSolidMulAlpha; break;
    default: op = kSolidNone; break;
    }
    out->param = p;
    out->amounts = 0;
    for (int i = 0; i < 3; ++i) {
        out->channel[i] = ch[i];
        out->amount[i] = MulTable(p, ch[i]);
    }
    out->color = sixteen ? Assemble<Layout16>(0, ch) : Assemble<Layout32>(keep, ch);
    out->amounts = sixteen ? Assemble<Layout16>(0, out->amount) : Assemble<Layout32>(0, out->amount);
    return op;
}

namespace {

bool DrawableColourImage(const MEMIMG* view)
{
    if (!IsValidMemImg(view)) return false;
    const MemImgStore* base = view->base;
    return !base->isPalette && !base->hasAlpha && (base->kind == 0 || base->kind == 1);
}

template <class L, int Op>
void SolidRows(MEMIMG* view, const PixelRect& r, const SolidColor& s)
{
    using Pixel = typename L::Pixel;
    const int n = r.right - r.left;
    const SpanOps& ops = ActiveSpanOps();
    for (int y = r.top; y < r.bottom; ++y) {
        Pixel* row = reinterpret_cast<Pixel*>(MemImgRow(view, y)) + r.left;
        if constexpr (sizeof(Pixel) == 4 && Op == kSolidSet) {
            ops.fill32(row, n, s.color);
        } else if constexpr (sizeof(Pixel) == 2 && Op == kSolidSet) {
            ops.fill16(row, n, uint16_t(s.color));
        } else if constexpr (sizeof(Pixel) == 4 && Op == kSolidAlpha) {
            ops.alphaConst32(row, n, s.color, s.param);
        } else if constexpr (sizeof(Pixel) == 4 && Op == kSolidAdd) {
            ops.addConst32(row, n, s.amounts);
        } else if constexpr (sizeof(Pixel) == 4 && Op == kSolidSub) {
            ops.subConst32(row, n, s.amounts);
        } else {
            for (int x = 0; x < n; ++x) ApplySolid<L, Op>(row + x, s);
        }
    }
}

template <class L>
void SolidRowsFor(int op, MEMIMG* view, const PixelRect& r, const SolidColor& s)
{
    switch (op) {
    case kSolidSet: SolidRows<L, kSolidSet>(view, r, s); break;
    case kSolidAlpha: SolidRows<L, kSolidAlpha>(view, r, s); break;
    case kSolidAdd: SolidRows<L, kSolidAdd>(view, r, s); break;
    case kSolidSub: SolidRows<L, kSolidSub>(view, r, s); break;
    case kSolidMul: SolidRows<L, kSolidMul>(view, r, s); break;
    case kSolidMulAlpha: SolidRows<L, kSolidMulAlpha>(view, r, s); break;
    default: break;
    }
}

// The line walk: the first point is drawn, the last is not; max(|dx|, |dy|) pixels.
template <class L, int Op>
void WalkLine(MEMIMG* view, int x, int y, int dx, int dy, const SolidColor& s)
{
    using Pixel = typename L::Pixel;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const int ax = std::abs(dx), ay = std::abs(dy);
    const intptr_t pitch = view->base->pitch;
    uint8_t* p = view->pixels + intptr_t(y) * pitch + intptr_t(x) * intptr_t(sizeof(Pixel));
    const intptr_t stepX = sx * intptr_t(sizeof(Pixel)), stepY = sy * pitch;
    int err = 0;
    if (ax >= ay) {
        for (int i = 0; i < ax; ++i) {
            ApplySolid<L, Op>(reinterpret_cast<Pixel*>(p), s);
            err += ay;
            p += stepX;
            if (err >= ax) p += stepY, err -= ax;
        }
    } else {
        for (int i = 0; i < ay; ++i) {
            ApplySolid<L, Op>(reinterpret_cast<Pixel*>(p), s);
            err += ax;
            p += stepY;
            if (err >= ay) p += stepX, err -= ay;
        }
    }
}

template <class L>
void WalkLineFor(int op, MEMIMG* view, int x, int y, int dx, int dy, const SolidColor& s)
{
    switch (op) {
    case kSolidSet: WalkLine<L, kSolidSet>(view, x, y, dx, dy, s); break;
    case kSolidAlpha: WalkLine<L, kSolidAlpha>(view, x, y, dx, dy, s); break;
    case kSolidAdd: WalkLine<L, kSolidAdd>(view, x, y, dx, dy, s); break;
    case kSolidSub: WalkLine<L, kSolidSub>(view, x, y, dx, dy, s); break;
    case kSolidMul: WalkLine<L, kSolidMul>(view, x, y, dx, dy, s); break;
    case kSolidMulAlpha: WalkLine<L, kSolidMulAlpha>(view, x, y, dx, dy, s); break;
    default: break;
    }
}

}  // namespace

void PaintBoxMemImg(MEMIMG* view, const PixelRect* rect, uint32_t color)
{
    if (!DrawableColourImage(view)) return;
    PixelRect r = rect != nullptr ? *rect : PixelRect{0, 0, view->width, view->height};
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    ClipRect(&r, &DrawState.drawArea);
    // The draw area belongs to the target; never write outside this image.
    const PixelRect whole{0, 0, view->width, view->height};
    ClipRect(&r, &whole);
    if (r.left >= r.right || r.top >= r.bottom) return;
    const bool sixteen = view->base->kind == 0;
    SolidColor s;
    const int op = PrepareSolidColor(color, sixteen, &s);
    if (sixteen)
        SolidRowsFor<Layout16>(op, view, r, s);
    else
        SolidRowsFor<Layout32>(op, view, r, s);
}

void PlotLineMemImg(MEMIMG* view, int x1, int y1, int x2, int y2, uint32_t color)
{
    if (!DrawableColourImage(view)) return;
    // The draw area, kept inside the image.
    PixelRect area = DrawState.drawArea;
    const PixelRect whole{0, 0, view->width, view->height};
    ClipRect(&area, &whole);
    if (!ClipSegmentToArea(area, &x1, &y1, &x2, &y2)) return;
    const int dx = x2 - x1, dy = y2 - y1;
    if (dx == 0 && dy == 0) return;
    const bool sixteen = view->base->kind == 0;
    SolidColor sc;
    const int op = PrepareSolidColor(color, sixteen, &sc);
    if (sixteen)
        WalkLineFor<Layout16>(op, view, x1, y1, dx, dy, sc);
    else
        WalkLineFor<Layout32>(op, view, x1, y1, dx, dy, sc);
}

}  // namespace ror
