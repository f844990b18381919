#include "country_grid.h"

#include "rorodiv.h"

CountryCells CountryGrid = {};

namespace {

int32_t CellIndex(int32_t row, int32_t column) { return row * kFieldColumns + column; }

// Size of the country at (row, column), or 0 when the cell lies outside the field.
int32_t SizeAt(const CountryCells& grid, int32_t row, int32_t column)
{
    if (row < 0 || row >= kFieldRows || column < 0 || column >= kFieldColumns) return 0;
    return CountrySize(grid, grid[CellIndex(row, column)]);
}

void AbsorbCountry(CountryCells& grid, int32_t absorbed, int32_t into)
{
    for (int32_t& cell : grid) {
        if (cell == absorbed) cell = into;
    }
}

}  // namespace

// Two draws, or three when the chosen country is small enough to merge.
void AttemptMerge(CountryCells& grid, RandomDraw draw)
{
    int32_t column = draw(kFieldColumns - 1);
    int32_t row = draw(kFieldRows - 1);
    int32_t chosen = grid[CellIndex(row, column)];
    int32_t chosenSize = CountrySize(grid, chosen);
    if (chosenSize >= 3) return;

    // At an edge the step turns back into the field.
    int32_t neighbourRow = row;
    int32_t neighbourColumn = column;
    switch (draw(3)) {
    case 0: neighbourRow = row > 0 ? row - 1 : row + 1; break;
    case 1: neighbourRow = row < kFieldRows - 1 ? row + 1 : row - 1; break;
    case 2: neighbourColumn = column > 0 ? column - 1 : column + 1; break;
    default: neighbourColumn = column < kFieldColumns - 1 ? column + 1 : column - 1; break;
    }
    int32_t neighbour = grid[CellIndex(neighbourRow, neighbourColumn)];
    if (neighbour == chosen) return;
    if (chosenSize + CountrySize(grid, neighbour) > kMaxMergedSize) return;
    AbsorbCountry(grid, chosen, neighbour);
}

int32_t CountrySize(const CountryCells& grid, int32_t country)
{
    int32_t size = 0;
    for (int32_t cell : grid) size += cell == country ? 1 : 0;
    return size;
}

void NumberCountries(CountryCells& grid)
{
    for (int32_t i = 0; i < kFieldCells; ++i) grid[i] = i;
}

void MergeCountries(CountryCells& grid, RandomDraw draw)
{
    for (int32_t attempt = 0; attempt < kMergeAttempts; ++attempt) AttemptMerge(grid, draw);
}

void JoinSingleCells(CountryCells& grid)
{
    for (int32_t row = 0; row < kFieldRows; ++row) {
        for (int32_t column = 0; column < kFieldColumns; ++column) {
            int32_t& cell = grid[CellIndex(row, column)];
            if (CountrySize(grid, cell) != 1) continue;
            int32_t above = SizeAt(grid, row - 1, column);
            int32_t below = SizeAt(grid, row + 1, column);
            int32_t left = SizeAt(grid, row, column - 1);
            int32_t right = SizeAt(grid, row, column + 1);
            int32_t others = above + left + right;
            if (below > 0 && below < others) {
                cell = grid[CellIndex(row + 1, column)];
            } else if (row > 0) {
                cell = grid[CellIndex(row - 1, column)];
            } else if (right > 0 && (left == 0 || right < left)) {
                // Top row, nothing above: the smaller of the side countries, the left one on a tie.
                cell = grid[CellIndex(row, column + 1)];
            } else {
                cell = grid[CellIndex(row, column - 1)];
            }
        }
    }
}

void GenerateCountriesFrom(RandomDraw draw)
{
    NumberCountries(CountryGrid);
    MergeCountries(CountryGrid, draw);
    JoinSingleCells(CountryGrid);
}

void GenerateCountries() { GenerateCountriesFrom(RandomUpTo); }
