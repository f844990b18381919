// RLE8 and RLE4 pixel data of BMP files.
#include "image/bmp_layout.h"

#include <algorithm>

namespace ror {

namespace {

struct RunCursor {
    const BmpLayout& bmp;
    uint8_t* out;
    int64_t pitch;
    int64_t x = 0;
    int64_t row = 0;  // stored row: from the bottom when the picture is bottom-up

    bool Done() const { return row >= bmp.height; }
    void Put(uint8_t index)
    {
        if (x < bmp.width && row < bmp.height) {
            const int64_t y = bmp.bottomUp ? bmp.height - 1 - row : row;
            out[y * pitch + x] = index;
        }
        ++x;
    }
};

}  // namespace

void ExpandBmpRunLength(const BmpLayout& bmp, const uint8_t* data, int64_t dataBytes, uint8_t* out, int64_t pitch)
{
    const bool fourBit = bmp.compression == 2;
    RunCursor cursor{bmp, out, pitch};
    int64_t at = 0;
    while (at + 2 <= dataBytes && !cursor.Done()) {
        const int count = data[at];
        const uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) cursor.Put(fourBit ? uint8_t((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of row
            cursor.x = 0;
            ++cursor.row;
        } else if (value == 1) {  // end of picture
            return;
        } else if (value == 2) {  // move right and on
            if (at + 2 > dataBytes) return;
            cursor.x += data[at];
            cursor.row += data[at + 1];
            at += 2;
        } else {  // absolute run of `value` pixels, padded to an even byte count
            const int64_t bytes = fourBit ? (value + 1) / 2 : value;
            const int64_t present = std::min<int64_t>(bytes, dataBytes - at);
            for (int64_t i = 0; i < value; ++i) {
                const int64_t byte = fourBit ? i / 2 : i;
                if (byte >= present) return;
                const uint8_t b = data[at + byte];
                cursor.Put(fourBit ? uint8_t((i & 1) ? b & 0x0F : b >> 4) : b);
            }
            at += bytes + (bytes & 1);
        }
    }
}

}  // namespace ror
