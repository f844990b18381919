#include "text_fixture.h"

#include "platform/fonts/glyph_raster.h"
#include "text/glyph_edge.h"
#include "text/string_draw.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace ror;

using GlyphCache = TextTest;

namespace {

bool CellBit(const FontRecord* font, const GlyphSlot* slot, int x, int y)
{
    const uint8_t* row = font->cacheMemory + size_t(CellY(font, slot->cell) + y) * size_t(font->cacheRowBytes);
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

uint8_t CellByte(const FontRecord* font, const GlyphSlot* slot, int x, int y)
{
    return font->cacheMemory[size_t(CellY(font, slot->cell) + y) * size_t(font->cacheRowBytes) + size_t(x)];
}

}  // namespace

TEST(GlyphCacheGeometry, SlotCounts)
{
    struct Case {
        int cellSize, slots;
    };
    for (const Case& c : {Case{24, 568}, Case{200, 20}, Case{8, 2024}, Case{16, 1280}, Case{128, 20}, Case{120, 22}})
        EXPECT_EQ(SoftwareCacheSlotCount(c.cellSize), c.slots) << c.cellSize;
}

TEST_F(GlyphCache, SoftwareCacheOfTheDefaultFont)
{
    const FontRecord* font = Font(QueryDefaultFont());
    // The gothic stand-in at 16 px: 16 + 1 (weight) + 2 → 24; line height 16.
    EXPECT_EQ(font->cellSize, 24);
    EXPECT_EQ(font->cellHeight, 16);
    EXPECT_EQ(font->slotCount, 568);
    EXPECT_EQ(font->cacheWidth, 24);
    EXPECT_EQ(font->cacheHeight, 568 * 24);
    EXPECT_EQ(font->cellsPerColumn, 568);
    EXPECT_EQ(font->cacheBitsPerPixel, 1);
    EXPECT_EQ(font->cacheRowBytes, 3);
    EXPECT_EQ(font->slots[0].cell, 0);
    EXPECT_EQ(font->slots[567].cell, 567);
    EXPECT_EQ(font->slots[568].cell, -1);
    EXPECT_EQ(font->nextSlot, 0);
}

TEST_F(GlyphCache, FirstInFirstOutAfterSlotCountPlusOne)
{
    int handle = CreateFontToHandle(nullptr, 200, 4, FONT_NORMAL, -1, -1, 0);
    ASSERT_NE(handle, -1);
    FontRecord* font = Font(handle);
    ASSERT_EQ(font->slotCount, 20);
    std::string text;
    for (int i = 0; i < font->slotCount; ++i) text += char('A' + i);
    // A line as long as the cache fills it in one batch; the next line's glyph takes the
    // oldest slot.
    int32_t count = 0;
    ASSERT_EQ(PrecacheText(-1, text.c_str(), handle, nullptr, &count), 0);
    EXPECT_EQ(count, 20);
    EXPECT_EQ(font->codeMap['A'].cached, 1);
    EXPECT_EQ(font->codeMap['U'].cached, 0);
    EXPECT_EQ(font->nextSlot, 0);
    ASSERT_EQ(PrecacheText(-1, "U", handle, nullptr, &count), 0);
    GlyphSlot* slot = &font->slots[0];
    EXPECT_EQ(font->codeMap['A'].cached, 0);
    EXPECT_EQ(font->codeMap['A'].slot, nullptr);
    EXPECT_EQ(font->codeMap['B'].cached, 1);
    EXPECT_EQ(font->codeMap['U'].slot, slot);
    EXPECT_EQ(slot->mapEntry, &font->codeMap['U']);
    EXPECT_EQ(font->nextSlot, 1);
    EXPECT_EQ(font->slotCount, 20);

    EXPECT_EQ(ClearGlyphCache(handle), 0);
    for (char c : text + "U") {
        EXPECT_EQ(font->codeMap[uint8_t(c)].cached, 0) << c;
        EXPECT_EQ(font->codeMap[uint8_t(c)].slot, nullptr) << c;
    }
    EXPECT_EQ(font->nextSlot, 0);
    CharRecord last{'U', 0, 0};
    EXPECT_EQ(LookUpGlyph(font, last), &font->slots[0]);  // rendered anew into the first slot
    EXPECT_EQ(ClearGlyphCache(-1), -1);
}

// A line with more glyphs than the cache holds grows the cache, keeping what it held, and the
// line's glyphs are rendered once: a glyph the line uses is not replaced by another of it.
TEST_F(GlyphCache, ALongLineGrowsTheCacheAndIsRenderedOnce)
{
    struct Case {
        int type, edge;
    };
    for (const Case& c : {Case{FONT_NORMAL, -1}, Case{FONT_ANTIALIAS | FONT_EDGE, 50}, Case{FONT_EDGE, 3}}) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " edge " << c.edge);
        const int handle = CreateFontToHandle(nullptr, 200, -1, c.type, -1, c.edge, 0);
        ASSERT_NE(handle, -1);
        FontRecord* font = Font(handle);
        ASSERT_EQ(font->slotCount, 20);
        // Glyphs of an earlier line fill the cache; the long line uses some of them.
        ASSERT_EQ(PrintTextWithFont(0, 0, "0123456789abcdefghij", 0xFFFFFF, handle, 0), 0);
        ASSERT_EQ(font->codeMap['a'].slot->cell, 10);
        std::string line;
        for (int i = 0; i < 90; ++i) line += char('!' + i);  // '!' to 'z': the digits and letters too
        const int before = font->glyphRenders;
        ASSERT_EQ(PrintTextWithFont(-20, 300, line.c_str(), 0xFFFFFF, handle, 0xFF), 0);
        EXPECT_GE(font->slotCount, 90);
        EXPECT_EQ(font->glyphRenders - before, 90 - 20);
        EXPECT_EQ(font->codeMap['a'].slot->cell, 10);  // cached before, kept where it was
        const int first = font->glyphRenders;
        ASSERT_EQ(PrintTextWithFont(-20, 300, line.c_str(), 0xFFFFFF, handle, 0xFF), 0);
        EXPECT_EQ(font->glyphRenders, first);
        ReleaseFontHandle(handle);
    }
}

TEST_F(GlyphCache, CharacterCodesAndSplitting)
{
    int handle = QueryDefaultFont();
    FontRecord* font = Font(handle);
    CharRecord records[8] = {};
    int32_t count = 0;
    // あ is the pair 0x82 0xA0: code 0xA082, the platform's character 0x82A0.
    ASSERT_EQ(PrecacheText(-1,
                           "\x82\xA0"
                           "a",
                           handle, records, &count),
              0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(CharCode(records[0]), 0xA082u);
    EXPECT_EQ(records[0].third, 0);
    ASSERT_EQ(font->codeMap[0xA082].cached, 1);
    const GlyphSlot* slot = font->codeMap[0xA082].slot;
    PlatformGlyphMetrics metrics{};
    int32_t size = ReadPlatformGlyph(font->platformFont, 0x82A0, GlyphBitmapFormat::Mono, &metrics, 0, nullptr);
    std::vector<uint8_t> bits(size_t(size), 0);
    ReadPlatformGlyph(font->platformFont, 0x82A0, GlyphBitmapFormat::Mono, &metrics, uint32_t(size), bits.data());
    EXPECT_EQ(slot->width, metrics.blackBoxX);
    EXPECT_EQ(slot->height, metrics.blackBoxY);
    EXPECT_EQ(slot->advance, metrics.cellIncX);
    EXPECT_EQ(slot->originX, metrics.originX);
    EXPECT_EQ(slot->top, 14 - metrics.originY);
    int pitch = GlyphBitmapPitch(GlyphBitmapFormat::Mono, metrics.blackBoxX);
    for (int y = 0; y < metrics.blackBoxY; ++y)
        for (int x = 0; x < metrics.blackBoxX; ++x)
            ASSERT_EQ(CellBit(font, slot, x, y), bool((bits[size_t(y * pitch + x / 8)] >> (7 - x % 8)) & 1))
                << x << "," << y;

    // A lone lead byte at the end is a character of its own, code = the byte.
    ASSERT_EQ(PrecacheText(-1, "ab\x82", handle, records, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(CharCode(records[2]), 0x82u);
    EXPECT_EQ(font->codeMap[0x82].cached, 1);
    // The limit may fall inside a pair: the trail byte still belongs to it.
    ASSERT_EQ(PrecacheText(1, "\x82\xA2z", handle, records, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(CharCode(records[0]), 0xA282u);

    // Spaces: cached with no pixels, advancing the pen.
    ASSERT_EQ(PrecacheText(-1, " \x81\x40", handle, records, &count), 0);
    EXPECT_EQ(font->codeMap[0x20].slot->width, 0);
    EXPECT_EQ(font->codeMap[0x20].slot->advance, 9);
    EXPECT_EQ(font->codeMap[0x4081].slot->width, 0);
    EXPECT_EQ(font->codeMap[0x4081].slot->advance, 17);

    EXPECT_EQ(PrecacheText(-1, "a", -1, records, &count), -1);
}

TEST_F(GlyphCache, HangeulSetSplitsOnTheTopBit)
{
    int handle = CreateFontToHandle(nullptr, 16, -1, -1, 2, -1, 0);
    ASSERT_NE(handle, -1);
    CharRecord records[4] = {};
    int32_t count = 0;
    ASSERT_EQ(PrecacheText(-1, "\xA1\x41\x7F", handle, records, &count), 0);  // 0xA1 is no cp932 lead byte
    ASSERT_EQ(count, 2);
    EXPECT_EQ(CharCode(records[0]), 0x41A1u);
}

TEST_F(GlyphCache, LongStringsBatchLikeShortOnes)
{
    int handle = QueryDefaultFont();
    FontRecord* font = Font(handle);
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "\x82\xA0"
                "a\x82\xA2";  // 5 bytes, 3 characters... 750 bytes
    text.resize(300);
    int allocations = TrackedAllocationCount();
    std::vector<CharRecord> records(300);
    int32_t count = 0;
    ASSERT_EQ(PrecacheText(-1, text.c_str(), handle, records.data(), &count), 0);
    EXPECT_EQ(count, 180);
    EXPECT_EQ(font->nextSlot, 3);  // three distinct characters, one batch
    EXPECT_EQ(TrackedAllocationCount(), allocations);
    EXPECT_EQ(CharCode(records[179]), 0xA282u);
}

TEST(GlyphEdge, MasksForRadiiOneToFour)
{
    struct Case {
        int radius, pixels;
    };
    for (const Case& c : {Case{1, 4}, Case{2, 21}, Case{3, 29}, Case{4, 69}, Case{5, 121}}) {
        int count = 0;
        for (int dy = -6; dy <= 6; ++dy)
            for (int dx = -6; dx <= 6; ++dx) {
                bool in = EdgeShapeIncludes(c.radius, dx, dy);
                count += in;
                EXPECT_EQ(in, EdgeShapeIncludes(c.radius, -dx, dy));
                EXPECT_EQ(in, EdgeShapeIncludes(c.radius, dy, dx));
            }
        EXPECT_EQ(count, c.pixels) << "radius " << c.radius;
    }
    EXPECT_FALSE(EdgeShapeIncludes(1, 0, 0));
    EXPECT_TRUE(EdgeShapeIncludes(2, 0, 0));
    EXPECT_FALSE(EdgeShapeIncludes(2, 2, 2));
    EXPECT_TRUE(EdgeShapeIncludes(3, 0, -3));
    EXPECT_FALSE(EdgeShapeIncludes(3, 1, -3));
    EXPECT_FALSE(EdgeShapeIncludes(4, 4, 3));
    EXPECT_TRUE(EdgeShapeIncludes(4, 4, 2));
    EXPECT_FALSE(EdgeShapeIncludes(4, 3, 4));
    EXPECT_FALSE(EdgeShapeIncludes(0, 0, 1));
}

// Edged cells: glyph pixels 1, and exactly the union of their edge shapes 2.
TEST_F(GlyphCache, EdgedCellsFollowTheirShapes)
{
    for (int radius = 1; radius <= 5; ++radius) {
        int handle = CreateFontToHandle(nullptr, 16, -1, FONT_EDGE, -1, radius, 0);
        ASSERT_NE(handle, -1);
        FontRecord* font = Font(handle);
        ASSERT_EQ(PrecacheText(-1, "k", handle, nullptr, nullptr), 0);
        const GlyphSlot* slot = font->codeMap['k'].slot;
        int cell = font->cellSize;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                uint8_t value = CellByte(font, slot, x, y);
                bool covered = false;
                for (int dy = -radius; dy <= radius && !covered; ++dy)
                    for (int dx = -radius; dx <= radius && !covered; ++dx) {
                        int gx = x - dx, gy = y - dy;
                        covered = gx >= 0 && gy >= 0 && gx < cell && gy < cell && EdgeShapeIncludes(radius, dx, dy) &&
                                  CellByte(font, slot, gx, gy) == 1;
                    }
                if (value != 1) {
                    ASSERT_EQ(value, covered ? 2 : 0) << "radius " << radius << " at " << x << "," << y;
                }
            }
        }
        PlatformGlyphMetrics metrics{};
        ReadPlatformGlyph(font->platformFont, 'k', GlyphBitmapFormat::Mono, &metrics, 0, nullptr);
        EXPECT_EQ(slot->width, metrics.blackBoxX + 2 * radius);
        EXPECT_EQ(slot->height, metrics.blackBoxY + 2 * radius);
        EXPECT_EQ(slot->advance, metrics.cellIncX + 2 * radius);
        ReleaseFontHandle(handle);
    }
}

TEST_F(GlyphCache, AntialiasedCellsHoldLevelMinusOne)
{
    int handle = CreateFontToHandle(nullptr, 16, 4, FONT_ANTIALIAS, -1, -1, 0);
    int edged = CreateFontToHandle(nullptr, 16, 4, FONT_ANTIALIAS | FONT_EDGE, -1, 2, 0);
    FontRecord* font = Font(handle);
    FontRecord* both = Font(edged);
    ASSERT_EQ(PrecacheText(-1, "W", handle, nullptr, nullptr), 0);
    ASSERT_EQ(PrecacheText(-1, "W", edged, nullptr, nullptr), 0);
    PlatformGlyphMetrics metrics{};
    int32_t size = ReadPlatformGlyph(font->platformFont, 'W', GlyphBitmapFormat::Gray17, &metrics, 0, nullptr);
    std::vector<uint8_t> levels(static_cast<size_t>(size), 0);
    ReadPlatformGlyph(font->platformFont, 'W', GlyphBitmapFormat::Gray17, &metrics, uint32_t(size), levels.data());
    int pitch = GlyphBitmapPitch(GlyphBitmapFormat::Gray17, metrics.blackBoxX);
    const GlyphSlot* plain = font->codeMap['W'].slot;
    const GlyphSlot* outlined = both->codeMap['W'].slot;
    for (int y = 0; y < metrics.blackBoxY; ++y)
        for (int x = 0; x < metrics.blackBoxX; ++x) {
            int level = levels[size_t(y * pitch + x)];
            ASSERT_EQ(CellByte(font, plain, x, y), level ? level - 1 : 0);
            ASSERT_EQ(CellByte(both, outlined, x + 2, y + 2) & 0x0F, level ? level - 1 : 0);
        }
    // The edge nibble of a pixel is the largest level - 1 of the glyph pixels around it.
    int strongest = 0;
    for (int y = 0; y < metrics.blackBoxY; ++y)
        for (int x = 0; x < metrics.blackBoxX; ++x) strongest = std::max(strongest, int(levels[size_t(y * pitch + x)]));
    int edgeMax = 0;
    for (int y = 0; y < both->cellSize; ++y)
        for (int x = 0; x < both->cellSize; ++x) edgeMax = std::max(edgeMax, CellByte(both, outlined, x, y) >> 4);
    EXPECT_EQ(edgeMax, strongest - 1);
}

// UTF-8 is read by code point; a sequence that is no character is one replacement mark for its
// longest valid beginning, and the byte at the end given is never read.
TEST(GlyphCacheUtf8, CharactersAndReplacementMarks)
{
    struct Case {
        const char* bytes;
        int end;  // bytes that may be read
        uint32_t code;
        int length;
    };
    const Case cases[] = {
        {"A", 1, 'A', 1},
        {"\xC3\xA9", 2, 0xE9, 2},                  // é
        {"\xE2\x82\xAC", 3, 0x20AC, 3},            // €
        {"\xED\x95\x9C", 3, 0xD55C, 3},            // 한
        {"\xF0\x9F\x98\x80", 4, 0x1F600, 4},       // past the plane
        {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF, 4},      // the last code point
        {"\xE3\x81\x82", 2, kReplacementCode, 2},  // cut by the end: the third byte is not read
        {"\xE3\x81\x82", 1, kReplacementCode, 1},
        {"\xF0\x9F\x98\x80", 3, kReplacementCode, 3},
        {"\x80", 1, kReplacementCode, 1},              // a lone continuation byte
        {"\xC0\xAF", 2, kReplacementCode, 1},          // overlong
        {"\xE0\x80\xAF", 3, kReplacementCode, 1},      // overlong
        {"\xED\xA0\x80", 3, kReplacementCode, 1},      // a surrogate
        {"\xF4\x90\x80\x80", 4, kReplacementCode, 1},  // past U+10FFFF
        {"\xF5\x80", 2, kReplacementCode, 1},
        {"\xFF", 1, kReplacementCode, 1},
        {"\xE3\x41", 2, kReplacementCode, 1},  // the next character stays whole
        {"\xC3", 1, kReplacementCode, 1},
    };
    for (const Case& c : cases) {
        CharRecord record{};
        const int length =
            ReadCharacter(nullptr, TextCodes::Utf8, reinterpret_cast<const uint8_t*>(c.bytes), 0, c.end, &record);
        EXPECT_EQ(CharCode(record), c.code) << c.bytes;
        EXPECT_EQ(length, c.length) << c.bytes;
    }
}

// Code points above U+FFFF live outside the code map: a line of more of them than the cache
// holds grows it and is rendered once, and slots taken over by other glyphs are forgotten
// while the rest stay found. IPAGothic lacks these ideographs: each is its missing-glyph box,
// cached under its own code.
TEST_F(GlyphCache, CodePointsAboveTheMapAreCachedLikeTheOthers)
{
    auto utf8 = [](uint32_t code) {
        return std::string{char(0xF0 | code >> 18), char(0x80 | (code >> 12 & 0x3F)), char(0x80 | (code >> 6 & 0x3F)),
                           char(0x80 | (code & 0x3F))};
    };
    auto line = [&](uint32_t first, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += utf8(first + uint32_t(i));
        return text;
    };
    auto measure = [](int handle, const std::string& text) {
        return DrawGlyphRun(0, 0, 0, text.c_str(), 0, nullptr, nullptr, handle, 0, -1, nullptr, TextCodes::Utf8);
    };
    const int handle = CreateFontToHandle(nullptr, 200, 4, FONT_NORMAL, -1, -1, 0);
    FontRecord* font = Font(handle);
    ASSERT_EQ(font->slotCount, 20);
    const std::string wide = line(0x20000, 30) + "abc" + line(0x20000, 30);
    ASSERT_GT(measure(handle, wide), 0);
    EXPECT_GE(font->slotCount, 33);
    const int renders = font->glyphRenders;
    ASSERT_GT(measure(handle, wide), 0);
    EXPECT_EQ(font->glyphRenders, renders) << "every glyph of the line stayed cached";

    // Lines of other code points take slots over, round and round.
    for (uint32_t first = 0x21000; first < 0x21000 + 20 * 37; first += 37)
        ASSERT_GT(measure(handle, line(first, 37)), 0);
    const int settled = font->glyphRenders;
    int cachedWide = 0;
    for (int i = 0; i < font->slotCount; ++i) {
        const GlyphSlot& slot = font->slots[i];
        if (!slot.inUse || slot.code < uint32_t(kGlyphCodeCount)) continue;
        ++cachedWide;
        EXPECT_EQ(LookUpGlyph(font, CodePointRecord(slot.code)), &slot) << std::hex << slot.code;
    }
    EXPECT_GT(cachedWide, 30);
    EXPECT_EQ(font->glyphRenders, settled);
    // The first line's ideographs were all replaced: found nowhere, rendered anew.
    EXPECT_NE(LookUpGlyph(font, CodePointRecord(0x20000)), nullptr);
    EXPECT_EQ(font->glyphRenders, settled + 1);
    ReleaseFontHandle(handle);
}
