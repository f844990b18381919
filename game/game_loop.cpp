#include "game_loop.h"

#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "neighbour_table.h"
#include "rorodiv.h"

void RunGameLoop()
{
    while (PumpMessages() == 0) {
        if (IsKeyDown(KEYCODE_ESCAPE)) break;
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
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
#ifdef VEXHOLM_FIXED_SEED
    // Test build only: a known field, so a test can work out what the screen must show.
    SeedRandom(VEXHOLM_FIXED_SEED);
#endif
    GenerateCountries();
    BuildNeighbourTable();
    RunGameLoop();
    EndMediaLayer();
    return 0;
}
