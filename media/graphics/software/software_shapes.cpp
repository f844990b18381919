// The software path's lines, boxes and untextured polygons.
#include "graphics/software/software_shapes.h"
#include "rorodiv.h"

#include "graphics/color_format.h"
#include "graphics/draw_shapes.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "graphics/software/memimg.h"
#include "graphics/software/software_ops.h"
#include "graphics/window_link.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>

namespace ror {

namespace {

MEMIMG* TargetImage()
{
    MEMIMG* target = SoftScreen.target;
    return ScreenSettings.graphicsReady && IsValidMemImg(target) ? target : nullptr;
}

// Four corners in order around a rectangle whose sides are horizontal and vertical.
bool IsAxisAlignedRectangle(const double* px, const double* py)
{
    const bool horizontalFirst = py[0] == py[1] && px[1] == px[2] && py[2] == py[3] && px[3] == px[0];
    const bool verticalFirst = px[0] == px[1] && py[1] == py[2] && px[2] == px[3] && py[3] == py[0];
    return horizontalFirst || verticalFirst;
}

// A coordinate rounded up to a pixel, kept well inside the int range like the rows below.
int CeilToPixel(double v) { return int(std::ceil(std::clamp(v, -1e9, 1e9))); }

}  // namespace

void FillConvexPolygon(MEMIMG* image, const float (*points)[2], int count, uint32_t color)
{
    if (count < 3 || count > 8 || !IsValidMemImg(image)) return;
    double px[8], py[8];
    double area = 0;
    for (int i = 0; i < count; ++i) {
        px[i] = points[i][0];
        py[i] = points[i][1];
        if (!std::isfinite(px[i]) || !std::isfinite(py[i])) return;
    }
    for (int i = 0; i < count; ++i) {
        const int j = (i + 1) % count;
        area += px[i] * py[j] - px[j] * py[i];
    }
    if (area == 0) return;
    if (area < 0) {  // make the inside lie where every edge function is positive
        std::reverse(px, px + count);
        std::reverse(py, py + count);
    }
    double top = py[0], bottom = py[0];
    for (int i = 1; i < count; ++i) top = std::min(top, py[i]), bottom = std::max(bottom, py[i]);
    if (count == 4 && IsAxisAlignedRectangle(px, py)) {
        // The rule below covers exactly the pixels x in [ceil(left), ceil(right)) and
        // y in [ceil(top), ceil(bottom)) of such a rectangle: one box, the same pixels.
        double left = std::min(px[0], px[2]), right = std::max(px[0], px[2]);
        const PixelRect box{CeilToPixel(left), CeilToPixel(top), CeilToPixel(right), CeilToPixel(bottom)};
        PaintBoxMemImg(image, &box, color);
        return;
    }
    PixelRect area2 = DrawState.drawArea;
    const PixelRect whole{0, 0, image->width, image->height};
    ClipRect(&area2, &whole);
    const int y0 = std::max<int>(area2.top, int(std::ceil(std::max(top, -1e9))));
    const int y1 = std::min<int>(area2.bottom - 1, int(std::floor(std::min(bottom, 1e9))));
    for (int y = y0; y <= y1; ++y) {
        double lo = area2.left, hi = area2.right - 1;
        for (int i = 0; i < count && lo <= hi; ++i) {
            const int j = (i + 1) % count;
            const double dx = px[j] - px[i], dy = py[j] - py[i];
            const bool topLeft = (dy == 0 && dx > 0) || dy < 0;
            // Inside: dx * (y - ay) - dy * (x - ax) > 0, or = 0 on a top or left edge.
            const double c = dx * (y - py[i]) + dy * px[i];
            if (dy == 0) {
                if (c < 0 || (c == 0 && !topLeft)) lo = hi + 1;
            } else if (dy < 0) {
                const double bound = -c / -dy;  // x >= bound
                lo = std::max(lo, std::ceil(bound));
            } else {
                const double bound = c / dy;  // x <= bound, strictly on a right edge
                const double f = std::floor(bound);
                hi = std::min(hi, f == bound ? f - 1 : f);
            }
        }
        if (lo > hi) continue;
        const PixelRect row{int(lo), y, int(hi) + 1, y + 1};
        PaintBoxMemImg(image, &row, color);
    }
}

int SoftwareDrawLine(int x1, int y1, int x2, int y2, uint32_t color)
{
    MEMIMG* target = TargetImage();
    if (target != nullptr) PlotLineMemImg(target, x1, y1, x2, y2, color);
    return 0;
}

int SoftwareDrawBox(int x1, int y1, int x2, int y2, uint32_t color, int filled)
{
    MEMIMG* target = TargetImage();
    if (target == nullptr) return 0;
    if (filled) {
        const PixelRect r{x1, y1, x2, y2};
        PaintBoxMemImg(target, &r, color);
        return 0;
    }
    // The last column and row inside the exclusive corner; at the lowest int there is none
    // further left, and the box stays there instead of wrapping round.
    const int right = int(std::max<int64_t>(int64_t(x2) - 1, INT_MIN));
    const int bottom = int(std::max<int64_t>(int64_t(y2) - 1, INT_MIN));
    PlotLineMemImg(target, x1, y1, right, y1, color);
    PlotLineMemImg(target, right, y1, right, bottom, color);
    PlotLineMemImg(target, right, bottom, x1, bottom, color);
    PlotLineMemImg(target, x1, bottom, x1, y1, color);
    return 0;
}

int SoftwareSubmitVertices(const PolygonVertex* vertices, int count, int type, int texture, int flag)
{
    (void)flag;
    if (texture != kNoTexture) return -1;  // textured polygons belong to the device path
    MEMIMG* target = TargetImage();
    if (target != nullptr) {
        // Each triangle takes its first vertex's colour; the box routine applies the brightness
        // and the blend mode to it.
        auto draw = [&](int a, int b, int c) {
            const float pts[3][2] = {{vertices[a].x, vertices[a].y},
                                     {vertices[b].x, vertices[b].y},
                                     {vertices[c].x, vertices[c].y}};
            const uint32_t col = vertices[a].color;
            FillConvexPolygon(target, pts, 3,
                              PackColor(int((col >> 16) & 0xFF), int((col >> 8) & 0xFF), int(col & 0xFF)));
        };
        if (type == kTriangleStrip && count == 4 && vertices[0].color == vertices[1].color &&
            vertices[0].color == vertices[2].color && vertices[0].color == vertices[3].color) {
            // One quadrilateral (a band): fill it whole, so no seam lies along its diagonal.
            const float quad[4][2] = {{vertices[0].x, vertices[0].y},
                                      {vertices[1].x, vertices[1].y},
                                      {vertices[3].x, vertices[3].y},
                                      {vertices[2].x, vertices[2].y}};
            const uint32_t col = vertices[0].color;
            FillConvexPolygon(target, quad, 4,
                              PackColor(int((col >> 16) & 0xFF), int((col >> 8) & 0xFF), int(col & 0xFF)));
        } else if (type == kTriangleList) {
            for (int i = 0; i + 2 < count; i += 3) draw(i, i + 1, i + 2);
        } else if (type == kTriangleStrip) {
            for (int i = 0; i + 2 < count; ++i) draw(i, i + 1, i + 2);
        } else if (type == kTriangleFan) {
            for (int i = 1; i + 1 < count; ++i) draw(0, i, i + 1);
        }
    }
    return 0;
}

}  // namespace ror
