// Text: fonts named by handles, the default font, and drawing strings (cp932 bytes).
#pragma once
#include <cstdint>

// Font types (a bit set).
constexpr int FONT_NORMAL = 0;
constexpr int FONT_EDGE = 1;       // glyphs outlined in the edge colour
constexpr int FONT_ANTIALIAS = 2;  // 16-level anti-aliased glyphs

// -1 in size, thickness, type, charSetIndex, edgeSize, slot or check asks for the default.
// charSetIndex: 0 default, 1 Shift-JIS, 2 Hangeul. Result: a font handle, or -1.
int CreateFontToHandle(const char* faceName, int size, int thickness, int type, int charSetIndex, int edgeSize,
                       int italic, int slot = -1, int check = -1);
int ReleaseFontHandle(int handle);
int SetFontSpacingOfHandle(int spacing, int handle);
// faceName (at least 256 bytes), size and thickness may each be null.
int GetFontInfoOfHandle(char* faceName, int* size, int* thickness, int handle);
int GetFontSizeOfHandle(int handle);
int IsFontHandleValid(int handle);
// The integer is set to 0 now and to 1 when the font is released.
int SetFontReleasedFlagOfHandle(int handle, int32_t* flag);
int QueryDefaultFont();
int SetDefaultFontSizeAndThickness(const char* faceName, int size, int thickness);

// Colours are values of PackColor. The default font draws; a text is never broken into
// lines: every byte other than the spaces is a glyph.
int PrintTextFormat(int x, int y, uint32_t color, const char* format, ...) __attribute__((format(printf, 4, 5)));
int PrintText(int x, int y, const char* text, uint32_t color, uint32_t edgeColor = 0);
int PrintTextWithFont(int x, int y, const char* text, uint32_t color, int fontHandle, uint32_t edgeColor = 0,
                      int vertical = 0);
