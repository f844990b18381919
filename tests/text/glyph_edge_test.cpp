// The edged cell built by rows and columns against the edge built shape by shape around every
// glyph pixel, as the cache first did it: the same bytes for every size and edge width.
#include "core/tracked_memory.h"
#include "text/glyph_edge.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace ror;

namespace {

// The first edge writer, pixel by pixel, kept here as the reference.
void ReferenceEdgedGlyph(const GlyphBitmap& glyph, int32_t edge, bool antialias, uint8_t* cell, int32_t rowBytes)
{
    int32_t reach = edge < 1 ? 0 : edge;
    for (int32_t y = 0; y < glyph.height; ++y) {
        for (int32_t x = 0; x < glyph.width; ++x) {
            int32_t level = glyph.Level(x, y);
            if (level == 0) continue;
            int32_t cx = x + edge, cy = y + edge;
            if (antialias)
                cell[cy * rowBytes + cx] |= uint8_t(level - 1);
            else
                cell[cy * rowBytes + cx] = 1;
            uint8_t edgeLevel = uint8_t((level - 1) << 4);
            for (int32_t dy = -reach; dy <= reach; ++dy) {
                uint8_t* row = cell + (cy + dy) * rowBytes;
                for (int32_t dx = -reach; dx <= reach; ++dx) {
                    if (!EdgeShapeIncludes(edge, dx, dy)) continue;
                    uint8_t& pixel = row[cx + dx];
                    if (antialias) {
                        if ((pixel & 0xF0) < edgeLevel) pixel = uint8_t((pixel & 0x0F) | edgeLevel);
                    } else if (pixel != 1) {
                        pixel = 2;
                    }
                }
            }
        }
    }
}

enum class Pattern { Sparse, Dense, Stroke };

// A glyph bitmap of levels 0-16 (1-bit when mono), rows padded to 4 bytes as the platform's.
std::vector<uint8_t> MakeGlyph(int width, int height, bool mono, Pattern pattern, unsigned seed, int* pitch)
{
    *pitch = mono ? ((width + 7) / 8 + 3) & ~3 : (width + 3) & ~3;
    std::vector<uint8_t> bytes(size_t(*pitch) * height + 1, 0);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int level = 0;
            switch (pattern) {
            case Pattern::Sparse: level = random() % 23 == 0 ? int(random() % 17) : 0; break;
            case Pattern::Dense: level = int(random() % 17); break;
            case Pattern::Stroke: level = (x - y + 2 * width) % 9 < 3 ? 16 - (x + y) % 5 : 0; break;
            }
            if (mono) {
                if (level >= 8) bytes[size_t(y * *pitch + x / 8)] |= uint8_t(0x80 >> (x % 8));
            } else {
                bytes[size_t(y * *pitch + x)] = uint8_t(level);
            }
        }
    return bytes;
}

}  // namespace

TEST(GlyphEdge, RowsAndColumnsGiveTheBytesOfTheShapeByShapeEdge)
{
    struct Case {
        int width, height, edge;
    };
    const Case cases[] = {{1, 1, 1},  {1, 1, 5},   {5, 3, 0},   {7, 9, 1},   {12, 17, 2},  {16, 16, 3},  {9, 20, 4},
                          {20, 9, 5}, {33, 31, 6}, {40, 48, 9}, {3, 60, 13}, {64, 64, 31}, {60, 50, 50}, {40, 30, 64}};
    unsigned seed = 1;
    for (const Case& c : cases)
        for (bool antialias : {false, true})
            for (Pattern pattern : {Pattern::Sparse, Pattern::Dense, Pattern::Stroke}) {
                SCOPED_TRACE(::testing::Message()
                             << c.width << "x" << c.height << " edge " << c.edge
                             << (antialias ? " anti-aliased" : " 1-bit") << " pattern " << int(pattern));
                int pitch = 0;
                const std::vector<uint8_t> bytes = MakeGlyph(c.width, c.height, !antialias, pattern, seed++, &pitch);
                const GlyphBitmap glyph{bytes.data(), pitch, c.width, c.height, !antialias};
                // The cell is wider than the edged glyph, as cache cells are.
                const int rowBytes = c.width + 2 * c.edge + 5, rows = c.height + 2 * c.edge + 1;
                std::vector<uint8_t> expected(size_t(rowBytes) * rows, 0), actual(expected);
                ReferenceEdgedGlyph(glyph, c.edge, antialias, expected.data(), rowBytes);
                ASSERT_EQ(WriteEdgedGlyph(glyph, c.edge, antialias, actual.data(), rowBytes), 0);
                for (int y = 0; y < rows; ++y)
                    for (int x = 0; x < rowBytes; ++x)
                        ASSERT_EQ(actual[size_t(y * rowBytes + x)], expected[size_t(y * rowBytes + x)])
                            << "at " << x << "," << y;
            }
}

TEST(GlyphEdge, WorkingMemoryIsGivenBack)
{
    int pitch = 0;
    const std::vector<uint8_t> bytes = MakeGlyph(20, 20, false, Pattern::Dense, 7, &pitch);
    const GlyphBitmap glyph{bytes.data(), pitch, 20, 20, false};
    std::vector<uint8_t> cell(size_t(120) * 120, 0);
    const int before = TrackedAllocationCount();
    for (int edge : {2, 50}) ASSERT_EQ(WriteEdgedGlyph(glyph, edge, true, cell.data(), 120), 0);
    EXPECT_EQ(TrackedAllocationCount(), before);
}
