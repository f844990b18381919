// The SDL window behind a window of the layer, for the platform code of the drawing and text
// layers (inside media/platform/ only).
#pragma once
#include "platform/window_system/messages.h"

struct SDL_Window;

namespace ror {

SDL_Window* SdlWindowOf(WindowHandle window);

// Before a window's SDL window goes: a frame living in its rows is copied back (screen_surface.cpp).
void TakeBackRowsOfWindow(SDL_Window* window);

}  // namespace ror
