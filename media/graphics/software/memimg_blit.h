// Drawing one software image into another: plain, stretched and mapped onto a triangle.
#pragma once
#include "graphics/software/memimg.h"

namespace ror {

// Bits of MapTriangleMemImg's flags.
constexpr int kTriangleTransparent = 1;

struct TriangleVertex {
    int32_t x, y, u, v;
};

// 1 when the blits can draw `src` into `dst` with the blend image (or none): both images
// valid, the same colour kind, a destination without palette or alpha, and a blend image of
// one 8-bit level per pixel that covers the source. The blits draw nothing otherwise.
int CanBlitMemImg(const MEMIMG* dst, const MEMIMG* src, const MEMIMG* blend);

void PutImageMemImg(MEMIMG* dst, const MEMIMG* src, int x, int y, int trans, const MEMIMG* blend);
void StretchImageMemImg(MEMIMG* dst, const MEMIMG* src, const PixelRect* rect, int trans, const MEMIMG* blend);
void MapTriangleMemImg(MEMIMG* dst, const MEMIMG* src, const TriangleVertex vertices[3], int flags,
                       const MEMIMG* blend);
// A quadrilateral P0..P3 (clockwise from the top-left corner of the image) as two triangles.
void MapQuadMemImg(MEMIMG* dst, const MEMIMG* src, const int32_t corners[4][2], int trans, const MEMIMG* blend);

// The source point under a destination point (x, y): u = uo + ux * x + uy * y and v likewise;
// rows top to bottom (destination pixels, fractional) hold every pixel that can be drawn.
struct SourceMap {
    double uo, ux, uy, vo, vx, vy;
    double top, bottom;
};
// Draws the pixels of dst whose centres map inside src, each from the source pixel under its
// centre (the nearest rule) or, with smooth on 32-bit sources not drawn by their colour key,
// from the four around it mixed.
void TransformImageMemImg(MEMIMG* dst, const MEMIMG* src, const SourceMap& map, int trans, int smooth,
                          const MEMIMG* blend);

// Transparency runs and the premultiplied plane of a store whose pixels were just loaded.
void BuildRunTable(MemImgStore* store);
// Run bytes: (length - 1) | type; 0xC0 ends a row.
constexpr uint8_t kRunTransparent = 0x00;
constexpr uint8_t kRunOpaque = 0x40;
constexpr uint8_t kRunPartial = 0x80;
constexpr uint8_t kRunRowEnd = 0xC0;

// The blend image's weights for border `a` and range `b` (both 0-255).
void BuildRuleTable(uint8_t table[256], int a, int b);

}  // namespace ror
