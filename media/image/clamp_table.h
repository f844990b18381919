// The decoders' clamping table: entry j holds j - 512 clamped to 0..255, so a colour sum in
// -512..255 clamps with one look-up.
#pragma once
#include <cstdint>

namespace ror {

extern uint8_t ClampTable[768];

void BuildClampTable();

}  // namespace ror
