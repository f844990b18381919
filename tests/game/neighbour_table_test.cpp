// The neighbour table over drawn fields.
#include <gtest/gtest.h>

#include <set>

#include "country_picture.h"
#include "neighbour_table.h"

namespace {

// The countries that country `a` borders, itself included when two of its cells touch.
std::set<int32_t> NeighboursOf(int32_t a)
{
    std::set<int32_t> found;
    for (int32_t b = 0; b < kFieldCells; ++b) {
        uint8_t byte = NeighbourTable[a * kFieldCells + b];
        EXPECT_TRUE(byte == 0 || byte == 1);
        if (byte) found.insert(b);
    }
    return found;
}

// a and b meet only diagonally; the edge country e borders only what lies inside the field.
const FieldPicture kDiagonalField = {
    "eeeeeeeeeeee", "aaXXXXXXXXXX", "aaXXXXXXXXXX", "XXbbXXXXXXXX",
    "XXbbXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
};

TEST(NeighbourTableTest, DiagonalTouchIsNotNeighbour)
{
    CountryGrid = GridFromPicture(kDiagonalField);
    BuildNeighbourTable();
    const int32_t e = 0, a = 12, x = 14, b = 38;
    EXPECT_EQ(NeighboursOf(a), (std::set<int32_t>{a, e, x}));
    EXPECT_EQ(NeighboursOf(b), (std::set<int32_t>{b, x}));
    EXPECT_EQ(NeighboursOf(e), (std::set<int32_t>{e, a, x}));
}

// A country whose initial cell went elsewhere counts as absorbed: its row stays 0,
// and no surviving country's row names it.
TEST(NeighbourTableTest, AbsorbedNumbersStayZero)
{
    CountryGrid = GridFromPicture(kDiagonalField);
    BuildNeighbourTable();
    for (int32_t absorbed : {5, 13, 40, 95}) {  // cells of e, a and X
        for (int32_t other = 0; other < kFieldCells; ++other) {
            EXPECT_EQ(NeighbourTable[absorbed * kFieldCells + other], 0);
            EXPECT_EQ(NeighbourTable[other * kFieldCells + absorbed], 0);
        }
    }
}

// Values outside 0..95 never occur after generation; if they did, they are not indexes.
TEST(NeighbourTableTest, ForeignValuesAreIgnored)
{
    CountryGrid = GridFromPicture(kDiagonalField);
    CountryGrid[1] = 1000;
    CountryGrid[2] = -7;
    BuildNeighbourTable();
    EXPECT_EQ(NeighboursOf(0), (std::set<int32_t>{0, 12, 14}));
}

}  // namespace
