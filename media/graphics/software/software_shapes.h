// The software path's polygon filler, shared by its shape forms and its tests.
#pragma once
#include <cstdint>

namespace ror {

struct MEMIMG;

// Fills the pixels whose positions lie inside the convex polygon (pixel (x, y) sits at the
// point (x, y)); pixels on a top or left edge belong to it, those on a bottom or right edge
// do not, so polygons sharing an edge never draw a pixel twice.
void FillConvexPolygon(MEMIMG* image, const float (*points)[2], int count, uint32_t color);

}  // namespace ror
