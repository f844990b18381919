#include "graphics/pixel_convert.h"

#include <cstring>

namespace ror {

namespace {

struct Channels {
    uint32_t red, green, blue, alpha;  // 8-bit each
};

uint32_t ReadPixel(const uint8_t* p, int bytes)
{
    switch (bytes) {
    case 1: return p[0];
    case 2: return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    case 3: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    default: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
}

void WritePixel(uint8_t* p, int bytes, uint32_t v)
{
    for (int i = 0; i < bytes; ++i) p[i] = uint8_t(v >> (8 * i));
}

// A field of `width` bits to 8 bits: exact for 8, the top bits for wider, rounded for narrower.
uint32_t ToEight(uint32_t value, int width)
{
    if (width == 8) return value;
    if (width > 8) return value >> (width - 8);
    const uint32_t max = (1u << width) - 1;
    return (value * 255 + max / 2) / max;
}

uint32_t FromEight(uint32_t value, int width)
{
    if (width == 8) return value;
    if (width < 8) return value >> (8 - width);
    return value * ((1u << width) - 1) / 255;
}

bool SingleChannel(const ColorFormat* f)
{
    return f->redMask != 0 && f->redMask == f->greenMask && f->greenMask == f->blueMask;
}

Channels Decode(const ColorFormat* f, uint32_t v)
{
    if (f->pixelBytes == 1 && !SingleChannel(f)) {
        const uint8_t* e = f->palette[v & 0xFF];
        return {e[2], e[1], e[0], 255};
    }
    if (SingleChannel(f)) {
        const uint32_t c = ToEight(v & f->redMask, f->redWidth);
        return {c, c, c, c};
    }
    Channels c;
    c.red = ToEight((v & f->redMask) >> f->redShift, f->redWidth);
    c.green = ToEight((v & f->greenMask) >> f->greenShift, f->greenWidth);
    c.blue = ToEight((v & f->blueMask) >> f->blueShift, f->blueWidth);
    c.alpha = f->alphaWidth != 0 ? ToEight((v & f->alphaMask) >> f->alphaShift, f->alphaWidth) : 255;
    return c;
}

uint32_t Encode(const ColorFormat* f, const Channels& c)
{
    if (SingleChannel(f)) return FromEight((c.red + c.green + c.blue) / 3, f->redWidth);
    if (f->pixelBytes == 1) return PackColorForFormat(f, int(c.red), int(c.green), int(c.blue), int(c.alpha));
    uint32_t v = (FromEight(c.red, f->redWidth) << f->redShift) | (FromEight(c.green, f->greenWidth) << f->greenShift) |
                 (FromEight(c.blue, f->blueWidth) << f->blueShift) | f->unusedMask;
    if (f->alphaWidth != 0) v |= FromEight(c.alpha, f->alphaWidth) << f->alphaShift;
    return v;
}

bool SameLayout(const ColorFormat* a, const ColorFormat* b)
{
    return a->colorBits == b->colorBits && a->pixelBytes == b->pixelBytes && a->redMask == b->redMask &&
           a->greenMask == b->greenMask && a->blueMask == b->blueMask && a->alphaMask == b->alphaMask &&
           a->pixelBytes > 1;
}

}  // namespace

int ConvertPixels(const PixelImage& src, uint8_t* dst, int dstPitch, const ColorFormat* dstFormat, int width,
                  int height)
{
    const ColorFormat* sf = src.format;
    if (sf == nullptr || dstFormat == nullptr || sf->compression != 0 || dstFormat->compression != 0) return -1;
    if (width <= 0 || height <= 0) return 0;
    const int sb = sf->pixelBytes, db = dstFormat->pixelBytes;
    if (sb < 1 || sb > 4 || db < 1 || db > 4) return -1;

    if (SameLayout(sf, dstFormat)) {
        // Same channels: copy, only the unused bits of the destination are set.
        for (int y = 0; y < height; ++y) {
            const uint8_t* s = src.pixels + intptr_t(y) * src.pitch;
            uint8_t* d = dst + intptr_t(y) * dstPitch;
            if (dstFormat->unusedMask == 0) {
                std::memcpy(d, s, size_t(width) * size_t(db));
                continue;
            }
            for (int x = 0; x < width; ++x)
                WritePixel(d + x * db, db, ReadPixel(s + x * sb, sb) | dstFormat->unusedMask);
        }
        return 0;
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = src.pixels + intptr_t(y) * src.pitch;
        uint8_t* d = dst + intptr_t(y) * dstPitch;
        for (int x = 0; x < width; ++x)
            WritePixel(d + x * db, db, Encode(dstFormat, Decode(sf, ReadPixel(s + x * sb, sb))));
    }
    return 0;
}

}  // namespace ror
