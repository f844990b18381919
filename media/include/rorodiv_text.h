/// @file
/// Text: fonts named by handles, the default font, drawing and measuring strings. Texts are
/// cp932 bytes, or UTF-8 while SetUseUtf8Texts(1) is in force: then every code point the font
/// has is drawn, and a sequence that is no UTF-8 character draws the font's replacement mark.
#pragma once
#include <cstdint>

#include "rorodiv_api.h"

/// Font types (a bit set).
constexpr int FONT_NORMAL = 0;
constexpr int FONT_EDGE = 1;       ///< glyphs outlined in the edge colour
constexpr int FONT_ANTIALIAS = 2;  ///< 16-level anti-aliased glyphs

/// -1 in size, thickness, type, charSetIndex, edgeSize, slot or check asks for the default.
/// charSetIndex: 0 default, 1 Shift-JIS, 2 Hangeul. Result: a font handle, or -1. faceName is a
/// family of a loaded font file (below) or of the system; a family neither has gets the face
/// fontconfig proposes in its place, and the log names both.
ROR_API int CreateFontToHandle(const char* faceName, int size, int thickness, int type, int charSetIndex, int edgeSize,
                               int italic, int slot = -1, int check = -1);
/// Releases a font handle (its flag set by SetFontReleasedFlagOfHandle becomes 1). 0; -1 for
/// an invalid handle.
ROR_API int ReleaseFontHandle(int handle);
/// Pixels added after every character the font draws or measures (negative draws them closer).
/// 0; -1 for an invalid handle.
ROR_API int SetFontSpacingOfHandle(int spacing, int handle);
/// Kerning: with enable 1 the font moves each pair of its glyphs closer or apart by its face's
/// kerning table (in whole pixels, the font's spacing added as before), in drawing and in
/// measuring alike; 0 (the default of every new font) draws each glyph at its advance. A face
/// without a kerning table, and a glyph a fallback face draws, are not moved. Kept when the
/// fonts are made again after a mode change. Before or after start-up, on both drawing paths,
/// from the thread that draws. 0; -1 for an invalid handle or enable other than 0 and 1.
ROR_API int SetFontKerningOfHandle(int enable, int handle);
/// faceName (at least 256 bytes), size and thickness may each be null.
ROR_API int GetFontInfoOfHandle(char* faceName, int* size, int* thickness, int handle);
/// The font's size in pixels, or -1 for an invalid handle.
ROR_API int GetFontSizeOfHandle(int handle);
/// 1 when handle names a live font, else 0.
ROR_API int IsFontHandleValid(int handle);
/// The integer is set to 0 now and to 1 when the font is released.
ROR_API int SetFontReleasedFlagOfHandle(int handle, int32_t* flag);
/// The default font's handle (made at start-up and again after a mode change), or -1 when
/// there is none.
ROR_API int QueryDefaultFont();
/// Remakes the default font at size pixels (1..1024, -1 for 16) and thickness (-1 for the
/// default); faceName is not used. 0; -1 for a size out of range (the font in use stays).
ROR_API int SetDefaultFontSizeAndThickness(const char* faceName, int size, int thickness);

/// Colours are values of PackColor. The default font draws; a text is never broken into
/// lines: every byte other than the spaces is a glyph.
/// Formats printf-style into a 1024-byte buffer (cut, never overrun) and draws it with the
/// default font at (x, y) in color. 0; -1 for a null format, before start-up, or when the
/// default font cannot draw. On both drawing paths.
ROR_API int PrintTextFormat(int x, int y, uint32_t color, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
/// Draws text with the default font, its top-left at (x, y), in color with edgeColor for an
/// edged font (PackColor values), with the blend mode and brightness, on both paths. 0, also
/// for an empty text or draw region; -1 for a null text, before start-up, or when the
/// default font cannot draw.
ROR_API int PrintText(int x, int y, const char* text, uint32_t color, uint32_t edgeColor = 0);
/// As PrintText in the font fontHandle; vertical is not used. -1 also for an invalid handle.
ROR_API int PrintTextWithFont(int x, int y, const char* text, uint32_t color, int fontHandle, uint32_t edgeColor = 0,
                              int vertical = 0);

/// Measuring. fontHandle: a font handle, or -1 for the default font. A width is what drawing
/// moves the pen: each character's advance (its edge included) plus the font's spacing, and
/// the kerning of its pairs when the font has it on, in the text mode in force, so that a text
/// drawn at x + width goes on where the measured one ended (without the kerning of the pair
/// across the split).
/// Measuring renders the glyphs into the font's cache as drawing would; it draws nothing.
///
/// The width in pixels of `text` into *width. 0; -1 for a null text or width, an invalid handle,
/// or the default font before start-up.
ROR_API int GetTextWidth(const char* text, int fontHandle, int* width);
/// The width of the first `characters` characters of `text` (a cp932 character is one or two
/// bytes, a UTF-8 one a code point; the whole text when it has fewer, 0 for 0 or less), as for
/// a caret after them. 0; -1 as GetTextWidth.
ROR_API int GetTextWidthUpTo(const char* text, int characters, int fontHandle, int* width);
/// The height of a drawn line and its baseline below the line's top, edges included, into
/// *lineHeight and *ascent (either may be null). 0; -1 for an invalid handle or the default
/// font before start-up.
ROR_API int GetFontLineMetrics(int fontHandle, int* lineHeight, int* ascent);

/// Fonts the game brings. A TrueType or OpenType file (a collection too) from a path (through
/// archives, as FileOpen finds files) or from memory (copied: the caller's bytes may go at
/// once); its faces are found by CreateFontToHandle under their family names, before the
/// system's, until the font file is removed or the program ends. In UTF-8 mode they also draw
/// the characters a font's own face lacks, before any face of the system does. Before or after
/// start-up.
///
/// The path's font file: a font file handle, or -1 (logged) when the file cannot be read, holds
/// no scalable face, or 32 font files are loaded.
ROR_API int LoadFontFile(const char* path);
/// The same for `size` bytes at `data`: a font file handle, or -1 (also for null data or a size
/// of 0 or less).
ROR_API int LoadFontFromMemory(const void* data, int size);
/// The family name of the font file's first face into familyName (at least 256 bytes), in the
/// text mode in force. 0; -1 for an invalid handle or a null buffer.
ROR_API int GetFontFileFamily(int fontFile, char* familyName);
/// New fonts no longer find the font file's faces; font handles made from them keep working
/// until released. 0; -1 for an invalid handle.
ROR_API int RemoveFontFile(int fontFile);
