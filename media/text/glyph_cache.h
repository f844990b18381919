// The glyph cache of a font: rendered glyphs in square cells of a cache image, found by
// character code, the oldest-filled slot reused first.
#pragma once
#include "text/font_handles.h"

#include <cstdint>

namespace ror {

// One character of a string: first byte, second byte (0 for a one-byte character), 0.
struct CharRecord {
    uint8_t first;
    uint8_t second;
    uint8_t zero;
};
static_assert(sizeof(CharRecord) == 3);

constexpr uint32_t CharCode(const CharRecord& record) { return uint32_t(record.first) | uint32_t(record.second) << 8; }

constexpr uint32_t kSpaceCode = 0x20;
constexpr uint32_t kWideSpaceCode = 0x4081;

// Fixed working lists serve strings of up to this many bytes; longer ones allocate.
constexpr int32_t kShortTextBytes = 256;

// Cache creation for a font whose cell metrics are set: the software cache image.
// 0, or -1 (logged) when its memory cannot be had.
int CreateGlyphCache(FontRecord* font);
int SoftwareCacheSlotCount(int32_t cellSize);

int ClearGlyphCache(int handle);
// Makes room for `wanted` glyphs (a line's), within the cache's limits; the glyphs cached
// stay. 0 when it grew or held them already, -1 when it could not grow at all.
int GrowGlyphCache(FontRecord* font, int32_t wanted);
void ClearGlyphCacheOf(FontRecord* font);

// Splits `text` (at most maxLength bytes, -1 = all) into records and renders its uncached
// characters in one batch, the cache grown first to hold the line's glyphs. The line's glyphs
// are not replaced by others until the next line. records may be null; count receives the
// number of records.
int PrecacheText(int32_t maxLength, const char* text, int fontHandle, CharRecord* records, int32_t* count);
// Renders `count` characters into the next slots; returns the last slot filled.
GlyphSlot* RenderGlyphs(FontRecord* font, int32_t count, const CharRecord* records);
// The slot of one character, rendering it when it is not cached.
GlyphSlot* LookUpGlyph(FontRecord* font, const CharRecord& record);

// Top-left pixel of a cell in the cache image.
inline int32_t CellX(const FontRecord* font, int32_t cell) { return (cell / font->cellsPerColumn) * font->cellSize; }
inline int32_t CellY(const FontRecord* font, int32_t cell) { return (cell % font->cellsPerColumn) * font->cellSize; }

// The lead-byte rule of the font's character set.
bool IsLeadByteOf(const FontRecord* font, uint8_t byte);

}  // namespace ror
