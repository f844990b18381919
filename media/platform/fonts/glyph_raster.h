// The platform's outline fonts, as the text subsystem uses them: make a font of a face,
// height, weight and slant; read its text metrics; fetch one glyph as a 1-bit or a
// 17-level bitmap with its metrics. FreeType and fontconfig stand behind it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ror {

struct PlatformFont;

// Character sets a font is asked for (the values of the platform's character set ids).
constexpr int32_t kCharSetDefault = 1;
constexpr int32_t kCharSetShiftJis = 128;
constexpr int32_t kCharSetHangeul = 129;

struct PlatformFontRequest {
    const char* faceName;  // cp932 family name; null or "" = the system's choice
    int32_t height;        // cell height in pixels (ascent + descent)
    int32_t weight;        // 100-900, 400 regular; heavier than the face is drawn bolder
    int32_t italic;        // 1 = slanted (sheared when the face has no italic)
    int32_t charSet;       // kCharSet...; decides the code page of character codes
};

// The face name the layer uses for its default gothic font. It stands for a Japanese
// fixed-pitch gothic: IPAGothic, else what matches "monospace:lang=ja", else a monospace face.
extern const char* const kGothicFaceName;

struct PlatformTextMetrics {
    int32_t height;  // ascent + descent: the line height
    int32_t ascent;  // baseline from the top of the line
    int32_t descent;
    int32_t maxCharWidth;  // widest advance of the face
};

enum class GlyphBitmapFormat {
    Mono,    // 1 bit per pixel, most significant bit leftmost, rows padded to 4 bytes
    Gray17,  // 1 byte per pixel with levels 0-16, rows padded to 4 bytes
};

struct PlatformGlyphMetrics {
    int32_t blackBoxX;   // bitmap width; 0 for a glyph without pixels
    int32_t blackBoxY;   // bitmap height; 0 for a glyph without pixels
    int32_t originX;     // left of the bitmap from the pen position
    int32_t originY;     // top of the bitmap above the baseline
    int32_t cellIncX;    // pen advance
    uint32_t kernIndex;  // the glyph's index in the font's own face, 0 when a fallback face drew it
};

// 0 on success with *out set, -1 when no face could be loaded.
int OpenPlatformFont(const PlatformFontRequest& request, PlatformFont** out);
void ClosePlatformFont(PlatformFont* font);

int ReadPlatformTextMetrics(const PlatformFont* font, PlatformTextMetrics* out);

// Family name of the face in use (UTF-8), for reports and tests.
const char* PlatformFontFamily(const PlatformFont* font);
// True when the family asked for is neither added nor on the system, and the face in use is
// the one fontconfig proposed in its place.
bool PlatformFontSubstituted(const PlatformFont* font);

// Fonts the game brings: the bytes of a TrueType/OpenType file or collection, copied, whose
// faces OpenPlatformFont finds by family name (any of the names in their name tables) before
// the system's, until removed. The added font's id (0 or more), or -1 when the bytes hold no
// scalable face or 32 fonts are added already.
int AddPlatformFontData(const void* bytes, size_t size);
// The family name (UTF-8) of an added font's first face; null for an id not added.
const char* AddedPlatformFontFamily(int id);
// New fonts no longer find the added font; fonts open on it keep its bytes until they close.
// 0, or -1 for an id not added.
int RemovePlatformFontData(int id);

// Marks a character code as a Unicode code point (in its low 21 bits).
constexpr uint32_t kPlatformUnicodeCode = 0x80000000u;

// The glyph of a character code: (lead << 8) | trail for a two-byte character, the byte
// itself for a one-byte one, in the code page of the font's character set; or a code point
// with kPlatformUnicodeCode. A character
// the face lacks (or a code that is no character) gives the face's missing glyph.
// Fills *metrics and returns the bitmap's size in bytes (pitch × blackBoxY, 0 for a glyph
// without pixels); the bitmap is written when `buffer` is given and `bufferSize` holds
// it. -1 when the glyph cannot be rendered at all.
int32_t ReadPlatformGlyph(PlatformFont* font, uint32_t code, GlyphBitmapFormat format, PlatformGlyphMetrics* metrics,
                          uint32_t bufferSize, void* buffer);

// The kerning of the font's own face between two glyphs (kernIndex values) in whole pixels:
// negative draws the pair closer. 0 when either is 0 or the face has no kerning table.
int32_t ReadPlatformKerning(const PlatformFont* font, uint32_t leftIndex, uint32_t rightIndex);

// Row length in bytes of a bitmap of `width` pixels in `format`.
constexpr int32_t GlyphBitmapPitch(GlyphBitmapFormat format, int32_t width)
{
    int32_t bytes = format == GlyphBitmapFormat::Mono ? (width + 7) / 8 : width;
    return (bytes + 3) & ~3;
}

// The code page of the system's OEM text (932 here; 949 would mean a Korean system).
int32_t SystemOemCodePage();

}  // namespace ror
