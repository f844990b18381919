// Which countries border which: byte a * 96 + b is 1 when a cell of country a touches
// a cell of country b above, below, left or right; 0 otherwise.
#pragma once
#include <array>
#include <cstdint>

#include "country_grid.h"

using NeighbourBytes = std::array<uint8_t, kFieldCells * kFieldCells>;

// Read by the field display, written only by BuildNeighbourTable.
extern NeighbourBytes NeighbourTable;

// Rebuilds the whole table from CountryGrid. Absorbed countries keep all-zero rows.
void BuildNeighbourTable();
