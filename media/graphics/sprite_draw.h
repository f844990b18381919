// A part of a graphic mirrored, scaled and turned: the mapping both drawing paths draw by.
#pragma once
#include "graphics/pixel_store.h"

#include <cstdint>

namespace ror {

// The affine map between the screen and a part of a graphic, both ways. Screen points are
// pixels with a pixel's centre at +0.5; part points run 0..width and 0..height from the
// part's top-left corner, mirroring already applied.
struct SpriteMapping {
    PixelRect source;  // the part, in the graphic's pixels; not empty
    // Screen point of the part point (u, v): x = ox + xu * u + xv * v, y = oy + yu * u + yv * v.
    double ox, oy, xu, xv, yu, yv;
    // Part point of the screen point (x, y): u = uo + ux * x + uy * y, v = vo + vx * x + vy * y.
    double uo, ux, uy, vo, vx, vy;
    int32_t smooth;  // 1: mix the four texels around a pixel's centre where the path can
};

// The screen point of the part point (u, v).
inline void MapSpritePoint(const SpriteMapping& m, double u, double v, double* x, double* y)
{
    *x = m.ox + m.xu * u + m.xv * v;
    *y = m.oy + m.yu * u + m.yv * v;
}

// The part's corners on the screen: top-left, top-right, bottom-right, bottom-left of the part.
void SpriteCorners(const SpriteMapping& m, double corners[4][2]);

}  // namespace ror
