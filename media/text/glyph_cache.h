// The glyph cache of a font: rendered glyphs in square cells of a cache image, found by
// character code, the oldest-filled slot reused first.
#pragma once
#include "text/font_handles.h"

#include <cstdint>

namespace ror {

// One character of a string. cp932: first byte, second byte (0 for a one-byte character), 0.
// UTF-8: the code point's three bytes, lowest first.
struct CharRecord {
    uint8_t first;
    uint8_t second;
    uint8_t third;
};
static_assert(sizeof(CharRecord) == 3);

constexpr uint32_t CharCode(const CharRecord& record)
{
    return uint32_t(record.first) | uint32_t(record.second) << 8 | uint32_t(record.third) << 16;
}
constexpr CharRecord CodePointRecord(uint32_t code)
{
    return CharRecord{uint8_t(code), uint8_t(code >> 8), uint8_t(code >> 16)};
}

constexpr uint32_t kSpaceCode = 0x20;
constexpr uint32_t kWideSpaceCode = 0x4081;  // cp932 0x81 0x40
constexpr uint32_t kUnicodeWideSpace = 0x3000;
// What a UTF-8 sequence that is no character draws.
constexpr uint32_t kReplacementCode = 0xFFFD;

// How the bytes of a text make characters: cp932 (one or two bytes) or UTF-8 (code points).
enum class TextCodes : int32_t { Cp932, Utf8 };
// The codes of the texts the game gives now.
TextCodes CallerTextCodes();

// One character of bytes[at, end): sets *record and returns the bytes it takes (at least 1).
// cp932: a lead byte takes the next byte even at `end` (the string's terminating zero makes
// it a lead byte alone). UTF-8: a sequence that is not a character gives kReplacementCode for
// its longest valid beginning, and nothing at or past `end` is read.
int32_t ReadWideCharacter(const FontRecord* font, TextCodes codes, const uint8_t* bytes, int32_t at, int32_t end,
                          CharRecord* record);
inline int32_t ReadCharacter(const FontRecord* font, TextCodes codes, const uint8_t* bytes, int32_t at, int32_t end,
                             CharRecord* record)
{
    // ASCII is one byte in every code this reads, and never a lead byte.
    if (bytes[at] < 0x80) {
        *record = CharRecord{bytes[at], 0, 0};
        return 1;
    }
    return ReadWideCharacter(font, codes, bytes, at, end, record);
}
// Spaces: an advance, no pixels.
inline bool IsBlankCode(const FontRecord* font, uint32_t code)
{
    return code == kSpaceCode || code == (font->unicodeCodes ? kUnicodeWideSpace : kWideSpaceCode);
}

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
// `codes` tells how the text's bytes make characters; the cache changes over (empty) when the
// font last held glyphs of the other kind.
int PrecacheText(int32_t maxLength, const char* text, int fontHandle, CharRecord* records, int32_t* count,
                 TextCodes codes = TextCodes::Cp932);
// Renders `count` characters into the next slots; returns the last slot filled.
GlyphSlot* RenderGlyphs(FontRecord* font, int32_t count, const CharRecord* records);
// The slot of one character, rendering it when it is not cached.
GlyphSlot* FindOrRenderGlyph(FontRecord* font, const CharRecord& record);
inline GlyphSlot* LookUpGlyph(FontRecord* font, const CharRecord& record)
{
    // The common case inline: a code of the map, cached.
    const uint32_t code = CharCode(record);
    if (code < uint32_t(kGlyphCodeCount) && font->codeMap[code].cached == 1) {
        GlyphSlot* slot = font->codeMap[code].slot;
        slot->lineStamp = font->lineStamp;
        return slot;
    }
    return FindOrRenderGlyph(font, record);
}

// The pen's move between two glyphs (their slots' kernIndex; 0 before a line's first) beyond
// the first's advance: the face's kerning of the pair when the font has kerning on, else 0.
int32_t FaceKerning(const FontRecord* font, uint32_t leftIndex, uint32_t rightIndex);
inline int32_t PairKerning(const FontRecord* font, uint32_t leftIndex, uint32_t rightIndex)
{
    return font->kerning ? FaceKerning(font, leftIndex, rightIndex) : 0;
}

// Top-left pixel of a cell in the cache image.
inline int32_t CellX(const FontRecord* font, int32_t cell) { return (cell / font->cellsPerColumn) * font->cellSize; }
inline int32_t CellY(const FontRecord* font, int32_t cell) { return (cell % font->cellsPerColumn) * font->cellSize; }

// The lead-byte rule of the font's character set.
bool IsLeadByteOf(const FontRecord* font, uint8_t byte);

}  // namespace ror
