// Fields drawn as 8 rows of 12 letters, one letter per country, and scripted draw sources.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "country_grid.h"

using FieldPicture = std::array<const char*, kFieldRows>;

// Each letter becomes the number of its first cell in row-major order,
// so every country holds its initial cell.
inline CountryCells GridFromPicture(const FieldPicture& picture)
{
    CountryCells grid{};
    std::array<int32_t, 256> numberOfLetter;
    numberOfLetter.fill(-1);
    for (int32_t row = 0; row < kFieldRows; ++row) {
        EXPECT_EQ(std::string(picture[row]).size(), size_t(kFieldColumns)) << "row " << row;
        for (int32_t column = 0; column < kFieldColumns; ++column) {
            unsigned char letter = static_cast<unsigned char>(picture[row][column]);
            int32_t cell = row * kFieldColumns + column;
            if (numberOfLetter[letter] < 0) numberOfLetter[letter] = cell;
            grid[cell] = numberOfLetter[letter];
        }
    }
    return grid;
}

// `expected` is drawn with the letters of `before`; the numbers come from `before`.
inline CountryCells ExpectedGrid(const FieldPicture& before, const FieldPicture& expected)
{
    CountryCells numbers = GridFromPicture(before);
    std::array<int32_t, 256> numberOfLetter;
    numberOfLetter.fill(-1);
    for (int32_t cell = 0; cell < kFieldCells; ++cell) {
        numberOfLetter[static_cast<unsigned char>(before[cell / kFieldColumns][cell % kFieldColumns])] = numbers[cell];
    }
    CountryCells grid{};
    for (int32_t cell = 0; cell < kFieldCells; ++cell) {
        grid[cell] = numberOfLetter[static_cast<unsigned char>(expected[cell / kFieldColumns][cell % kFieldColumns])];
    }
    return grid;
}

// A draw source that hands out a fixed list and records what it was asked for.
struct DrawScript {
    std::vector<int32_t> values;
    size_t next = 0;
    std::vector<int32_t> maxima;  // the max of every draw, in order
    bool overrun = false;         // more draws than scripted values
    bool outOfRange = false;      // a scripted value outside 0..max
};

inline DrawScript drawScript;

inline int32_t ScriptedDraw(int32_t max)
{
    drawScript.maxima.push_back(max);
    if (drawScript.next >= drawScript.values.size()) {
        drawScript.overrun = true;
        return 0;
    }
    int32_t value = drawScript.values[drawScript.next++];
    if (value < 0 || value > max) {
        drawScript.outOfRange = true;
        return 0;
    }
    return value;
}

inline void StartScript(std::vector<int32_t> values)
{
    drawScript = DrawScript{};
    drawScript.values = std::move(values);
}
