// Drawing strings from the glyph cache into the software path's images.
#pragma once
#include "graphics/software/memimg.h"
#include "text/glyph_cache.h"
#include "rorodiv_text.h"

#include <cstdarg>
#include <cstdint>

namespace ror {

struct FontRecord;

// PrintTextFormat's buffer: longer expansions are cut at a character boundary.
constexpr int32_t kFormatBufferSize = 1024;

struct TextSize {
    int32_t width, height;
};

// draw 1 draws into `target` within `clip`; draw 0 only measures (and caches the glyphs).
// limit: bytes of `text` to use, -1 = all. Returns the pen advance in pixels, or -1.
int DrawGlyphRun(int draw, int x, int y, const char* text, uint32_t color, MEMIMG* target, const PixelRect* clip,
                 int fontHandle, uint32_t edgeColor, int32_t limit, TextSize* size, TextCodes codes = TextCodes::Cp932);

// The software path's string drawing (the drawing table's entry): straight into the draw
// target, or through a work image when the text must be blended. 0 / -1.
int SoftwareDrawText(int x, int y, const char* text, uint32_t color, int fontHandle, FontRecord* font,
                     uint32_t edgeColor, TextCodes codes);

// printf-style expansion into `buffer` (kFormatBufferSize bytes). A longer text is cut on a
// character boundary. Returns the length written.
int FormatTextBounded(char* buffer, const char* format, va_list values);

}  // namespace ror
