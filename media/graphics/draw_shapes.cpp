// Lines, rectangles and polygons: the checks both drawing paths share, then the installed path.
#include "graphics/draw_shapes.h"

#include "graphics/color_format.h"
#include "graphics/draw_ops.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"

#include <cmath>

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
