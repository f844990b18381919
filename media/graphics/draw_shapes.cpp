// Lines, rectangles and polygons: the checks both drawing paths share, then the installed path.
#include "graphics/draw_shapes.h"
#include "rorodiv.h"

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
