#include "text/glyph_edge.h"

#include "core/tracked_memory.h"

#include <algorithm>

namespace ror {

namespace {

// Rows from -r to +r, one bit per column from -r (most significant) to +r.
constexpr uint16_t kEdgeMask2[5] = {0b01110, 0b11111, 0b11111, 0b11111, 0b01110};
constexpr uint16_t kEdgeMask3[7] = {0b0001000, 0b0111110, 0b0111110, 0b1111111, 0b0111110, 0b0111110, 0b0001000};
constexpr uint16_t kEdgeMask4[9] = {0b001111100, 0b011111110, 0b111111111, 0b111111111, 0b111111111,
                                    0b111111111, 0b111111111, 0b011111110, 0b001111100};
constexpr int32_t kLargestMaskRadius = 4;

// The value a glyph pixel spreads into its edge: level - 1 anti-aliased, 1 for a 1-bit pixel.
uint8_t EdgeValue(int32_t level, bool antialias)
{
    if (level == 0) return 0;
    return antialias ? uint8_t(level - 1) : 1;
}

// The largest of the values 0-15 in a window sliding along a line, kept by counting them.
struct WindowMax {
    int32_t counts[16] = {};
    int32_t top = 0;

    void Add(uint8_t value)
    {
        ++counts[value];
        top = std::max(top, int32_t(value));
    }
    void Remove(uint8_t value)
    {
        --counts[value];
        while (top > 0 && counts[top] == 0) --top;
    }
};

// out[i * outStep] = the largest in[j * inStep] with j in [i - 2 reach, i] and in [0, n),
// for i in [0, n + 2 reach): each value spread `reach` both ways, shifted by `reach`.
void SpreadLine(const uint8_t* in, int32_t inStep, int32_t n, int32_t reach, uint8_t* out, int32_t outStep)
{
    WindowMax window;
    for (int32_t i = 0; i < n + 2 * reach; ++i) {
        if (i < n) window.Add(in[intptr_t(i) * inStep]);
        const int32_t leaving = i - 2 * reach - 1;
        if (leaving >= 0 && leaving < n) window.Remove(in[intptr_t(leaving) * inStep]);
        out[intptr_t(i) * outStep] = uint8_t(window.top);
    }
}

// The edge values of the cell for the square shape: spread along the glyph's rows into
// `rows` (cell width × glyph height), then down the columns into the cell.
void SpreadSquare(const uint8_t* values, int32_t width, int32_t height, int32_t edge, uint8_t* rows, uint8_t* edges,
                  int32_t edgePitch)
{
    const int32_t cellWidth = width + 2 * edge;
    for (int32_t y = 0; y < height; ++y)
        SpreadLine(values + intptr_t(y) * width, 1, width, edge, rows + intptr_t(y) * cellWidth, 1);
    for (int32_t x = 0; x < cellWidth; ++x) SpreadLine(rows + x, cellWidth, height, edge, edges + x, edgePitch);
}

// The edge values for the small shapes (radius 1 to 4), offset by offset: at most 81 each.
void SpreadSmallShape(const uint8_t* values, int32_t width, int32_t height, int32_t edge, uint8_t* edges,
                      int32_t edgePitch)
{
    int32_t offsets[(2 * kLargestMaskRadius + 1) * (2 * kLargestMaskRadius + 1)][2];
    int32_t count = 0;
    for (int32_t dy = -edge; dy <= edge; ++dy)
        for (int32_t dx = -edge; dx <= edge; ++dx)
            if (EdgeShapeIncludes(edge, dx, dy)) {
                offsets[count][0] = dx;
                offsets[count++][1] = dy;
            }
    for (int32_t cy = 0; cy < height + 2 * edge; ++cy)
        for (int32_t cx = 0; cx < width + 2 * edge; ++cx) {
            uint8_t largest = 0;
            for (int32_t i = 0; i < count; ++i) {
                const int32_t x = cx - edge - offsets[i][0], y = cy - edge - offsets[i][1];
                if (x >= 0 && y >= 0 && x < width && y < height)
                    largest = std::max(largest, values[intptr_t(y) * width + x]);
            }
            edges[intptr_t(cy) * edgePitch + cx] = largest;
        }
}

}  // namespace

bool EdgeShapeIncludes(int32_t radius, int32_t dx, int32_t dy)
{
    if (radius < 1 || dx < -radius || dx > radius || dy < -radius || dy > radius) return false;
    const uint16_t* rows = nullptr;
    switch (radius) {
    case 1: return (dx == 0) != (dy == 0);
    case 2: rows = kEdgeMask2; break;
    case 3: rows = kEdgeMask3; break;
    case 4: rows = kEdgeMask4; break;
    default: return true;
    }
    return (rows[dy + radius] >> (radius - dx)) & 1;
}

int WriteEdgedGlyph(const GlyphBitmap& glyph, int32_t edge, bool antialias, uint8_t* cell, int32_t rowBytes)
{
    const int32_t width = glyph.width, height = glyph.height;
    const int32_t reach = std::max(edge, int32_t(0));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (int32_t level = glyph.Level(x, y))
                cell[intptr_t(y + reach) * rowBytes + x + reach] = antialias ? uint8_t(level - 1) : 1;
    if (reach == 0 || width <= 0 || height <= 0) return 0;

    // Working memory: the spread values, the rows pass of the square, the edge values.
    const int64_t cellWidth = width + 2 * reach, cellHeight = height + 2 * reach;
    const int64_t bytes = int64_t(width) * height + cellWidth * height + cellWidth * cellHeight;
    auto* values =
        bytes > INT32_MAX ? nullptr : static_cast<uint8_t*>(TrackedAlloc(int32_t(bytes), __FILE__, __LINE__));
    if (!values) return -1;
    uint8_t* rows = values + intptr_t(width) * height;
    uint8_t* edges = rows + cellWidth * height;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) values[intptr_t(y) * width + x] = EdgeValue(glyph.Level(x, y), antialias);
    if (reach > kLargestMaskRadius)
        SpreadSquare(values, width, height, reach, rows, edges, int32_t(cellWidth));
    else
        SpreadSmallShape(values, width, height, reach, edges, int32_t(cellWidth));

    for (int32_t cy = 0; cy < cellHeight; ++cy) {
        uint8_t* row = cell + intptr_t(cy) * rowBytes;
        const uint8_t* edgeRow = edges + cy * cellWidth;
        for (int32_t cx = 0; cx < cellWidth; ++cx) {
            if (!edgeRow[cx]) continue;
            if (antialias)
                row[cx] = uint8_t((row[cx] & 0x0F) | edgeRow[cx] << 4);
            else if (row[cx] != 1)
                row[cx] = 2;
        }
    }
    TrackedFree(values);
    return 0;
}

}  // namespace ror
