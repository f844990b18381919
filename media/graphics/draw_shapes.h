// Lines, rectangles and untextured polygons into the current draw target.
#pragma once
#include "rorodiv.h"
#include "graphics/software/memimg.h"

#include <cstdint>

namespace ror {

// A polygon vertex: position, rhw, colour (blue, green, red, alpha bytes) and texture position.
struct PolygonVertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(PolygonVertex) == 28);

enum PrimitiveType {
    kPointList = 1,
    kLineList = 2,
    kLineStrip = 3,
    kTriangleList = 4,
    kTriangleStrip = 5,
    kTriangleFan = 6
};
constexpr int kNoTexture = -5;

int DrawThickSegment(int x1, int y1, int x2, int y2, uint32_t color, int thickness);
int SubmitVertices2D(const PolygonVertex* vertices, int count, int type, int texture, int flag);
// A one-pixel segment cut to the part inside the area, its end points moved along it (the
// second stays just outside, being left out): false when none of it is inside. Both paths draw
// the cut segment, so a line's cost follows the area, not its length.
bool ClipSegmentToArea(const PixelRect& area, int* x1, int* y1, int* x2, int* y2);

}  // namespace ror
