// PNG files written from pixels, through libpng.
#pragma once
#include <cstdint>
#include <memory>

namespace ror {

struct EncodedPng {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

// Encodes width x height pixels given as 0xAARRGGBB rows (no padding) into `out`: with an
// alpha channel when `withAlpha`, else as RGB (alpha ignored). 0 / -1 (sizes below 1, no
// memory, libpng's refusal).
int EncodePng(const uint32_t* argb, int32_t width, int32_t height, bool withAlpha, EncodedPng* out);

}  // namespace ror
