// A game that embeds the layer: it sees the public header only, and its own globals may take
// the names the layer uses inside without a clash at link time.
#include "rorodiv.h"

#include <cstdio>

#if __has_include("core/core_state.h") || __has_include("graphics/draw_state.h")
#error the layer's internal headers reach the game
#endif

// Names the layer uses for its own state and helpers.
int DrawState = 7;
int CoreState = 8;
int LogStart() { return 42; }
int SetupGraphics() { return 43; }

int main()
{
    SeedRandom(12345);
    const int32_t first = RandomUpTo(1000);
    SeedRandom(12345);
    const int32_t again = RandomUpTo(1000);
    if (first != again || first < 0 || first > 1000) {
        std::printf("the generator is not reproducible: %d, %d\n", int(first), int(again));
        return 1;
    }
    // Before start-up white is all ones.
    if (PackColor(255, 255, 255) != 0xFFFFFFFFu) {
        std::printf("white before start-up: %08X\n", unsigned(PackColor(255, 255, 255)));
        return 1;
    }
    if (DrawState != 7 || CoreState != 8 || LogStart() != 42 || SetupGraphics() != 43) {
        std::printf("a game's global was taken by the layer's\n");
        return 1;
    }
    std::printf("embedded: %d\n", int(first));
    return 0;
}
