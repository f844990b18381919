// The key state table behind IsKeyDown, filled from the keyboard device or, without one,
// from the window system's state of each physical key.
#pragma once
#include <cstdint>

namespace ror {

// 1 when the key state was refreshed, 0 when it was left as it was.
int RefreshKeyState();

}  // namespace ror
