// The input method's composition as the window system reports it (SDL's text editing):
// what WM_IME_COMPOSITION asks for. There is no candidate list or clause table here.
#pragma once

namespace ror {

// The text being composed, cp932, terminated; returns its length in bytes.
int ReadCompositionString(char* out, int size);
// The caret inside the composition, as a byte offset into the cp932 text.
int CompositionCursor();

// Switches the input method for the layer's windows: while off, composition events are
// ignored (typed text still arrives as WM_CHAR). 0.
int SetInputMethodEnabled(int enabled);
// 1 while the input method is switched on.
int InputMethodOpen();

}  // namespace ror
