// Lookup tables that keep division out of the per-pixel work.
#pragma once
#include <cstdint>

namespace ror {

struct BlendTablesRecord {
    int32_t mul[256][256];      // mul[a][c] = a * c / 255
    int32_t delta[256][511];    // delta[a][d + 255] = a * d / 255, d in -255..255
    uint8_t lerp6[64][64][64];  // lerp6[w][s][k] = (s * w + k * (63 - w)) / 63
    int32_t built;
};
extern BlendTablesRecord BlendTables;

void BuildBlendTables();

inline int32_t MulTable(int a, int c) { return BlendTables.mul[a][c]; }
inline int32_t DeltaTable(int a, int d) { return BlendTables.delta[a][d + 255]; }

}  // namespace ror
