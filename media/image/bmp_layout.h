// The parts of a BMP file the decoder's stages share.
#pragma once
#include <cstdint>

namespace ror {

struct BmpLayout {
    int32_t width;
    int32_t height;  // rows, always positive
    bool bottomUp;   // the first stored row is the bottom row
    int32_t bitCount;
    int32_t compression;     // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
    int64_t storedPitch;     // bytes of a stored row, a multiple of 4
    uint8_t colors[256][4];  // blue, green, red, reserved; unused entries are 0
    uint32_t masks[3];       // red, green, blue for 16 and 32 bits
};

// Expands RLE8 or RLE4 data into one index byte per pixel, rows top first. Codes that
// would write past a row or past the last row are dropped; data ending early leaves zeros.
void ExpandBmpRunLength(const BmpLayout& bmp, const uint8_t* data, int64_t dataBytes, uint8_t* out, int64_t pitch);

// Converts 1-, 16- and 32-bit rows (plain or bit fields) to 24-bit blue, green, red rows.
void ConvertBmpRowsToRgb24(const BmpLayout& bmp, const uint8_t* data, uint8_t* out, int64_t pitch);

}  // namespace ror
