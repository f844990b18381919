#include "graphics/blend_tables.h"

namespace ror {

BlendTablesRecord BlendTables;

void BuildBlendTables()
{
    for (int a = 0; a < 256; ++a) {
        for (int c = 0; c < 256; ++c) BlendTables.mul[a][c] = a * c / 255;
        for (int d = -255; d <= 255; ++d) BlendTables.delta[a][d + 255] = a * d / 255;
    }
    for (int w = 0; w < 64; ++w)
        for (int s = 0; s < 64; ++s)
            for (int k = 0; k < 64; ++k) BlendTables.lerp6[w][s][k] = uint8_t((s * w + k * (63 - w)) / 63);
    BlendTables.built = 1;
}

}  // namespace ror
