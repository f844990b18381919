#include "text/glyph_cache.h"

#include "base/utf8.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "base/sjis.h"
#include "core/fatal_exit.h"
#include "core/text_encoding.h"
#include "core/tracked_memory.h"
#include "graphics/window_link.h"
#include "platform/fonts/glyph_raster.h"
#include "text/glyph_edge.h"
#include "text/glyph_texture.h"

#include <algorithm>
#include <cstring>

namespace ror {

namespace {

constexpr int32_t kSoftwareCacheArea = 0x50000;
constexpr int32_t kMinSlots = 20;
constexpr int32_t kSmallGlyphBytes = 4096;
// The memory cache grows to hold a line's glyphs, up to this.
constexpr int64_t kMaxCacheBytes = int64_t(64) << 20;

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

void WriteGlyphIntoCache(FontRecord* font, int32_t cell, const GlyphBitmap& glyph)
{
    bool antialias = (font->type & FONT_ANTIALIAS) != 0;
    if (font->type & FONT_EDGE) {
        // Edged glyphs sit at (edge, edge) in the cell.
        if (WriteEdgedGlyph(glyph, font->edgeSize, antialias, CellRow(font, cell, 0), font->cacheRowBytes) != 0)
            LogWrite("文字の縁取り用メモリの確保に失敗しました\n");
    } else if (antialias)
        WriteAntialiasGlyph(font, cell, glyph);
    else
        WritePlainGlyph(font, cell, glyph);
}

// Renders one character into `slot`: metrics always, pixels unless it is a space.
void RenderOneGlyph(FontRecord* font, GlyphSlot* slot, const CharRecord& record, const PlatformTextMetrics& text)
{
    uint32_t code = CharCode(record);
    uint32_t platformCode = font->unicodeCodes ? code | kPlatformUnicodeCode
                            : record.second    ? (uint32_t(record.first) << 8 | record.second)
                                               : record.first;
    GlyphBitmapFormat format = (font->type & FONT_ANTIALIAS) ? GlyphBitmapFormat::Gray17 : GlyphBitmapFormat::Mono;
    int32_t edge = (font->type & FONT_EDGE) ? font->edgeSize : 0;

    for (int32_t row = 0; row < font->cellSize; ++row)
        std::memset(CellRow(font, slot->cell, row), 0, size_t(font->cacheRowBytes));

    ++font->glyphRenders;
    PlatformGlyphMetrics metrics{};
    int32_t size = ReadPlatformGlyph(font->platformFont, platformCode, format, &metrics, 0, nullptr);
    if (size < 0) FatalExit("GetGlyphOutline 関数が失敗しました");
    slot->advance = int16_t(metrics.cellIncX);
    slot->kernIndex = metrics.kernIndex;
    if (IsBlankCode(font, code) || size == 0 || metrics.blackBoxY == 0) {
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

TextCodes CallerTextCodes() { return TextEncoding.utf8 ? TextCodes::Utf8 : TextCodes::Cp932; }

int32_t ReadWideCharacter(const FontRecord* font, TextCodes codes, const uint8_t* bytes, int32_t at, int32_t end,
                          CharRecord* record)
{
    if (codes == TextCodes::Utf8) {
        uint32_t code = 0;
        const int32_t length = DecodeUtf8(bytes, at, end, &code);
        *record = CodePointRecord(code == kNoCodePoint ? kReplacementCode : code);
        return length;
    }
    *record = CharRecord{bytes[at], 0, 0};
    if (!IsLeadByteOf(font, bytes[at])) return 1;
    record->second = bytes[at + 1];
    return record->second ? 2 : 1;
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
    // Slots past the end marker were never used: the cache only grows, clearing each slot
    // it adds.
    std::memset(font->slots, 0, sizeof(GlyphSlot) * size_t(font->slotCount + 1));
    std::memset(font->wideCodes, 0, sizeof font->wideCodes);
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

int GrowGlyphCache(FontRecord* font, int32_t wanted)
{
    if (wanted <= font->slotCount) return 0;
    const int64_t cellBytes = int64_t(font->cacheRowBytes) * font->cellSize;
    int32_t count = int32_t(std::min<int64_t>(
        {std::max(wanted, font->slotCount + font->slotCount / 2), kMaxUsableGlyphSlots, kMaxCacheBytes / cellBytes}));
    if (count <= font->slotCount) return -1;
    if (font->textureMode) {
        count = std::min(count, GrowGlyphTexture(font, count));
        if (count <= font->slotCount) return -1;
    }
    auto* memory = static_cast<uint8_t*>(TrackedAllocZeroed(int32_t(count * cellBytes), __FILE__, __LINE__));
    if (!memory) return LogWrite("フォントのキャッシュ用メモリの確保に失敗しました\n");
    std::memcpy(memory, font->cacheMemory, size_t(font->slotCount * cellBytes));
    TrackedFree(font->cacheMemory);
    font->cacheMemory = memory;
    for (int32_t i = font->slotCount; i < count; ++i) {
        font->slots[i] = GlyphSlot{};
        font->slots[i].cell = i;
    }
    font->slots[count].cell = -1;
    // The new slots are empty: they are filled before any glyph is replaced.
    font->nextSlot = font->slotCount;
    font->slotCount = count;
    font->cellsPerColumn = count;
    if (!font->textureMode) font->cacheHeight = count * font->cellSize;
    return 0;
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

namespace {

GlyphSlot** WideChain(FontRecord* font, uint32_t code)
{
    return &font->wideCodes[(code * 2654435761u) >> 23 & (kWideCodeBuckets - 1)];
}

GlyphSlot* FindWideCode(FontRecord* font, uint32_t code)
{
    GlyphSlot* slot = *WideChain(font, code);
    while (slot && slot->code != code) slot = slot->nextWide;
    return slot;
}

void ForgetWideCode(FontRecord* font, GlyphSlot* slot)
{
    GlyphSlot** link = WideChain(font, slot->code);
    while (*link && *link != slot) link = &(*link)->nextWide;
    if (*link) *link = slot->nextWide;
    slot->nextWide = nullptr;
}

}  // namespace

GlyphSlot* RenderGlyphs(FontRecord* font, int32_t count, const CharRecord* records)
{
    PlatformTextMetrics text{};
    if (ReadPlatformTextMetrics(font->platformFont, &text) != 0)
        FatalExit("テキストキャッシュサーフェスのＤＣの取得に失敗しました");
    GlyphSlot* last = nullptr;
    for (int32_t i = 0; i < count; ++i) {
        // The oldest slot first, passing over the glyphs of the line being made while
        // others are left.
        for (int32_t tries = 0; tries < font->slotCount; ++tries) {
            const GlyphSlot& candidate = font->slots[font->nextSlot];
            if (!candidate.inUse || candidate.lineStamp != font->lineStamp) break;
            font->nextSlot = font->nextSlot + 1 == font->slotCount ? 0 : font->nextSlot + 1;
        }
        GlyphSlot* slot = &font->slots[font->nextSlot];
        if (slot->inUse) {
            if (slot->mapEntry == &slot->ownEntry) ForgetWideCode(font, slot);
            slot->mapEntry->cached = 0;
            slot->mapEntry->slot = nullptr;
            slot->inUse = 0;
        }
        const uint32_t code = CharCode(records[i]);
        GlyphCodeEntry* entry = code < uint32_t(kGlyphCodeCount) ? &font->codeMap[code] : &slot->ownEntry;
        slot->code = code;
        entry->cached = 1;
        entry->slot = slot;
        slot->mapEntry = entry;
        if (entry == &slot->ownEntry) {
            GlyphSlot** chain = WideChain(font, code);
            slot->nextWide = *chain;
            *chain = slot;
        }
        slot->inUse = 1;
        slot->lineStamp = font->lineStamp;
        RenderOneGlyph(font, slot, records[i], text);
        if (font->textureMode) UploadGlyphCell(font, slot);
        font->nextSlot = font->nextSlot + 1 == font->slotCount ? 0 : font->nextSlot + 1;
        last = slot;
    }
    return last;
}

int32_t FaceKerning(const FontRecord* font, uint32_t leftIndex, uint32_t rightIndex)
{
    return ReadPlatformKerning(font->platformFont, leftIndex, rightIndex);
}

GlyphSlot* FindOrRenderGlyph(FontRecord* font, const CharRecord& record)
{
    const uint32_t code = CharCode(record);
    GlyphSlot* found = nullptr;
    if (code < uint32_t(kGlyphCodeCount)) {
        const GlyphCodeEntry& entry = font->codeMap[code];
        if (entry.cached == 1) found = entry.slot;
    } else {
        found = FindWideCode(font, code);
    }
    if (found) {
        found->lineStamp = font->lineStamp;
        return found;
    }
    return RenderGlyphs(font, 1, &record);
}

int PrecacheText(int32_t maxLength, const char* text, int fontHandle, CharRecord* records, int32_t* count,
                 TextCodes codes)
{
    FontRecord* font = ResolveFont(fontHandle);
    if (!font || !text) return -1;
    // A cache holds glyphs of one kind of code: the other kind starts it anew.
    const int32_t unicode = codes == TextCodes::Utf8 ? 1 : 0;
    if (font->unicodeCodes != unicode) {
        ClearGlyphCache(fontHandle);
        font->unicodeCodes = unicode;
    }
    int32_t n = int32_t(std::strlen(text));
    if (maxLength != -1 && maxLength >= 0 && maxLength < n) n = maxLength;

    CharRecord* all = ShortLists.records;
    CharRecord* fresh = ShortLists.fresh;
    uint16_t* freshCodes = ShortLists.codes;
    void* block = nullptr;
    if (n > kShortTextBytes) {
        block = TrackedAlloc(n * 8, __FILE__, __LINE__);
        if (!block) return -1;
        all = static_cast<CharRecord*>(block);
        fresh = all + n;
        freshCodes = reinterpret_cast<uint16_t*>(fresh + n);
    }
    if (records) all = records;

    // A new line: its cached glyphs are marked as they are met, and counted once each.
    if (++font->lineStamp == 0) font->lineStamp = 1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    int32_t written = 0, collected = 0, distinct = 0;
    for (int32_t at = 0; at < n;) {
        CharRecord record{};
        at += ReadCharacter(font, codes, bytes, at, n, &record);
        all[written++] = record;
        if (CharCode(record) >= uint32_t(kGlyphCodeCount)) {
            // Rendered when drawn; a cached one is kept for the line like the others.
            GlyphSlot* wide = FindWideCode(font, CharCode(record));
            if (!wide || wide->lineStamp != font->lineStamp) ++distinct;
            if (wide) wide->lineStamp = font->lineStamp;
            continue;
        }
        GlyphCodeEntry& entry = font->codeMap[CharCode(record)];
        if (entry.cached != 1) {
            entry.cached = 1;
            fresh[collected] = record;
            freshCodes[collected++] = uint16_t(CharCode(record));
            ++distinct;
        } else if (entry.slot && entry.slot->lineStamp != font->lineStamp) {
            entry.slot->lineStamp = font->lineStamp;
            ++distinct;
        }
    }
    for (int32_t i = 0; i < collected; ++i) font->codeMap[freshCodes[i]].cached = 0;
    // A line with more glyphs than the cache holds would render them again in every frame.
    if (distinct > font->slotCount) GrowGlyphCache(font, distinct);
    // One batch renders at most a cache's worth; the rest come one at a time.
    if (collected > font->slotCount) collected = font->slotCount;
    if (collected) RenderGlyphs(font, collected, fresh);
    if (count) *count = written;
    if (block) TrackedFree(block);
    return 0;
}

}  // namespace ror
