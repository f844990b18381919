// Lines, rectangles and polygons: the checks both drawing paths share, then the installed path.
#include "graphics/draw_shapes.h"
#include "rorodiv.h"

#include "core/tracked_memory.h"
#include "graphics/blend_graphics.h"
#include "graphics/color_format.h"
#include "graphics/draw_ops.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"

#include <algorithm>
#include <cmath>

using namespace ror;

int DrawSegment(int x1, int y1, int x2, int y2, uint32_t color, int thickness)
{
    if (thickness > 1) return DrawThickSegment(x1, y1, x2, y2, color, thickness);
    if (!ScreenSettings.graphicsReady || DrawState.drawAreaEmpty) return 0;
    WaitWhileWindowInactive();
    return DrawOps.drawLine(x1, y1, x2, y2, color);
}

int DrawRect(int x1, int y1, int x2, int y2, uint32_t color, int filled)
{
    if (!ScreenSettings.graphicsReady || DrawState.drawAreaEmpty) return 0;
    WaitWhileWindowInactive();
    return DrawOps.drawBox(x1, y1, x2, y2, color, filled);
}

namespace ror {

namespace {

constexpr int kLargestRadius = 1000000;
constexpr int64_t kLargestCorner = 100000000;
constexpr int kMostCorners = 65536;

// One row's pixels [left, right) as a box, the ends kept near the int range (the box is cut to
// the draw area anyway).
void DrawSpan(int64_t left, int64_t right, int y, uint32_t color)
{
    if (left >= right) return;
    const PixelRect& area = DrawState.drawArea;
    left = std::max<int64_t>(left, int64_t(area.left) - 1);
    right = std::min<int64_t>(right, int64_t(area.right) + 1);
    if (left < right) DrawOps.drawBox(int(left), y, int(right), y + 1, color, 1);
}

// The ellipse's rule: (2 dx)^2 (2 ry + 1)^2 + (2 dy)^2 (2 rx + 1)^2 < (2 rx + 1)^2 (2 ry + 1)^2,
// in 128 bits so that the largest radii stay exact.
struct EllipseRule {
    __int128 across, down, bound;  // (2 rx + 1)^2, (2 ry + 1)^2 and their product

    EllipseRule(int rx, int ry)
    {
        across = __int128(2 * int64_t(rx) + 1) * (2 * int64_t(rx) + 1);
        down = __int128(2 * int64_t(ry) + 1) * (2 * int64_t(ry) + 1);
        bound = across * down;
    }
    bool Inside(int64_t dx, int64_t dy) const
    {
        return __int128(4 * dx * dx) * down + __int128(4 * dy * dy) * across < bound;
    }
    // The largest dx inside on row dy, -1 when none.
    int64_t HalfWidth(int64_t dy, int rx, int ry) const
    {
        if (!Inside(0, dy)) return -1;
        const double t = double(dy) / (ry + 0.5);
        int64_t d = int64_t((rx + 0.5) * std::sqrt(std::max(0.0, 1.0 - t * t)));
        while (Inside(d + 1, dy)) ++d;
        while (d > 0 && !Inside(d, dy)) --d;
        return d;
    }
};

// x of the first pixel whose centre is at or right of where the edge (x0, y0)-(x1, y1) crosses
// the row y's centre line: ceil(crossing - 1/2), exact.
int64_t CrossingPixel(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t y)
{
    int64_t num = 2 * x0 * (y1 - y0) + (2 * y + 1 - 2 * y0) * (x1 - x0) - (y1 - y0);
    int64_t den = 2 * (y1 - y0);
    if (den < 0) num = -num, den = -den;
    return num >= 0 ? (num + den - 1) / den : -((-num) / den);
}

}  // namespace

// The band is built the same way on both paths and drawn as a polygon.
int DrawThickSegment(int x1, int y1, int x2, int y2, uint32_t color, int thickness)
{
    if (thickness <= 0) thickness = 1;
    const float dx = float(double(x2) - x1), dy = float(double(y2) - y1);
    const float len = std::sqrt(dx * dx + dy * dy);
    const float k = (1.0f / len) * float(thickness) * 0.5f;
    const float nx = dy * k, ny = -dx * k;
    int r = 0, g = 0, b = 0;
    UnpackColor(color, &r, &g, &b);
    const uint32_t vertexColor = 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
    const PolygonVertex band[4] = {
        {float(x1) + nx, float(y1) + ny, 0, 1, vertexColor, 0, 0},
        {float(x2) + nx, float(y2) + ny, 0, 1, vertexColor, 0, 0},
        {float(x1) - nx, float(y1) - ny, 0, 1, vertexColor, 0, 0},
        {float(x2) - nx, float(y2) - ny, 0, 1, vertexColor, 0, 0},
    };
    SubmitVertices2D(band, 4, kTriangleStrip, kNoTexture, 0);
    return 0;
}

namespace {

// The fewest vertices that draw anything: a point, a line or a triangle.
int FewestVertices(int type) { return type == kPointList ? 1 : type <= kLineStrip ? 2 : 3; }

// 1 when every coordinate is a number the paths can place.
int AllFinite(const PolygonVertex* vertices, int count)
{
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(vertices[i].x) || !std::isfinite(vertices[i].y)) return 0;
    return 1;
}

}  // namespace

int SubmitVertices2D(const PolygonVertex* vertices, int count, int type, int texture, int flag)
{
    // A texture that is no graphic refuses; a request that can draw nothing is done.
    if (texture != kNoTexture && ResolveGraphic(texture) == nullptr) return -1;
    if (vertices == nullptr || type < kPointList || type > kTriangleFan || count < FewestVertices(type)) return 0;
    if (!AllFinite(vertices, count)) return 0;
    if (!ScreenSettings.graphicsReady || DrawState.drawAreaEmpty) return 0;
    WaitWhileWindowInactive();
    return DrawOps.submitVertices(vertices, count, type, texture, flag);
}

bool ClipSegmentToArea(const PixelRect& area, int* px1, int* py1, int* px2, int* py2)
{
    const int L = area.left, T = area.top, R = area.right, B = area.bottom;
    if (L >= R || T >= B) return false;
    int x1 = *px1, y1 = *py1, x2 = *px2, y2 = *py2;
    if (std::min(y1, y2) >= B || std::min(x1, x2) >= R || std::max(y1, y2) < T || std::max(x1, x2) < L) return false;

    // Differences of far-apart corners do not fit an int.
    const double ix = y1 == y2 ? 0.0 : (double(x2) - x1) / (double(y2) - y1);
    const double s = x1 == x2 ? 0.0 : (double(y2) - y1) / (double(x2) - x1);
    const double bx = x1 - y1 * ix;
    const double by = y1 - x1 * s;
    auto trunc = [](double v) {
        if (v > 2e9) return 2000000000;
        if (v < -2e9) return -2000000000;
        return int(v);
    };

    if (x1 < L)
        y1 = trunc(s * L + by), x1 = L;
    else if (x1 >= R)
        x1 = R - 1, y1 = trunc(s * (R - 1) + by);
    if (x2 < L)
        x2 = L - 1, y2 = trunc(s * (L - 1) + by);
    else if (x2 >= R)
        x2 = R, y2 = trunc(s * R + by);
    if (y1 < T)
        x1 = trunc(ix * T + bx), y1 = T;
    else if (y1 >= B)
        y1 = B - 1, x1 = trunc(ix * (B - 1) + bx);
    if (y2 < T)
        y2 = T - 1, x2 = trunc(ix * (T - 1) + bx);
    else if (y2 >= B)
        y2 = B, x2 = trunc(ix * B + bx);

    x1 = std::clamp(x1, L, R - 1);
    if (x2 < L)
        x2 = L - 1;
    else if (x2 >= R)
        x2 = R;
    y1 = std::clamp(y1, T, B - 1);
    if (y2 < T)
        y2 = T - 1;
    else if (y2 >= B)
        y2 = B;

    *px1 = x1, *py1 = y1, *px2 = x2, *py2 = y2;
    return true;
}

}  // namespace ror

using namespace ror;

int DrawEllipse(int centreX, int centreY, int radiusX, int radiusY, uint32_t color, int filled)
{
    if (radiusX < 0 || radiusY < 0 || radiusX > kLargestRadius || radiusY > kLargestRadius) return -1;
    if (!ScreenSettings.graphicsReady || DrawState.drawAreaEmpty) return 0;
    WaitWhileWindowInactive();
    const EllipseRule rule(radiusX, radiusY);
    const PixelRect& area = DrawState.drawArea;
    const int64_t top = std::max<int64_t>(int64_t(centreY) - radiusY, area.top);
    const int64_t bottom = std::min<int64_t>(int64_t(centreY) + radiusY, int64_t(area.bottom) - 1);
    auto halfWidth = [&](int64_t y) { return rule.HalfWidth(y - centreY, radiusX, radiusY); };
    for (int64_t y = top; y <= bottom; ++y) {
        const int64_t d = halfWidth(y);
        if (filled) {
            DrawSpan(centreX - d, int64_t(centreX) + d + 1, int(y), color);
            continue;
        }
        // A pixel is inside the outline's hole when its four neighbours are all inside.
        const int64_t hole = std::min({d - 1, halfWidth(y - 1), halfWidth(y + 1)});
        if (hole < 0) {
            DrawSpan(centreX - d, int64_t(centreX) + d + 1, int(y), color);
        } else {
            DrawSpan(centreX - d, centreX - hole, int(y), color);
            DrawSpan(int64_t(centreX) + hole + 1, int64_t(centreX) + d + 1, int(y), color);
        }
    }
    return 0;
}

int DrawCircleShape(int centreX, int centreY, int radius, uint32_t color, int filled)
{
    return DrawEllipse(centreX, centreY, radius, radius, color, filled);
}

int DrawPolygonShape(const int32_t (*points)[2], int count, uint32_t color, int filled)
{
    if (points == nullptr || count < 3 || count > kMostCorners) return -1;
    int64_t top = points[0][1], bottom = points[0][1];
    for (int i = 0; i < count; ++i) {
        if (std::llabs(points[i][0]) > kLargestCorner || std::llabs(points[i][1]) > kLargestCorner) return -1;
        top = std::min<int64_t>(top, points[i][1]);
        bottom = std::max<int64_t>(bottom, points[i][1]);
    }
    if (!ScreenSettings.graphicsReady || DrawState.drawAreaEmpty) return 0;
    if (!filled) {
        for (int i = 0; i < count; ++i) {
            const int j = (i + 1) % count;
            DrawSegment(points[i][0], points[i][1], points[j][0], points[j][1], color, 1);
        }
        return 0;
    }
    WaitWhileWindowInactive();
    // Row by row, the edges crossing the row's centre line, paired left to right (even-odd).
    auto* crossings = static_cast<int64_t*>(TrackedAlloc(int32_t(sizeof(int64_t)) * count, __FILE__, __LINE__));
    if (crossings == nullptr) return -1;
    const PixelRect& area = DrawState.drawArea;
    const int64_t first = std::max<int64_t>(top, area.top), last = std::min<int64_t>(bottom, area.bottom);
    for (int64_t y = first; y < last; ++y) {
        int found = 0;
        for (int i = 0; i < count; ++i) {
            const int j = (i + 1) % count;
            const int64_t y0 = points[i][1], y1 = points[j][1];
            if (y0 == y1 || y < std::min(y0, y1) || y >= std::max(y0, y1)) continue;
            crossings[found++] = CrossingPixel(points[i][0], y0, points[j][0], y1, y);
        }
        std::sort(crossings, crossings + found);
        for (int k = 0; k + 1 < found; k += 2) DrawSpan(crossings[k], crossings[k + 1], int(y), color);
    }
    TrackedFree(crossings);
    return 0;
}

int DrawTriangleShape(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int filled)
{
    const int32_t corners[3][2] = {{x1, y1}, {x2, y2}, {x3, y3}};
    return DrawPolygonShape(corners, 3, color, filled);
}

int DrawPoint(int x, int y, uint32_t color)
{
    if (!ScreenSettings.graphicsReady || DrawState.drawAreaEmpty) return 0;
    if (x == INT32_MAX || y == INT32_MAX) return 0;  // past every target
    WaitWhileWindowInactive();
    return DrawOps.drawBox(x, y, x + 1, y + 1, color, 1);
}

namespace {

void WriteChannels(uint32_t argb, int* red, int* green, int* blue, int* alpha)
{
    if (red != nullptr) *red = int((argb >> 16) & 0xFF);
    if (green != nullptr) *green = int((argb >> 8) & 0xFF);
    if (blue != nullptr) *blue = int(argb & 0xFF);
    if (alpha != nullptr) *alpha = int(argb >> 24);
}

}  // namespace

int ReadScreenPixel(int x, int y, int* red, int* green, int* blue)
{
    if (!ScreenSettings.graphicsReady) return -1;
    if (x < 0 || y < 0 || x >= ScreenSettings.width || y >= ScreenSettings.height) return -1;
    uint32_t argb = 0;
    if (DrawOps.readScreenPixel(x, y, &argb) != 0) return -1;
    WriteChannels(argb, red, green, blue, nullptr);
    return 0;
}

int ReadGraphicPixel(int handle, int x, int y, int* red, int* green, int* blue, int* alpha)
{
    if (!ScreenSettings.graphicsReady) return -1;
    GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr || IsBlendGraphic(g) || x < 0 || y < 0 || x >= g->width || y >= g->height) return -1;
    uint32_t argb = 0;
    if (DrawOps.readGraphicPixel(g, x, y, &argb) != 0) return -1;
    WriteChannels(argb, red, green, blue, alpha);
    return 0;
}
