// Converting pixel rows between any two ColorFormats (palette, 16, 24 and 32 bits, single
// channel). Used by copying images into graphics and by picture loading.
#pragma once
#include "graphics/color_format.h"

#include <cstdint>

namespace ror {

struct PixelImage {
    const uint8_t* pixels;
    int32_t pitch;  // bytes from one row to the next
    int32_t width, height;
    const ColorFormat* format;  // palette formats carry their entries
};

// Converts width x height pixels. `dst` rows start at dstPixels with dstPitch bytes between
// them. Pixels of a format without alpha count as opaque; bits of the destination that belong
// to no channel are set, as packed colours have them. Returns 0, or -1 for a format it cannot
// handle (block-compressed data).
int ConvertPixels(const PixelImage& src, uint8_t* dstPixels, int dstPitch, const ColorFormat* dstFormat, int width,
                  int height);

}  // namespace ror
