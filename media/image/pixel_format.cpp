#include "image/pixel_format.h"

#include <cstring>

namespace ror {

namespace {

// Lowest set bit position and the length of the run of set bits from there.
void MaskRun(uint32_t mask, uint8_t* shift, uint8_t* width)
{
    *shift = 0;
    *width = 0;
    if (mask == 0) return;
    uint8_t s = 0;
    while (((mask >> s) & 1u) == 0) ++s;
    uint8_t w = 0;
    while (s + w < 32 && ((mask >> (s + w)) & 1u) != 0) ++w;
    *shift = s;
    *width = w;
}

uint32_t LowBits(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }

void FillEightBitRgb(ColorFormat* f, int colorBits, int pixelBytes, bool alpha)
{
    f->colorBits = uint16_t(colorBits);
    f->pixelBytes = uint16_t(pixelBytes);
    f->redWidth = f->greenWidth = f->blueWidth = 8;
    f->redShift = 16;
    f->greenShift = 8;
    f->blueShift = 0;
    f->alphaWidth = alpha ? 8 : 0;
    f->alphaShift = alpha ? 24 : 0;
    f->redMask = 0xFF0000;
    f->greenMask = 0xFF00;
    f->blueMask = 0xFF;
    f->alphaMask = alpha ? 0xFF000000u : 0;
    f->compression = 0;
}

void MakeSingleChannel(ColorFormat* f, int bits)
{
    std::memset(f, 0, sizeof(*f));
    const uint32_t mask = LowBits(bits);
    f->colorBits = uint16_t(bits);
    f->pixelBytes = uint16_t(bits / 8);
    f->redWidth = f->greenWidth = f->blueWidth = f->alphaWidth = uint8_t(bits);
    f->redMask = f->greenMask = f->blueMask = f->alphaMask = mask;
}

struct FormatFamilies {
    bool softwareBuilt;
    ColorFormat software[2][2][2];  // [kind][alpha][palette]
    ColorFormat singleChannel[2];   // kinds 2 and 3
    bool deviceBuilt;
    ColorFormat device[16];  // codes 20-35
    bool deviceKnown[16];
};
FormatFamilies Families;

struct DeviceFormatRow {
    int code, bits;
    uint32_t red, green, blue, alpha;
};
constexpr DeviceFormatRow kDeviceFormats[] = {
    {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {23, 16, 0xF800, 0x07E0, 0x001F, 0},
    {24, 16, 0x7C00, 0x03E0, 0x001F, 0},
    {25, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {26, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
    {27, 8, 0xE0, 0x1C, 0x03, 0},
    {29, 16, 0xE0, 0x1C, 0x03, 0xFF00},
    {30, 16, 0x0F00, 0x00F0, 0x000F, 0},
    {31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000},
    {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
};

// An 8-bit channel in a field of `width` bits: its top bits, or for wider fields its bits
// repeated below, so that 255 fills the field.
uint32_t ScaleChannel(int value, int width)
{
    const uint32_t v = uint32_t(value) & 0xFF;
    if (width <= 8) return v >> (8 - width);
    return (v << (width - 8)) | (v >> (16 - width));
}

uint32_t PackChannels(const ColorFormat* f, int red, int green, int blue)
{
    return (ScaleChannel(red, f->redWidth) << f->redShift) + (ScaleChannel(green, f->greenWidth) << f->greenShift) +
           (ScaleChannel(blue, f->blueWidth) << f->blueShift) + f->unusedMask;
}

}  // namespace

int BuildColorFormat(ColorFormat* f, int colorBits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                     uint32_t alphaMask)
{
    f->colorBits = uint16_t(colorBits);
    f->pixelBytes = uint16_t(colorBits / 8);
    f->redMask = redMask;
    f->greenMask = greenMask;
    f->blueMask = blueMask;
    f->alphaMask = alphaMask;
    f->unusedMask = LowBits(colorBits) & ~(redMask | greenMask | blueMask | alphaMask);
    MaskRun(redMask, &f->redShift, &f->redWidth);
    MaskRun(greenMask, &f->greenShift, &f->greenWidth);
    MaskRun(blueMask, &f->blueShift, &f->blueWidth);
    MaskRun(alphaMask, &f->alphaShift, &f->alphaWidth);
    MaskRun(f->unusedMask, &f->unusedShift, &f->unusedWidth);
    f->compression = 0;
    return 0;
}

int RecomputeUnusedMask(ColorFormat* f)
{
    if (f->redWidth + f->greenWidth + f->blueWidth + f->alphaWidth == f->colorBits)
        f->unusedMask = 0;
    else
        f->unusedMask = LowBits(f->colorBits) & ~(f->redMask | f->greenMask | f->blueMask | f->alphaMask);
    return 0;
}

int MakePaletteFormat(ColorFormat* f)
{
    FillEightBitRgb(f, 8, 1, false);
    f->unusedMask = 0xFF000000u;
    return 0;
}

int MakeGreyPaletteFormat(ColorFormat* f)
{
    MakePaletteFormat(f);
    for (int i = 0; i < 256; ++i) {
        f->palette[i][0] = f->palette[i][1] = f->palette[i][2] = uint8_t(i);
        f->palette[i][3] = 0;
    }
    return 0;
}

int MakeXrgb8Format(ColorFormat* f)
{
    FillEightBitRgb(f, 32, 4, false);
    f->unusedMask = 0xFF000000u;
    f->unusedShift = 24;
    f->unusedWidth = 8;
    return 0;
}

int MakeArgb8Format(ColorFormat* f)
{
    FillEightBitRgb(f, 32, 4, true);
    f->unusedMask = 0;
    return 0;
}

int MakeRgb24Format(ColorFormat* f)
{
    FillEightBitRgb(f, 24, 3, false);
    f->unusedMask = 0;
    return 0;
}

const ColorFormat* SoftwareColorFormat(int kind, int alpha, int palette)
{
    if (kind < 0 || kind > 3) return nullptr;
    if (!Families.softwareBuilt) {
        constexpr uint32_t colour[2][3] = {{0xF800, 0x07E0, 0x001F}, {0xFF0000, 0xFF00, 0xFF}};
        constexpr uint32_t alphaMask[2] = {0xFF0000, 0xFF000000u};
        constexpr int plainBits[2][2] = {{16, 32}, {32, 32}};  // [kind][alpha]
        for (int k = 0; k < 2; ++k)
            for (int a = 0; a < 2; ++a)
                for (int p = 0; p < 2; ++p)
                    BuildColorFormat(&Families.software[k][a][p], p ? 8 : plainBits[k][a], colour[k][0], colour[k][1],
                                     colour[k][2], a ? alphaMask[k] : 0);
        MakeSingleChannel(&Families.singleChannel[0], 8);
        MakeSingleChannel(&Families.singleChannel[1], 16);
        Families.softwareBuilt = true;
    }
    if (kind >= 2) return &Families.singleChannel[kind - 2];
    return &Families.software[kind][alpha ? 1 : 0][palette ? 1 : 0];
}

const ColorFormat* DeviceColorFormat(int code)
{
    if (!Families.deviceBuilt) {
        for (const DeviceFormatRow& row : kDeviceFormats) {
            BuildColorFormat(&Families.device[row.code - 20], row.bits, row.red, row.green, row.blue, row.alpha);
            Families.deviceKnown[row.code - 20] = true;
        }
        Families.deviceBuilt = true;
    }
    if (code < 20 || code > 35 || !Families.deviceKnown[code - 20]) return nullptr;
    return &Families.device[code - 20];
}

uint32_t PackColorForFormat(const ColorFormat* f, int red, int green, int blue, int alpha)
{
    if (f->pixelBytes == 1) {
        const int r = red & 0xFF, g = green & 0xFF, b = blue & 0xFF;
        int best = 0;
        int bestSum = 0x7FFFFFFF;
        for (int i = 0; i < 256; ++i) {
            const int db = f->palette[i][0] - b, dg = f->palette[i][1] - g, dr = f->palette[i][2] - r;
            const int sum = dr * dr + dg * dg + db * db;
            if (sum < bestSum) {
                bestSum = sum;
                best = i;
            }
        }
        return uint32_t(best);
    }
    uint32_t value = PackChannels(f, red, green, blue);
    if (f->alphaWidth != 0) value += ((uint32_t(alpha) & 0xFF) >> (8 - f->alphaWidth)) << f->alphaShift;
    return value;
}

}  // namespace ror
