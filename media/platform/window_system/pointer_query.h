// Inside the platform layer: where the pointer is now, asked of the window system itself.
#pragma once
#include <cstdint>

struct SDL_Window;

namespace ror {

// The pointer relative to the window's client origin, wherever it is on the screen (outside
// the window too). 0, or -1 when the window system cannot be asked (then the last position
// seen in a window's events is what is known).
int QueryPointerInWindow(SDL_Window* window, int32_t* x, int32_t* y);

}  // namespace ror
