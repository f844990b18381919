#include "image/clamp_table.h"

namespace ror {

uint8_t ClampTable[768];

void BuildClampTable()
{
    for (int j = 0; j < 768; ++j) {
        int value = j - 512;
        ClampTable[j] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
}

}  // namespace ror
