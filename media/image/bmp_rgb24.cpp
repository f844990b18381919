// BMP layouts the decoder widens to 24 bits: 1-bit palettes, 16 and 32 bits, bit fields.
#include "image/bmp_layout.h"

namespace ror {

namespace {

// One channel of a bit-field pixel, scaled from its mask's range to 0-255.
struct ChannelScale {
    uint32_t mask;
    int shift;
    uint32_t top;  // the largest value the channel holds

    static ChannelScale From(uint32_t mask)
    {
        ChannelScale c{mask, 0, 0};
        if (mask == 0) return c;
        while (((mask >> c.shift) & 1u) == 0) ++c.shift;
        c.top = mask >> c.shift;
        return c;
    }
    uint8_t Take(uint32_t pixel) const
    {
        if (top == 0) return 0;
        const uint64_t value = (pixel & mask) >> shift;
        return uint8_t((value * 255 + top / 2) / top);
    }
};

}  // namespace

void ConvertBmpRowsToRgb24(const BmpLayout& bmp, const uint8_t* data, uint8_t* out, int64_t pitch)
{
    const ChannelScale red = ChannelScale::From(bmp.masks[0]);
    const ChannelScale green = ChannelScale::From(bmp.masks[1]);
    const ChannelScale blue = ChannelScale::From(bmp.masks[2]);
    for (int64_t y = 0; y < bmp.height; ++y) {
        const uint8_t* src = data + (bmp.bottomUp ? bmp.height - 1 - y : y) * bmp.storedPitch;
        uint8_t* dst = out + y * pitch;
        for (int64_t x = 0; x < bmp.width; ++x, dst += 3) {
            if (bmp.bitCount == 1) {
                const uint8_t* entry = bmp.colors[(src[x >> 3] >> (7 - (x & 7))) & 1];
                dst[0] = entry[0];
                dst[1] = entry[1];
                dst[2] = entry[2];
                continue;
            }
            uint32_t pixel;
            if (bmp.bitCount == 16) {
                pixel = uint32_t(src[x * 2]) | (uint32_t(src[x * 2 + 1]) << 8);
            } else {
                const uint8_t* p = src + x * 4;
                pixel = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
            }
            dst[0] = blue.Take(pixel);
            dst[1] = green.Take(pixel);
            dst[2] = red.Take(pixel);
        }
    }
}

}  // namespace ror
