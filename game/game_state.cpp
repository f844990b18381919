#include "game_state.h"

#include "rorodiv.h"

// White is packed by this static initialiser, before the entry runs and before any screen
// mode exists; the layer packs 0xFFFFFFFF then, which is white on the 32-bit screen.
GameState Game = {0, 0, {-1, -1}, PackColor(255, 255, 255)};

HoverCell HoverCellAt(int32_t x, int32_t y)
{
    // Compared before subtracting, so no position can overflow.
    if (x < kFieldLeft || x >= kFieldRight || y < kFieldTop || y >= kFieldBottom) return {-1, -1};
    return {(x - kFieldLeft) / kCellSize, (y - kFieldTop) / kCellSize};
}
