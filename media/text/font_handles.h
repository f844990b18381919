// Font handles: the font table, the font record with its glyph cache, and the default font.
#pragma once
#include "core/handles.h"
#include "graphics/color_format.h"
#include "rorodiv_text.h"

#include <cstdint>

namespace ror {

struct PlatformFont;

constexpr int32_t kFontTableSize = 40;
constexpr int32_t kGlyphSlotCount = 2025;  // up to 2024 usable and one end marker
constexpr int32_t kMaxUsableGlyphSlots = 2024;
constexpr int32_t kGlyphCodeCount = 65536;
// Codes past the map (code points above U+FFFF) are found through this many hash chains.
constexpr int32_t kWideCodeBuckets = 512;
constexpr int32_t kFontFaceNameSize = 256;

struct GlyphSlot;

struct GlyphCodeEntry {
    int32_t cached;
    GlyphSlot* slot;
};

struct GlyphSlot {
    int16_t inUse;
    int16_t originX;  // black box left of the pen
    int16_t top;      // black box top below the top of the line
    int16_t advance;
    int32_t cell;  // cache cell owned; -1 in the end marker
    int16_t width;
    int16_t height;
    GlyphCodeEntry* mapEntry;  // in the code map, or ownEntry for a code past the map
    uint32_t lineStamp;        // the last line that used the glyph, kept while that line is made
    uint32_t code;
    uint32_t kernIndex;  // the glyph in the font's own face for kerning; 0 for none
    GlyphCodeEntry ownEntry;
    GlyphSlot* nextWide;  // the next slot in its chain of codes past the map
};

struct FontRecord {
    HandleHeader header;  // check value and handle
    int32_t* releasedFlag;
    GlyphSlot slots[kGlyphSlotCount];
    GlyphCodeEntry codeMap[kGlyphCodeCount];
    GlyphSlot* wideCodes[kWideCodeBuckets];  // chains of the slots holding codes past the map
    int32_t nextSlot;
    int32_t slotCount;
    uint8_t* cacheMemory;
    int32_t cacheRowBytes;
    int32_t cacheBitsPerPixel;
    char faceName[kFontFaceNameSize];
    int32_t thickness;
    int32_t size;
    int32_t cellHeight;
    int32_t italic;
    int32_t spacing;
    int32_t cellSize;
    PlatformFont* platformFont;
    int32_t type;
    int32_t charSetIndex;
    int32_t edgeSize;
    int32_t cacheWidth, cacheHeight;
    int32_t cellsPerColumn;
    int32_t cacheTexture;
    int32_t edgeTexture;
    int32_t textureLost;
    ColorFormat workFormat;
    int32_t workWidth, workHeight, workRowBytes;
    uint8_t* workBuffer;
    int32_t textureMode;
    uint32_t lineStamp;    // the line being made; its glyphs are not replaced for others
    int32_t glyphRenders;  // glyphs rendered into the cache since the font was made
    int32_t unicodeCodes;  // 1: the cache holds glyphs by Unicode code point, else by cp932 code
    int32_t ascent;        // baseline below the top of the line, the edge included
    int32_t kerning;       // 1: pairs of glyphs move by the face's kerning table
};

struct DefaultFontSettingsRecord {
    char faceName[kFontFaceNameSize];
    int32_t size;
    int32_t thickness;
    int32_t type;
    int32_t charSetIndex;
    int32_t edgeSize;
    int32_t italic;
    int32_t spacing;
    int32_t handle;
};

struct FontSystemState {
    HandleHeader* slots[kFontTableSize];  // FontTable: null or a FontRecord
    HandleTable table;                    // kind 4 over `slots`, with the fonts' check counter
    DefaultFontSettingsRecord defaults;
};

extern FontSystemState FontSystem;

// The record of a valid font handle, or null.
FontRecord* ResolveFont(int handle);

// Cell metrics from the platform's text metrics.
struct CellMetrics {
    int32_t cellSize;
    int32_t cellHeight;
};
CellMetrics ComputeCellMetrics(int32_t maxCharWidth, int32_t textHeight, int32_t type, int32_t edgeSize);

// CreateFontToHandle on a cp932 face name: the layer's own fonts.
int MakeFontHandle(const char* faceName, int size, int thickness, int type, int charSetIndex, int edgeSize, int italic,
                   int slot, int check);

// What makes a font, so that it can be made again the same, under the same handle.
struct FontRecipe {
    char faceName[kFontFaceNameSize];
    int32_t size, thickness, type, charSetIndex, edgeSize, italic;
    int32_t slot, check;
    int32_t spacing, kerning;
    int32_t* releasedFlag;
};
FontRecipe RecipeOfFont(const FontRecord* font, int32_t slot);
// The font of the recipe in the recipe's slot: its handle (the old one), or -1.
int MakeFontFromRecipe(const FontRecipe& recipe);

int RefreshDefaultFont();
int RebuildAllFonts();
int InitFontSystem();
int ResetFonts();
int EndFontSystem();

}  // namespace ror
