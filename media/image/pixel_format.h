// Pixel layouts: the ColorFormat record that describes pictures, images and textures, the
// fixed software and device format families, and packing 8-bit red, green and blue into a
// pixel value of a layout. Below graphics, so that decoded pictures can say what they hold.
#pragma once
#include <cstdint>

namespace ror {

struct ColorFormat {
    uint16_t colorBits;
    uint16_t pixelBytes;
    uint8_t redWidth, greenWidth, blueWidth, alphaWidth;
    uint8_t redShift, greenShift, blueShift, alphaShift;
    uint32_t redMask, greenMask, blueMask, alphaMask;
    uint32_t unusedMask;
    uint8_t palette[256][4];  // blue, green, red, reserved
    uint8_t unusedShift, unusedWidth;
    int32_t compression;  // 0 plain; 1-5 DXT1-DXT5
};

int BuildColorFormat(ColorFormat* format, int colorBits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                     uint32_t alphaMask);
int RecomputeUnusedMask(ColorFormat* format);

// Fixed builders for the picture decoders and palette images.
int MakePaletteFormat(ColorFormat* format);
int MakeGreyPaletteFormat(ColorFormat* format);
int MakeXrgb8Format(ColorFormat* format);
int MakeArgb8Format(ColorFormat* format);
int MakeRgb24Format(ColorFormat* format);

// Shared records, built on first use and kept for the process; null for unknown values.
// kind 0 = 16-bit family, 1 = 32-bit family, 2 = one 8-bit channel, 3 = one 16-bit channel.
const ColorFormat* SoftwareColorFormat(int kind, int alpha, int palette);
// code = the device format number (20 R8G8B8 ... 35 A2R10G10B10).
const ColorFormat* DeviceColorFormat(int code);

// Device format numbers used by the layer.
constexpr int kFormatR8G8B8 = 20;
constexpr int kFormatA8R8G8B8 = 21;
constexpr int kFormatX8R8G8B8 = 22;
constexpr int kFormatR5G6B5 = 23;

uint32_t PackColorForFormat(const ColorFormat* format, int red, int green, int blue, int alpha);

}  // namespace ror
