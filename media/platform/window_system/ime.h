// The input method's composition as the window system reports it (SDL's text editing):
// what WM_IME_COMPOSITION asks for. There is no candidate list or clause table here.
#pragma once
#include "platform/window_system/messages.h"

#include <cstdint>

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

// The composition in UTF-8, as the input method sent it (cut to size - 1 bytes, "" while
// nothing is composed); its length in bytes. *caret is the caret in characters and *marked
// the characters the input method marks from it (the clause it converts; 0 where it marks
// none).
int ReadCompositionUtf8(char* out, int size, int* caret, int* marked);
// Typed text arrives as WM_CHAR bytes of UTF-8 (1) or of cp932 (0, the default).
void SetTextMessagesUtf8(int enabled);
// Text input for the window: typed text and the input method's composition reach it. 0 / -1.
int StartTextInput(WindowHandle window);
// Where the input method puts its candidate window: beside the area, in client pixels.
// 0 / -1.
int SetCandidateWindowArea(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height);

}  // namespace ror
