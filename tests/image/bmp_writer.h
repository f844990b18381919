// Writes BMP files of every layout the decoder reads, for its tests.
#pragma once
#include "image_fixture.h"

struct BmpRecipe {
    int bits;         // 1, 4, 8, 16, 24, 32
    int compression;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown;
    int headerBytes = 40;           // 40, or 108 / 124 for the longer headers
    uint32_t masks[3] = {0, 0, 0};  // bit fields: red, green, blue
    int colorsUsed = 0;             // stored palette entries; 0 = all
};

// One channel of 8 bits reduced to a mask's width and widened back as the decoder does.
inline uint8_t ThroughMask(uint8_t value, uint32_t mask)
{
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const uint32_t top = mask >> shift;
    int width = 0;
    while ((top >> width) & 1) ++width;
    const uint32_t reduced = width >= 8 ? uint32_t(value) << (width - 8) : value >> (8 - width);
    return uint8_t((uint64_t(reduced) * 255 + top / 2) / top);
}

inline uint32_t PackThroughMasks(const uint8_t* rgba, const uint32_t masks[3])
{
    uint32_t pixel = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t mask = masks[c];
        if (mask == 0) continue;
        int shift = 0;
        while (((mask >> shift) & 1) == 0) ++shift;
        const uint32_t top = mask >> shift;
        int width = 0;
        while ((top >> width) & 1) ++width;
        const uint32_t reduced = width >= 8 ? uint32_t(rgba[c]) << (width - 8) : rgba[c] >> (8 - width);
        pixel |= reduced << shift;
    }
    return pixel;
}

// RLE8 / RLE4 rows: runs where pixels repeat (RLE4: alternate), absolute runs elsewhere.
inline void EncodeRunLengthRow(Bytes& out, const uint8_t* row, int width, bool fourBit)
{
    int x = 0;
    auto runAt = [&](int at) {
        int k = 1;
        while (at + k < width && k < 255 && row[at + k] == row[at + (fourBit ? (k & 1) : 0)]) ++k;
        return k;
    };
    const int minRun = fourBit ? 4 : 2;  // RLE4 runs of two pixels would hide the absolute mode
    while (x < width) {
        int run = runAt(x);
        if (run >= minRun) {
            out.push_back(uint8_t(run));
            out.push_back(fourBit ? uint8_t((row[x] << 4) | row[std::min(x + 1, width - 1)]) : row[x]);
            x += run;
            continue;
        }
        int singles = 0;
        while (x + singles < width && singles < 255 && (singles == 0 || runAt(x + singles) < minRun)) ++singles;
        if (singles < 3) {
            for (int i = 0; i < singles; ++i) {
                out.push_back(1);
                out.push_back(fourBit ? uint8_t(row[x + i] << 4) : row[x + i]);
            }
        } else {
            out.push_back(0);
            out.push_back(uint8_t(singles));
            const int bytes = fourBit ? (singles + 1) / 2 : singles;
            for (int i = 0; i < bytes; ++i) {
                if (!fourBit) {
                    out.push_back(row[x + i]);
                } else {
                    const uint8_t high = row[x + 2 * i];
                    const uint8_t low = 2 * i + 1 < singles ? row[x + 2 * i + 1] : 0;
                    out.push_back(uint8_t((high << 4) | low));
                }
            }
            if (bytes & 1) out.push_back(0);
        }
        x += singles;
    }
    out.push_back(0);
    out.push_back(0);
}

// indexed: used for 1-8 bits; rgba: for 16-32 bits.
inline Bytes WriteBmp(const BmpRecipe& recipe, const IndexedPicture* indexed, const Rgba* rgba)
{
    const int width = indexed != nullptr ? indexed->width : rgba->width;
    const int height = indexed != nullptr ? indexed->height : rgba->height;
    const int paletteEntries = recipe.bits <= 8 ? (recipe.colorsUsed != 0 ? recipe.colorsUsed : 1 << recipe.bits) : 0;
    Bytes header;
    header.push_back('B');
    header.push_back('M');
    PutLe32(header, 0);  // file size, filled below
    PutLe32(header, 0);
    PutLe32(header, 0);  // data offset, filled below
    PutLe32(header, uint32_t(recipe.headerBytes));
    PutLe32(header, uint32_t(width));
    PutLe32(header, uint32_t(recipe.topDown ? -height : height));
    PutLe16(header, 1);
    PutLe16(header, uint32_t(recipe.bits));
    PutLe32(header, uint32_t(recipe.compression));
    PutLe32(header, 0);
    PutLe32(header, 2835);
    PutLe32(header, 2835);
    PutLe32(header, uint32_t(recipe.colorsUsed));
    PutLe32(header, 0);
    // Masks: inside the longer headers, or behind the short one.
    if (recipe.compression == 3 || recipe.headerBytes > 40)
        for (uint32_t mask : recipe.masks) PutLe32(header, mask);
    while (header.size() < size_t(14 + recipe.headerBytes)) header.push_back(0);
    for (int i = 0; i < paletteEntries; ++i) {
        const auto& entry = indexed->palette[size_t(i) % indexed->palette.size()];
        header.insert(header.end(), {entry[2], entry[1], entry[0], 0});
    }
    SetLe32(header, 10, uint32_t(header.size()));

    Bytes data;
    for (int s = 0; s < height; ++s) {
        const int y = recipe.topDown ? s : height - 1 - s;
        if (recipe.compression == 1 || recipe.compression == 2) {
            EncodeRunLengthRow(data, indexed->indices.data() + size_t(y) * width, width, recipe.compression == 2);
            continue;
        }
        Bytes row;
        if (recipe.bits <= 8) {
            const uint8_t* idx = indexed->indices.data() + size_t(y) * width;
            const int perByte = 8 / recipe.bits;
            row.assign(size_t((width + perByte - 1) / perByte), 0);
            for (int x = 0; x < width; ++x)
                row[x / perByte] |= uint8_t(idx[x] << (8 - recipe.bits * (x % perByte + 1)));
        } else {
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = rgba->At(x, y);
                if (recipe.bits == 24) {
                    row.insert(row.end(), {p[2], p[1], p[0]});
                } else {
                    uint32_t defaults16[3] = {0x7C00, 0x3E0, 0x1F}, defaults32[3] = {0xFF0000, 0xFF00, 0xFF};
                    const uint32_t* masks = recipe.compression == 3 ? recipe.masks
                                            : recipe.bits == 16     ? defaults16
                                                                    : defaults32;
                    const uint32_t v = PackThroughMasks(p, masks);
                    if (recipe.bits == 16)
                        PutLe16(row, v);
                    else
                        PutLe32(row, v);
                }
            }
        }
        while (row.size() % 4) row.push_back(0);
        data.insert(data.end(), row.begin(), row.end());
    }
    if (recipe.compression == 1 || recipe.compression == 2) {
        data.push_back(0);
        data.push_back(1);
    }
    header.insert(header.end(), data.begin(), data.end());
    SetLe32(header, 2, uint32_t(header.size()));
    return header;
}
