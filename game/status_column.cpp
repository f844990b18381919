#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "rorodiv.h"

#include <cstdio>

int BuildStatusLines(StatusLine lines[3])
{
    int count = 0;
    lines[count].y = 32;
    std::snprintf(lines[count++].text, sizeof lines[0].text, "MousePos(%3d,%3d)", Game.mouseX, Game.mouseY);
    const HoverCell& cell = Game.hover;
    if (cell.column >= 0 && cell.row >= 0) {
        lines[count].y = 64;
        std::snprintf(lines[count++].text, sizeof lines[0].text, "FieldPos(%3d,%3d)", cell.column, cell.row);
        lines[count].y = 80;
        std::snprintf(lines[count++].text, sizeof lines[0].text, "Country:%3d",
                      CountryGrid[cell.row * kFieldColumns + cell.column]);
    }
    return count;
}

void DrawStatusColumn()
{
    StatusLine lines[3];
    const int count = BuildStatusLines(lines);
    for (int i = 0; i < count; ++i) PrintTextFormat(kStatusColumnX, lines[i].y, Game.white, "%s", lines[i].text);
}
