// Small BMP files made in a test: 24 bits, bottom-up, each pixel from a function of (x, y).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// rgb(x, y) gives 0xRRGGBB.
template <class Rgb>
std::vector<uint8_t> Bmp24(int width, int height, Rgb rgb)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    std::vector<uint8_t> file(54 + size_t(rowBytes) * height, 0);
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(value >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = rgb(x, y);
            uint8_t* p = &file[54 + size_t(height - 1 - y) * rowBytes + size_t(x) * 3];
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
        }
    return file;
}
