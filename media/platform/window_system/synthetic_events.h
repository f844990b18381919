// Events put into the window system's queue as if a device or an input method had sent them,
// for tests of what real hardware rarely does at will: floods of thousands of events between
// two frames, and input-method composition where no input method runs (Xvfb). Each goes to
// the window; 0, or -1 when the window does not exist, the key is unknown or the window
// system's queue refused it.
#pragma once
#include "platform/window_system/messages.h"

#include <cstdint>

namespace ror {

// A key by the input layer's key code (0x01 Escape, 0x1E A).
int PushSyntheticKey(WindowHandle window, int keyCode, int down);
// A mouse button (1 left, 2 middle, 3 right, 4 and 5 the side buttons) at a client position.
int PushSyntheticButton(WindowHandle window, int button, int down, int32_t x, int32_t y);
// A wheel roll in steps: x to the right, y away from the user.
int PushSyntheticWheel(WindowHandle window, int32_t x, int32_t y);
// Typed text (UTF-8, at most 31 bytes), as text input delivers it.
int PushSyntheticText(WindowHandle window, const char* utf8);
// The input method's composition (UTF-8, at most 31 bytes; empty ends it), with its caret
// and selection in characters.
int PushSyntheticComposition(WindowHandle window, const char* utf8, int start, int length);

}  // namespace ror
