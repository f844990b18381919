#include "field_display.h"

#include "country_grid.h"
#include "game_state.h"
#include "neighbour_table.h"
#include "rorodiv.h"

static void FillCell(int32_t x0, int32_t y0, int32_t country, int32_t hovered)
{
    if (country == hovered)
        DrawRect(x0 + 17, y0 + 17, x0 + 65, y0 + 65, PackColor(48, 48, 255), 1);
    else if (NeighbourTable[hovered * kFieldCells + country] == 1)
        DrawRect(x0 + 17, y0 + 17, x0 + 65, y0 + 65, PackColor(144, 0, 0), 1);
}

// Order matters where shapes overlap: cells row by row, within a cell the fill, then the
// edges top, left, below, right.
void DrawField()
{
    const bool hovering = Game.hover.column >= 0 && Game.hover.row >= 0;
    const int32_t hovered = hovering ? CountryGrid[Game.hover.row * kFieldColumns + Game.hover.column] : -1;
    const uint32_t white = Game.white;

    for (int32_t r = 0; r < kFieldRows; ++r) {
        for (int32_t c = 0; c < kFieldColumns; ++c) {
            const int32_t x0 = c * kCellSize;
            const int32_t y0 = r * kCellSize;
            const int32_t country = CountryGrid[r * kFieldColumns + c];
            if (hovering) FillCell(x0, y0, country, hovered);
            if (r == 0) DrawSegment(x0 + 16, kFieldTop, x0 + 65, kFieldTop, white, 3);
            if (c == 0) DrawSegment(kFieldLeft, y0 + 16, kFieldLeft, y0 + 65, white, 3);
            if (r == kFieldRows - 1)
                DrawSegment(x0 + 16, kFieldBottom, x0 + 65, kFieldBottom, white, 3);
            else if (CountryGrid[(r + 1) * kFieldColumns + c] != country)
                DrawSegment(x0 + 16, y0 + 64, x0 + 65, y0 + 64, white, 3);
            if (c == kFieldColumns - 1)
                DrawSegment(kFieldRight, y0 + 16, kFieldRight, y0 + 65, white, 3);
            else if (CountryGrid[r * kFieldColumns + c + 1] != country)
                DrawSegment(x0 + 64, y0 + 16, x0 + 64, y0 + 65, white, 3);
        }
    }
    DrawStatusColumn();
}
