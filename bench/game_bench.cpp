// One frame of Vexholm with the real layer (offscreen window, software path, vsync off):
// clear, the field with a hovered country, the status column, present.
#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "neighbour_table.h"
#include "random/random.h"
#include "rorodiv.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

static void GameFrame(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SetWindowTitle("Vexholm frame benchmark");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) {
        state.SkipWithError("the layer did not start");
        return;
    }
    SetWaitVsync(0);
    SeedRandom(1);
    GenerateCountries();
    BuildNeighbourTable();
    Game.mouseX = 16 + 5 * 48 + 20;
    Game.mouseY = 16 + 3 * 48 + 20;
    Game.hover = HoverCellAt(Game.mouseX, Game.mouseY);
    for (auto _ : state) {
        PumpMessages();
        ClearScreen();
        DrawField();
        PresentScreen();
    }
    EndMediaLayer();
}
BENCHMARK(GameFrame)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();
