// The edge shape drawn around each glyph pixel of an edged font, and the edged cell built
// from a glyph bitmap.
#pragma once
#include <cstdint>

namespace ror {

// True when the pixel at (dx, dy) from a glyph pixel belongs to its edge of width `radius`:
// the four neighbours for 1, round masks for 2 to 4, the full square from 5 on.
bool EdgeShapeIncludes(int32_t radius, int32_t dx, int32_t dy);

// The glyph bitmap, as the platform wrote it, read pixel by pixel.
struct GlyphBitmap {
    const uint8_t* rows;
    int32_t pitch;
    int32_t width, height;
    bool mono;

    // Level 0-16 of a pixel: 16 for a set bit of a 1-bit glyph.
    int32_t Level(int32_t x, int32_t y) const
    {
        const uint8_t* row = rows + y * pitch;
        if (mono) return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 16 : 0;
        return row[x];
    }
};

// Writes `glyph` edged by `edge` into a zeroed cell of one byte per pixel, the glyph at
// (edge, edge); the cell holds (width + 2 edge) × (height + 2 edge) pixels. 1-bit: 1 glyph,
// 2 edge, glyph pixels winning. Anti-aliased: glyph level - 1 in the low nibble, the
// largest level - 1 of the glyph pixels whose shape covers the pixel in the high nibble.
// The cost grows with the cell's area, not with the edge's: from width 5 on, where the
// shape is a square, the edge is a maximum over rows and then over columns.
// 0, or -1 when the working memory cannot be had (the cell then holds the glyph alone).
int WriteEdgedGlyph(const GlyphBitmap& glyph, int32_t edge, bool antialias, uint8_t* cell, int32_t rowBytes);

}  // namespace ror
