// One frame of Vexholm with the real layer (software path, vsync off): the pump, clear, the
// field with a hovered country and the status column, present. Arguments: the window driver
// (0: SDL's offscreen driver, 1: the real window under X11, skipped without DISPLAY) and the
// screen size; the field is the game's own at every size, so a larger screen adds the clear
// and the present's cost.
#include "bench_game_field.h"
#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "neighbour_table.h"
#include "random/random.h"
#include "rorodiv.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

using namespace ror;

static void GameFrame(benchmark::State& state)
{
    const bool x11 = state.range(0) == 1;
    if (!UseWindowDriver(state, x11)) return;
    SetWindowTitle("Vexholm frame benchmark");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetScreenMode(int(state.range(1)), int(state.range(2)), 32, 60);
    if (InitMediaLayer() != 0) {
        state.SkipWithError("the layer did not start");
        return;
    }
    SetWaitVsync(0);
    SetUpHoveredField();
    for (auto _ : state) {
        PumpMessages();
        ClearScreen();
        DrawField();
        PresentScreen();
    }
    EndMediaLayer();
    state.SetLabel(x11 ? "x11" : "offscreen");
}
BENCHMARK(GameFrame)
    ->ArgNames({"x11", "width", "height"})
    ->Args({0, 800, 600})
    ->Args({1, 800, 600})
    ->Args({0, 1920, 1080})
    ->Args({1, 1920, 1080})
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

static double Seconds()
{
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Start-up to the first frame on screen, as the game does it: the settings, InitMediaLayer,
// the map, one frame with vsync on. Shutdown is not timed. Argument: the window driver as above.
// One start-up per process, as a user starts the game (run the process several times).
// At least 300 ms of it are waits the layer makes on purpose (the 100 ms processor-speed count
// and the 200 ms settle after the window is shown).
static void StartUpToFirstFrame(benchmark::State& state)
{
    const bool x11 = state.range(0) == 1;
    if (!UseWindowDriver(state, x11)) return;
    for (auto _ : state) {
        const double start = Seconds();
        SetWindowTitle("Vexholm start-up benchmark");
        SetLogEnabled(0);
        ChangeWindowMode(1);
        SetScreenMode(800, 600, 32, 60);
        if (InitMediaLayer() != 0) {
            state.SkipWithError("the layer did not start");
            return;
        }
        GenerateCountries();
        BuildNeighbourTable();
        PumpMessages();
        ClearScreen();
        DrawField();
        PresentScreen();
        state.SetIterationTime(Seconds() - start);
        EndMediaLayer();
    }
    state.SetLabel(x11 ? "x11" : "offscreen");
}
BENCHMARK(StartUpToFirstFrame)
    ->ArgName("x11")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
