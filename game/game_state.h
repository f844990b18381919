// The game's per-frame state: the pointer as last read, the cell under it and the white colour.
#pragma once
#include <cstdint>

constexpr int32_t kCellSize = 48;
constexpr int32_t kFieldLeft = 16;
constexpr int32_t kFieldTop = 16;
constexpr int32_t kFieldRight = kFieldLeft + 12 * kCellSize;  // 592
constexpr int32_t kFieldBottom = kFieldTop + 8 * kCellSize;   // 400
constexpr int32_t kStatusColumnX = 608;

struct HoverCell {
    int32_t column;  // -1 when the pointer is not over the field
    int32_t row;
};

struct GameState {
    int32_t mouseX;
    int32_t mouseY;
    HoverCell hover;
    uint32_t white;  // packed before the entry runs, never recomputed
};

extern GameState Game;

// The field cell under a client position: x 16..591 and y 16..399 (both ends included).
HoverCell HoverCellAt(int32_t x, int32_t y);
