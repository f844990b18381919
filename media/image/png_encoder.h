// PNG files written from pixels, through libpng.
#pragma once
#include <cstdint>
#include <vector>

namespace ror {

// Encodes width x height pixels given as 0xAARRGGBB rows (no padding) into `out`, replacing
// its contents: with an alpha channel when `withAlpha`, else as RGB (alpha ignored). 0 / -1
// (sizes below 1, memory, libpng's refusal).
int EncodePng(const uint32_t* argb, int32_t width, int32_t height, bool withAlpha, std::vector<uint8_t>* out);

}  // namespace ror
