#include "game_loop.h"

#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "neighbour_table.h"
#include "rorodiv.h"

GameState Game = {0, 0, {-1, -1}, PackColor(255, 255, 255)};

HoverCell HoverCellAt(int32_t x, int32_t y)
{
    const int32_t dx = x - kFieldLeft;
    const int32_t dy = y - kFieldTop;
    if (dx >= 0 && dx <= kFieldRight - kFieldLeft - 1 && dy >= 0 && dy <= kFieldBottom - kFieldTop - 1)
        return {dx / kCellSize, dy / kCellSize};
    return {-1, -1};
}

void RunGameLoop()
{
    while (PumpMessages() == 0) {
        if (IsKeyDown(KEYCODE_ESCAPE))
            break;
        ClearScreen();
        ReadMousePosition(&Game.mouseX, &Game.mouseY);
        ReadMouseButtons();
        Game.hover = HoverCellAt(Game.mouseX, Game.mouseY);
        DrawField();
        PresentScreen();
    }
}

int GameMain(void* /*instance*/, void* /*previousInstance*/, char* /*commandLine*/, int /*showMode*/)
{
    SetWindowTitle("Vexholm　ver0.03");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0)
        return -1;
    GenerateCountries();
    BuildNeighbourTable();
    RunGameLoop();
    EndMediaLayer();
    return 0;
}
