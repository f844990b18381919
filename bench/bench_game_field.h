// What the frame benchmarks share: the window driver they run on and the game's map with the
// pointer over a country.
#pragma once
#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "neighbour_table.h"
#include "random/random.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

// The x11 driver (a real window) or offscreen; false, with the reason, when x11 has no display.
inline bool UseWindowDriver(benchmark::State& state, bool x11)
{
    if (x11 && std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return false;
    }
    setenv("SDL_VIDEODRIVER", x11 ? "x11" : "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return true;
}

// The same map every run, hovered at cell (5, 3).
inline void SetUpHoveredField()
{
    SeedRandom(1);
    GenerateCountries();
    BuildNeighbourTable();
    Game.mouseX = 16 + 5 * 48 + 20;
    Game.mouseY = 16 + 3 * 48 + 20;
    Game.hover = HoverCellAt(Game.mouseX, Game.mouseY);
}
