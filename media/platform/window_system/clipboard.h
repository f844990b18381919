// The desktop's clipboard, text only, in UTF-8 as the window system speaks it.
#pragma once
#include <cstddef>

namespace ror {

// The clipboard's text, cut at a character's end to size - 1 bytes and terminated (nothing
// is written for size 0): its whole length in bytes, or -1 when it holds no text or the
// window system is not running.
int ReadClipboardUtf8(char* out, size_t size);
// Puts the text on the clipboard. 0 / -1.
int WriteClipboardUtf8(const char* text);

}  // namespace ror
