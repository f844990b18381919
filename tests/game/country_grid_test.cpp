// Generation of the country grid, driven by scripted draws.
#include <gtest/gtest.h>

#include "country_grid.h"
#include "country_picture.h"

namespace {

CountryCells IdentityGrid()
{
    CountryCells grid{};
    NumberCountries(grid);
    return grid;
}

struct MergeCase {
    const char* name;
    std::vector<std::pair<int32_t, int32_t>> setup;  // (cell, country) written over the numbered grid
    std::vector<int32_t> draws;                      // column, row[, direction]
    std::vector<std::pair<int32_t, int32_t>> after;  // (cell, country) expected to change
};

// (r, c) as a cell index.
constexpr int32_t Cell(int32_t row, int32_t column) { return row * kFieldColumns + column; }

const MergeCase kMergeCases[] = {
    {"interior up", {}, {5, 3, 0}, {{Cell(3, 5), Cell(2, 5)}}},
    {"interior down", {}, {5, 3, 1}, {{Cell(3, 5), Cell(4, 5)}}},
    {"interior left", {}, {5, 3, 2}, {{Cell(3, 5), Cell(3, 4)}}},
    {"interior right", {}, {5, 3, 3}, {{Cell(3, 5), Cell(3, 6)}}},
    // At an edge the step turns back into the field.
    {"up at row 0 goes to row 1", {}, {5, 0, 0}, {{Cell(0, 5), Cell(1, 5)}}},
    {"down at row 7 goes to row 6", {}, {5, 7, 1}, {{Cell(7, 5), Cell(6, 5)}}},
    {"left at column 0 goes to column 1", {}, {0, 3, 2}, {{Cell(3, 0), Cell(3, 1)}}},
    {"right at column 11 goes to column 10", {}, {11, 3, 3}, {{Cell(3, 11), Cell(3, 10)}}},
    {"same country: three draws, no change", {{1, 0}}, {1, 0, 2}, {}},
    {"three cells: two draws, no change", {{1, 0}, {2, 0}}, {2, 0}, {}},
    {"three cells next to one: never merges", {{1, 0}, {2, 0}}, {1, 0}, {}},
    // Country 0 = {0, 1} and country 3 = {2, 3, 4}: 5 cells together.
    {"two next to three merges", {{1, 0}, {2, 3}, {4, 3}}, {1, 0, 3}, {{0, 3}, {1, 3}}},
    // Country 1 = {1..5}: 6 cells would result.
    {"one next to five refused", {{2, 1}, {3, 1}, {4, 1}, {5, 1}}, {0, 0, 3}, {}},
    // Country 0 = {0, 1}, country 2 = {2..5}.
    {"two next to four refused", {{1, 0}, {3, 2}, {4, 2}, {5, 2}}, {1, 0, 3}, {}},
    // The chosen cell is not the absorbed country's initial cell: all of it moves, the absorber keeps its number.
    {"absorbed whole, absorber keeps number", {{13, 12}}, {1, 1, 0}, {{12, 1}, {13, 1}}},
};

TEST(CountryGridTest, MergeAttempts)
{
    for (const MergeCase& c : kMergeCases) {
        SCOPED_TRACE(c.name);
        CountryCells grid = IdentityGrid();
        for (auto [cell, country] : c.setup) grid[cell] = country;
        CountryCells expected = grid;
        for (auto [cell, country] : c.after) expected[cell] = country;

        StartScript(c.draws);
        AttemptMerge(grid, ScriptedDraw);
        EXPECT_EQ(grid, expected);
        EXPECT_FALSE(drawScript.overrun);
        EXPECT_FALSE(drawScript.outOfRange);
        EXPECT_EQ(drawScript.next, c.draws.size()) << "draws used";
        std::vector<int32_t> maxima = {11, 7, 3};
        maxima.resize(c.draws.size());
        EXPECT_EQ(drawScript.maxima, maxima) << "column, then row, then direction";
    }
}

// Every draw 0: cell 0 joins cell 12, every later attempt finds them one country
// (three draws each); the single-cell pass then pairs each row with the one below.
TEST(CountryGridTest, ScriptedGenerationIsExact)
{
    StartScript(std::vector<int32_t>(600, 0));
    GenerateCountriesFrom(ScriptedDraw);
    EXPECT_FALSE(drawScript.overrun);
    EXPECT_EQ(drawScript.next, 600u);

    CountryCells expected{};
    for (int32_t cell = 0; cell < kFieldCells; ++cell) {
        int32_t row = cell / kFieldColumns;
        expected[cell] = (row | 1) * kFieldColumns + cell % kFieldColumns;
    }
    EXPECT_EQ(CountryGrid, expected);

    // The same script again gives the same field.
    CountryCells first = CountryGrid;
    CountryGrid.fill(-1);
    StartScript(std::vector<int32_t>(600, 0));
    GenerateCountriesFrom(ScriptedDraw);
    EXPECT_EQ(CountryGrid, first);
}

// Two draws when the chosen country has grown to three cells.
TEST(CountryGridTest, DrawCountFollowsChosenSize)
{
    // Attempt 1: cell 0 joins 12; attempt 2: cell 24 joins 12 (3 cells); then every
    // attempt picks cell 0 again, a country of three: two draws each.
    std::vector<int32_t> draws = {0, 0, 1, 0, 2, 0};
    for (int i = 0; i < 198; ++i) draws.insert(draws.end(), {0, 0});
    StartScript(draws);
    CountryCells grid = IdentityGrid();
    MergeCountries(grid, ScriptedDraw);
    EXPECT_FALSE(drawScript.overrun);
    EXPECT_EQ(drawScript.next, 400u + 2u);
    EXPECT_EQ(grid[0], 12);
    EXPECT_EQ(grid[24], 12);
    EXPECT_EQ(CountrySize(grid, 12), 3);
}

struct SingleCellCase {
    const char* name;
    FieldPicture before;
    FieldPicture after;
};

// 'X' is one large filler country; lowercase letters are the countries that matter.
const SingleCellCase kSingleCellCases[] = {
    {"row 7 joins above",
     {"XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXcXXXXX", "XXXXXXcXXXXX",
      "XXXXaazbbXXX"},
     {"XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXcXXXXX", "XXXXXXcXXXXX",
      "XXXXaacbbXXX"}},
    // U 2 + L 2 + R 2 = 6 against D 5.
    {"below smaller than the rest joins below",
     {"XXXXXXXXXXXX", "XXXXXXuXXXXX", "XXXXXXuXXXXX", "XXXXllzrrXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX",
      "XXXXXXddXXXX"},
     {"XXXXXXXXXXXX", "XXXXXXuXXXXX", "XXXXXXuXXXXX", "XXXXlldrrXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX",
      "XXXXXXddXXXX"}},
    // D 6 equals U + L + R.
    {"below equal to the rest joins above",
     {"XXXXXXXXXXXX", "XXXXXXuXXXXX", "XXXXXXuXXXXX", "XXXXllzrrXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX",
      "XXXXXXdddXXX"},
     {"XXXXXXXXXXXX", "XXXXXXuXXXXX", "XXXXXXuXXXXX", "XXXXllurrXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX",
      "XXXXXXdddXXX"}},
    // Country u lies above and to the left: counted twice, 3 + 3 + 2 = 8 against D 7.
    {"a country on two sides counts twice",
     {"XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXuuXXXXX", "XXXXXuzrrXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX",
      "XXXXXXddddXX"},
     {"XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXuuXXXXX", "XXXXXudrrXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX", "XXXXXXdXXXXX",
      "XXXXXXddddXX"}},
    {"row 0, below smaller than the sides joins below",
     {"XXXllzrrXXXX", "XXXXXdXXXXXX", "XXXXXdXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"},
     {"XXXlldrrXXXX", "XXXXXdXXXXXX", "XXXXXdXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"}},
    // Nothing above: the smaller side country takes the cell, the left one on a tie.
    {"row 0, right side smaller",
     {"XXlllzrrXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"},
     {"XXlllrrrXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"}},
    {"row 0, left side smaller",
     {"XXXllzrrrXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"},
     {"XXXlllrrrXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"}},
    {"row 0, sides equal: left",
     {"XXXllzrrXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"},
     {"XXXlllrrXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"}},
    {"row 0, column 0: right",
     {"zrrXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"},
     {"rrrXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"}},
    {"row 0, column 11: left",
     {"XXXXXXXXXllz", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"},
     {"XXXXXXXXXlll", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"}},
    // z joins its single right neighbour y; y then has two cells and stays.
    {"row 0, joining a single neighbour leaves no single",
     {"XXlllzyXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"},
     {"XXlllyyXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX", "XXXXXXXXXXXX",
      "XXXXXXXXXXXX"}},
};

TEST(CountryGridTest, SingleCellPass)
{
    for (const SingleCellCase& c : kSingleCellCases) {
        SCOPED_TRACE(c.name);
        CountryCells grid = GridFromPicture(c.before);
        JoinSingleCells(grid);
        EXPECT_EQ(grid, ExpectedGrid(c.before, c.after));
    }
}

}  // namespace
