#include "text/glyph_cache.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "base/sjis.h"
#include "core/fatal_exit.h"
#include "core/tracked_memory.h"
#include "graphics/window_link.h"
#include "platform/fonts/glyph_raster.h"
#include "text/glyph_edge.h"
#include "text/glyph_texture.h"

#include <cstring>

namespace ror {

namespace {

constexpr int32_t kSoftwareCacheArea = 0x50000;
constexpr int32_t kMinSlots = 20;
constexpr int32_t kSmallGlyphBytes = 4096;

// Working lists of PrecacheText for short strings.
struct PrecacheLists {
    CharRecord records[kShortTextBytes];
    CharRecord fresh[kShortTextBytes];
    uint16_t codes[kShortTextBytes];
};
PrecacheLists ShortLists;

uint8_t* CellRow(FontRecord* font, int32_t cell, int32_t row)
{
    return font->cacheMemory + size_t(CellY(font, cell) + row) * size_t(font->cacheRowBytes);
}

// The glyph bitmap, as the platform wrote it, read pixel by pixel.
struct GlyphBitmap {
    const uint8_t* rows;
    int32_t pitch;
    int32_t width, height;
    bool mono;

    // Level 0-16 of a pixel: 16 for a set bit of a 1-bit glyph.
    int32_t Level(int32_t x, int32_t y) const
    {
        const uint8_t* row = rows + y * pitch;
        if (mono) return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 16 : 0;
        return row[x];
    }
};

void WritePlainGlyph(FontRecord* font, int32_t cell, const GlyphBitmap& glyph)
{
    for (int32_t y = 0; y < glyph.height; ++y) {
        uint8_t* row = CellRow(font, cell, y);
        for (int32_t x = 0; x < glyph.width; ++x)
            if (glyph.Level(x, y)) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
}

void WriteAntialiasGlyph(FontRecord* font, int32_t cell, const GlyphBitmap& glyph)
{
    for (int32_t y = 0; y < glyph.height; ++y) {
        uint8_t* row = CellRow(font, cell, y);
        for (int32_t x = 0; x < glyph.width; ++x)
            if (int32_t level = glyph.Level(x, y)) row[x] = uint8_t(level - 1);
    }
}

// Edged glyphs sit at (edge, edge) in the cell. 1-bit: 1 glyph, 2 edge, glyph pixels
// winning. Anti-aliased: glyph level - 1 in the low nibble, the largest covering level - 1
// as edge in the high nibble.
void WriteEdgedGlyph(FontRecord* font, int32_t cell, const GlyphBitmap& glyph, bool antialias)
{
    int32_t edge = font->edgeSize;
    int32_t reach = edge < 1 ? 0 : edge;
    for (int32_t y = 0; y < glyph.height; ++y) {
        for (int32_t x = 0; x < glyph.width; ++x) {
            int32_t level = glyph.Level(x, y);
            if (level == 0) continue;
            int32_t cx = x + edge, cy = y + edge;
            if (antialias)
                CellRow(font, cell, cy)[cx] |= uint8_t(level - 1);
            else
                CellRow(font, cell, cy)[cx] = 1;
            uint8_t edgeLevel = uint8_t((level - 1) << 4);
            for (int32_t dy = -reach; dy <= reach; ++dy) {
                uint8_t* row = CellRow(font, cell, cy + dy);
                for (int32_t dx = -reach; dx <= reach; ++dx) {
                    if (!EdgeShapeIncludes(edge, dx, dy)) continue;
                    uint8_t& pixel = row[cx + dx];
                    if (antialias) {
                        if ((pixel & 0xF0) < edgeLevel) pixel = uint8_t((pixel & 0x0F) | edgeLevel);
                    } else if (pixel != 1) {
                        pixel = 2;
                    }
                }
            }
        }
    }
}

void WriteGlyphIntoCache(FontRecord* font, int32_t cell, const GlyphBitmap& glyph)
{
    bool antialias = (font->type & FONT_ANTIALIAS) != 0;
    if (font->type & FONT_EDGE)
        WriteEdgedGlyph(font, cell, glyph, antialias);
    else if (antialias)
        WriteAntialiasGlyph(font, cell, glyph);
    else
        WritePlainGlyph(font, cell, glyph);
}

// Renders one character into `slot`: metrics always, pixels unless it is a space.
void RenderOneGlyph(FontRecord* font, GlyphSlot* slot, const CharRecord& record, const PlatformTextMetrics& text)
{
    uint32_t code = CharCode(record);
    uint32_t platformCode = record.second ? (uint32_t(record.first) << 8 | record.second) : record.first;
    GlyphBitmapFormat format = (font->type & FONT_ANTIALIAS) ? GlyphBitmapFormat::Gray17 : GlyphBitmapFormat::Mono;
    int32_t edge = (font->type & FONT_EDGE) ? font->edgeSize : 0;

    for (int32_t row = 0; row < font->cellSize; ++row)
        std::memset(CellRow(font, slot->cell, row), 0, size_t(font->cacheRowBytes));

    PlatformGlyphMetrics metrics{};
    int32_t size = ReadPlatformGlyph(font->platformFont, platformCode, format, &metrics, 0, nullptr);
    if (size < 0) FatalExit("GetGlyphOutline 関数が失敗しました");
    slot->advance = int16_t(metrics.cellIncX);
    if (code == kSpaceCode || code == kWideSpaceCode || size == 0 || metrics.blackBoxY == 0) {
        slot->originX = int16_t(metrics.originX);
        slot->top = int16_t(text.ascent - metrics.originY);
        slot->width = 0;
        slot->height = 0;
    } else {
        // One zero row above and below the bitmap, as the writers may look one row out.
        // Glyphs of text sizes fit the buffer on the stack; only large ones take a block.
        int32_t pitch = size / metrics.blackBoxY / 4 * 4;
        uint8_t small[kSmallGlyphBytes];
        uint8_t* block = small;
        if (size + 2 * pitch <= kSmallGlyphBytes) {
            std::memset(small, 0, size_t(pitch));
            std::memset(small + pitch + size, 0, size_t(pitch));
        } else {
            block = static_cast<uint8_t*>(TrackedAllocZeroed(size + 2 * pitch, __FILE__, __LINE__));
        }
        if (!block) FatalExit("アンチエイリアス文字取得用バッファの確保に失敗しました");
        if (ReadPlatformGlyph(font->platformFont, platformCode, format, &metrics, uint32_t(size), block + pitch) < 0)
            FatalExit("GetGlyphOutline 関数が失敗しました");
        slot->originX = int16_t(metrics.originX);
        slot->top = int16_t(text.ascent - metrics.originY);
        // A glyph larger than its cell (a wide slant, a heavy weight) is cut at the cell.
        int32_t room = font->cellSize - 2 * edge;
        GlyphBitmap glyph{block + pitch, pitch, metrics.blackBoxX < room ? metrics.blackBoxX : room,
                          metrics.blackBoxY < room ? metrics.blackBoxY : room, format == GlyphBitmapFormat::Mono};
        WriteGlyphIntoCache(font, slot->cell, glyph);
        slot->width = int16_t(glyph.width);
        slot->height = int16_t(glyph.height);
        if (block != small) TrackedFree(block);
    }
    if (font->type & FONT_EDGE) {
        slot->advance = int16_t(slot->advance + 2 * edge);
        slot->width = int16_t(slot->width + 2 * edge);
        slot->height = int16_t(slot->height + 2 * edge);
    }
}

}  // namespace

bool IsLeadByteOf(const FontRecord* font, uint8_t byte)
{
    return font->charSetIndex == 2 ? (byte & 0x80) != 0 : IsSjisLeadByte(byte);
}

int SoftwareCacheSlotCount(int32_t cellSize)
{
    int32_t count = kSoftwareCacheArea / (cellSize * cellSize);
    if (count < kMinSlots) count = kMinSlots;
    if (count > kMaxUsableGlyphSlots) count = kMaxUsableGlyphSlots;
    return count;
}

int CreateGlyphCache(FontRecord* font)
{
    // On the hardware path the cells are kept in a texture as well; the memory cache below
    // holds the rasterised glyphs either way.
    if (font->textureMode && CreateGlyphTexture(font) != 0) {
        LogWrite("テクスチャ文字キャッシュの作成に失敗しました\n");
        font->textureMode = 0;
    }
    if (!font->textureMode) {
        font->slotCount = SoftwareCacheSlotCount(font->cellSize);
        font->cacheWidth = font->cellSize;
        font->cacheHeight = font->slotCount * font->cellSize;
    }
    font->cacheBitsPerPixel = font->type == FONT_NORMAL ? 1 : 8;
    font->cellsPerColumn = font->slotCount;  // the memory cache is one column of cells
    font->cacheRowBytes = (font->cellSize * font->cacheBitsPerPixel + 7) / 8;
    int64_t bytes = int64_t(font->cacheRowBytes) * font->slotCount * font->cellSize;
    font->cacheMemory =
        bytes > INT32_MAX ? nullptr : static_cast<uint8_t*>(TrackedAllocZeroed(int32_t(bytes), __FILE__, __LINE__));
    if (!font->cacheMemory) return LogWrite("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
    ClearGlyphCacheOf(font);
    return 0;
}

namespace {

void ResetGlyphSlots(FontRecord* font)
{
    std::memset(font->slots, 0, sizeof font->slots);
    for (int32_t i = 0; i < font->slotCount; ++i) font->slots[i].cell = i;
    font->slots[font->slotCount].cell = -1;
    font->nextSlot = 0;
}

}  // namespace

void ClearGlyphCacheOf(FontRecord* font)
{
    std::memset(font->codeMap, 0, sizeof font->codeMap);
    ResetGlyphSlots(font);
}

int ClearGlyphCache(int handle)
{
    FontRecord* font = ResolveFont(handle);
    if (!font) return -1;
    // Only codes held by a slot are marked in the code map: forgetting those is enough,
    // without wiping the whole map (a megabyte) every time.
    for (int32_t i = 0; i < font->slotCount; ++i) {
        GlyphSlot& slot = font->slots[i];
        if (slot.inUse && slot.mapEntry) *slot.mapEntry = GlyphCodeEntry{};
    }
    ResetGlyphSlots(font);
    return 0;
}

GlyphSlot* RenderGlyphs(FontRecord* font, int32_t count, const CharRecord* records)
{
    PlatformTextMetrics text{};
    if (ReadPlatformTextMetrics(font->platformFont, &text) != 0)
        FatalExit("テキストキャッシュサーフェスのＤＣの取得に失敗しました");
    GlyphSlot* last = nullptr;
    for (int32_t i = 0; i < count; ++i) {
        GlyphSlot* slot = &font->slots[font->nextSlot];
        if (slot->inUse) {
            slot->mapEntry->cached = 0;
            slot->mapEntry->slot = nullptr;
            slot->inUse = 0;
        }
        GlyphCodeEntry* entry = &font->codeMap[CharCode(records[i])];
        entry->cached = 1;
        entry->slot = slot;
        slot->mapEntry = entry;
        slot->inUse = 1;
        RenderOneGlyph(font, slot, records[i], text);
        if (font->textureMode) UploadGlyphCell(font, slot);
        font->nextSlot = font->nextSlot + 1 == font->slotCount ? 0 : font->nextSlot + 1;
        last = slot;
    }
    return last;
}

GlyphSlot* LookUpGlyph(FontRecord* font, const CharRecord& record)
{
    const GlyphCodeEntry& entry = font->codeMap[CharCode(record)];
    if (entry.cached == 1 && entry.slot) return entry.slot;
    return RenderGlyphs(font, 1, &record);
}

int PrecacheText(int32_t maxLength, const char* text, int fontHandle, CharRecord* records, int32_t* count)
{
    FontRecord* font = ResolveFont(fontHandle);
    if (!font || !text) return -1;
    int32_t n = int32_t(std::strlen(text));
    if (maxLength != -1 && maxLength >= 0 && maxLength < n) n = maxLength;

    CharRecord* all = ShortLists.records;
    CharRecord* fresh = ShortLists.fresh;
    uint16_t* codes = ShortLists.codes;
    void* block = nullptr;
    if (n > kShortTextBytes) {
        block = TrackedAlloc(n * 8, __FILE__, __LINE__);
        if (!block) return -1;
        all = static_cast<CharRecord*>(block);
        fresh = all + n;
        codes = reinterpret_cast<uint16_t*>(fresh + n);
    }
    if (records) all = records;

    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    int32_t written = 0, collected = 0;
    for (int32_t at = 0; at < n;) {
        CharRecord record{bytes[at], 0, 0};
        // A lead byte takes the next byte even at the limit; at the string's end that
        // is the terminating zero, and the character is the lead byte alone.
        if (IsLeadByteOf(font, bytes[at])) {
            record.second = bytes[at + 1];
            at += record.second ? 2 : 1;
        } else {
            at += 1;
        }
        all[written++] = record;
        GlyphCodeEntry& entry = font->codeMap[CharCode(record)];
        if (entry.cached != 1 && collected < font->slotCount) {
            entry.cached = 1;
            fresh[collected] = record;
            codes[collected++] = uint16_t(CharCode(record));
        }
    }
    for (int32_t i = 0; i < collected; ++i) font->codeMap[codes[i]].cached = 0;
    if (collected) RenderGlyphs(font, collected, fresh);
    if (count) *count = written;
    if (block) TrackedFree(block);
    return 0;
}

}  // namespace ror
