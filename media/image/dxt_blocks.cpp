#include "image/dxt_blocks.h"

#include "image/image_stream.h"

#include <cstring>

namespace ror {

namespace {

struct Color {
    uint8_t blue, green, red, alpha;
};

Color From565(uint16_t v)
{
    const uint8_t r = uint8_t(v >> 11), g = uint8_t((v >> 5) & 0x3F), b = uint8_t(v & 0x1F);
    return Color{uint8_t(b << 3 | b >> 2), uint8_t(g << 2 | g >> 4), uint8_t(r << 3 | r >> 2), 255};
}

Color Mix(const Color& a, const Color& b, int wa, int wb)
{
    const int sum = wa + wb;
    return Color{uint8_t((a.blue * wa + b.blue * wb) / sum), uint8_t((a.green * wa + b.green * wb) / sum),
                 uint8_t((a.red * wa + b.red * wb) / sum), 255};
}

// The colour half of a block: two end colours and 2-bit indices. In DXT1 blocks whose
// first colour is not above the second, index 3 is transparent black.
void DecodeColors(const uint8_t* block, bool dxt1, Color out[16])
{
    const uint16_t c0 = ReadLe16(block), c1 = ReadLe16(block + 2);
    Color table[4] = {From565(c0), From565(c1), {}, {}};
    if (!dxt1 || c0 > c1) {
        table[2] = Mix(table[0], table[1], 2, 1);
        table[3] = Mix(table[0], table[1], 1, 2);
    } else {
        table[2] = Mix(table[0], table[1], 1, 1);
        table[3] = Color{0, 0, 0, 0};
    }
    const uint32_t indices = ReadLe32(block + 4);
    for (int i = 0; i < 16; ++i) out[i] = table[(indices >> (2 * i)) & 3];
}

void ExplicitAlpha(const uint8_t* block, Color out[16])
{
    for (int i = 0; i < 16; ++i) {
        const uint8_t nibble = (block[i / 2] >> (4 * (i & 1))) & 0x0F;
        out[i].alpha = uint8_t(nibble * 17);
    }
}

void InterpolatedAlpha(const uint8_t* block, Color out[16])
{
    const int a0 = block[0], a1 = block[1];
    int table[8] = {a0, a1};
    if (a0 > a1) {
        for (int i = 1; i <= 6; ++i) table[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i <= 4; ++i) table[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        table[6] = 0;
        table[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) out[i].alpha = uint8_t(table[(bits >> (3 * i)) & 7]);
}

}  // namespace

int ExpandDxtBlocks(const LoadedImage& image, uint8_t* out, int64_t pitch)
{
    const int compression = image.format.compression;
    if (compression < 1 || compression > 5 || image.pixels == nullptr) return -1;
    const int blockBytes = compression == 1 ? 8 : 16;
    const int64_t across = (int64_t(image.width) + 3) / 4, down = (int64_t(image.height) + 3) / 4;
    const uint8_t* block = image.pixels;
    Color texels[16];
    for (int64_t by = 0; by < down; ++by) {
        for (int64_t bx = 0; bx < across; ++bx, block += blockBytes) {
            DecodeColors(block + blockBytes - 8, compression == 1, texels);
            if (compression == 2 || compression == 3) ExplicitAlpha(block, texels);
            if (compression >= 4) InterpolatedAlpha(block, texels);
            for (int i = 0; i < 16; ++i) {
                const int64_t x = bx * 4 + (i & 3), y = by * 4 + (i >> 2);
                if (x < image.width && y < image.height) std::memcpy(out + y * pitch + x * 4, &texels[i], 4);
            }
        }
    }
    return 0;
}

}  // namespace ror
