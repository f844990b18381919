#include "text/glyph_edge.h"

namespace ror {

namespace {

// Rows from -r to +r, one bit per column from -r (most significant) to +r.
constexpr uint16_t kEdgeMask2[5] = {0b01110, 0b11111, 0b11111, 0b11111, 0b01110};
constexpr uint16_t kEdgeMask3[7] = {0b0001000, 0b0111110, 0b0111110, 0b1111111, 0b0111110, 0b0111110, 0b0001000};
constexpr uint16_t kEdgeMask4[9] = {0b001111100, 0b011111110, 0b111111111, 0b111111111, 0b111111111,
                                    0b111111111, 0b111111111, 0b011111110, 0b001111100};

}  // namespace

bool EdgeShapeIncludes(int32_t radius, int32_t dx, int32_t dy)
{
    if (radius < 1 || dx < -radius || dx > radius || dy < -radius || dy > radius) return false;
    const uint16_t* rows = nullptr;
    switch (radius) {
    case 1: return (dx == 0) != (dy == 0);
    case 2: rows = kEdgeMask2; break;
    case 3: rows = kEdgeMask3; break;
    case 4: rows = kEdgeMask4; break;
    default: return true;
    }
    return (rows[dy + radius] >> (radius - dx)) & 1;
}

}  // namespace ror
