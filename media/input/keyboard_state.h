// The key state table behind IsKeyDown, and the table that fills it from the window
// system's key state when there is no keyboard device.
#pragma once
#include <cstdint>
#include <span>

struct VirtualKeyPair {
    uint16_t virtualKey;
    uint16_t keyCode;
};

// The 99 pairs in the order they are copied, without the end row.
std::span<const VirtualKeyPair> VirtualKeyTable();

// 1 when the key state was refreshed, 0 when it was left as it was.
int RefreshKeyState();
