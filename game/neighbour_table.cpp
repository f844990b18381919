#include "neighbour_table.h"

NeighbourBytes NeighbourTable = {};

namespace {

void MarkNeighbour(int32_t country, int32_t neighbourCell)
{
    int32_t neighbour = CountryGrid[neighbourCell];
    // A generated grid holds only 0..95; anything else is never used as an index.
    if (neighbour < 0 || neighbour >= kFieldCells) return;
    NeighbourTable[country * kFieldCells + neighbour] = 1;
}

}  // namespace

void BuildNeighbourTable()
{
    NeighbourTable.fill(0);
    for (int32_t country = 0; country < kFieldCells; ++country) {
        // A country that still holds its first cell survives; absorbed numbers keep a zero row.
        if (CountryGrid[country] != country) continue;
        for (int32_t cell = 0; cell < kFieldCells; ++cell) {
            if (CountryGrid[cell] != country) continue;
            int32_t row = cell / kFieldColumns;
            int32_t column = cell % kFieldColumns;
            if (row > 0) MarkNeighbour(country, cell - kFieldColumns);
            if (row < kFieldRows - 1) MarkNeighbour(country, cell + kFieldColumns);
            if (column > 0) MarkNeighbour(country, cell - 1);
            if (column < kFieldColumns - 1) MarkNeighbour(country, cell + 1);
        }
    }
}
