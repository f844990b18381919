// The edge shape drawn around each glyph pixel of an edged font.
#pragma once
#include <cstdint>

namespace ror {

// True when the pixel at (dx, dy) from a glyph pixel belongs to its edge of width `radius`:
// the four neighbours for 1, round masks for 2 to 4, the full square from 5 on.
bool EdgeShapeIncludes(int32_t radius, int32_t dx, int32_t dy);

}  // namespace ror
