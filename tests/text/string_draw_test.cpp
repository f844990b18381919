#include "text_fixture.h"

#include "core/text_encoding.h"
#include "graphics/blend_graphics.h"
#include "graphics/color_format.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "text/string_draw.h"

#include <algorithm>
#include <cstdarg>
#include <set>
#include <string>
#include <vector>

using namespace ror;

using StringDraw = TextTest;

namespace {

constexpr uint32_t kBackground = 0x12345678;

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int lit = 0;
};

// Pixels that are not the background, inside (x0, y0)-(x1, y1).
Box LitBox(int x0, int y0, int x1, int y1, std::set<uint32_t>* values = nullptr, uint32_t background = kBackground)
{
    Box box;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint32_t pixel = TextTest::Pixel(x, y);
            if (pixel == background) continue;
            ++box.lit;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
            if (values) values->insert(pixel);
        }
    return box;
}

std::vector<uint32_t> Snapshot()
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) pixels.push_back(TextTest::Pixel(x, y));
    return pixels;
}

}  // namespace

TEST_F(StringDraw, LitPixelsAreTheTextColourWithoutFillerBits)
{
    Fill(kBackground);
    uint32_t white = PackColor(255, 255, 255);
    ASSERT_EQ(white, 0xFFFFFFFFu);  // 32-bit layout with its unused top byte set
    ASSERT_EQ(PrintTextFormat(608, 32, white, "MousePos(%3d,%3d)", 5, 7), 0);
    std::set<uint32_t> values;
    Box box = LitBox(0, 0, 800, 600, &values);
    EXPECT_EQ(values, std::set<uint32_t>{0x00FFFFFFu});
    EXPECT_GT(box.lit, 100);
    EXPECT_GE(box.left, 608);
    EXPECT_GE(box.top, 32);
    EXPECT_LE(box.bottom, 32 + 16);
    // Glyphs sit at y + their top offset.
    const FontRecord* font = Font(QueryDefaultFont());
    int highest = 99;
    for (char c : std::string("MousePos(,57)")) highest = std::min(highest, int(font->codeMap[uint8_t(c)].slot->top));
    EXPECT_EQ(box.top, 32 + highest);

    // The same as the text already formatted; two spaces before each number.
    std::vector<uint32_t> formatted = Snapshot();
    Fill(kBackground);
    ASSERT_EQ(PrintText(608, 32, "MousePos(  5,  7)", white), 0);
    EXPECT_TRUE(Snapshot() == formatted);
    EXPECT_EQ(DrawGlyphRun(0, 0, 0, "MousePos(  5,  7)", white, nullptr, nullptr, QueryDefaultFont(), 0, -1, nullptr),
              17 * 9);
}

TEST_F(StringDraw, SixteenBitScreen)
{
    EndFontSystem();
    StopScreen();
    StartScreen(16);
    InitFontSystem();
    Fill(0x1234);
    uint32_t color = PackColor(255, 128, 0);
    ASSERT_EQ(color, 0xFC00u);
    ASSERT_EQ(PrintText(10, 10, "Ag", color), 0);
    std::set<uint32_t> values;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (Pixel(x, y) != 0x1234) values.insert(Pixel(x, y));
    EXPECT_EQ(values, std::set<uint32_t>{0xFC00u});
}

TEST_F(StringDraw, SpacesControlCharactersAndPen)
{
    int font = QueryDefaultFont();
    Fill(kBackground);
    EXPECT_EQ(PrintText(0, 0, "    ", 0xFFFFFFFF), 0);
    EXPECT_EQ(LitBox(0, 0, 800, 600).lit, 0);
    EXPECT_EQ(DrawGlyphRun(0, 0, 0, "  \x81\x40", 0, nullptr, nullptr, font, 0, -1, nullptr), 9 + 9 + 17);

    // A line feed is a glyph on the same line: three advances.
    TextSize size{};
    int width = DrawGlyphRun(0, 0, 0, "A\nB", 0, nullptr, nullptr, font, 0, -1, &size);
    const FontRecord* record = Font(font);
    EXPECT_EQ(width, record->codeMap['A'].slot->advance + record->codeMap['\n'].slot->advance +
                         record->codeMap['B'].slot->advance);
    EXPECT_EQ(size.height, 16);
    ASSERT_EQ(PrintText(100, 100, "A\nB", 0xFFFFFFFF), 0);
    Box box = LitBox(0, 0, 800, 600);
    EXPECT_LE(box.bottom, 116);
    EXPECT_GE(box.right, 100 + 2 * 9);

    // Spacing widens every advance.
    SetFontSpacingOfHandle(3, font);
    EXPECT_EQ(DrawGlyphRun(0, 0, 0, "AB", 0, nullptr, nullptr, font, 0, -1, nullptr), 2 * (9 + 3));
    // A lone lead byte at the end draws, safely, as one glyph.
    EXPECT_EQ(PrintText(0, 200, "ab\x82", 0xFFFFFFFF), 0);
}

TEST_F(StringDraw, ClippedToTheDrawArea)
{
    Fill(kBackground);
    DrawState.drawArea = PixelRect{100, 100, 120, 110};
    ASSERT_EQ(PrintText(95, 95, "WWWWWW", 0xFFFFFFFF), 0);
    Box box = LitBox(0, 0, 800, 600);
    EXPECT_GT(box.lit, 0);
    EXPECT_GE(box.left, 100);
    EXPECT_GE(box.top, 100);
    EXPECT_LE(box.right, 120);
    EXPECT_LE(box.bottom, 110);
    // Off the area entirely, and at the screen's edges.
    DrawState.drawArea = PixelRect{0, 0, 800, 600};
    Fill(kBackground);
    EXPECT_EQ(PrintText(-500, 300, "W", 0xFFFFFFFF), 0);
    EXPECT_EQ(PrintText(795, 595, "WW", 0xFFFFFFFF), 0);
    EXPECT_EQ(PrintText(-3, -5, "WW", 0xFFFFFFFF), 0);
    Box corners = LitBox(0, 0, 800, 600);
    EXPECT_GT(corners.lit, 0);
}

TEST_F(StringDraw, BlendedTextAtHalfStrength)
{
    Fill(0x00000000);
    std::vector<uint32_t> before = Snapshot();
    ASSERT_EQ(PrintText(50, 50, "Hello", 0xFFFFFFFF), 0);
    std::vector<uint32_t> solid = Snapshot();
    Fill(0x00000000);
    DrawState.blendMode = 1;
    DrawState.blendParam = 128;
    ASSERT_EQ(PrintText(50, 50, "Hello", 0xFFFFFFFF), 0);
    std::vector<uint32_t> blended = Snapshot();
    int lit = 0;
    for (size_t i = 0; i < solid.size(); ++i) {
        if (solid[i] == before[i]) {
            ASSERT_EQ(blended[i], before[i]) << i;
            continue;
        }
        ++lit;
        ASSERT_EQ(blended[i], 0x007F7F7Fu) << i;  // (s >> 1) + (d >> 1) per channel
    }
    EXPECT_GT(lit, 50);
    // The drawing state is as it was.
    EXPECT_EQ(DrawState.drawArea.right, 800);
    EXPECT_EQ(DrawState.brightness[0], 255);
}

// Blended text is drawn through a work image of the text's size: a blend image must cover the
// text, else the text is refused rather than dropped. Unblended text does not use it.
TEST_F(StringDraw, BlendedTextNeedsABlendImageThatCoversIt)
{
    struct Case {
        const char* name;
        int mode, width, height;
        int result;
    };
    const Case cases[] = {
        {"blended, covering", 1, 200, 40, 0},
        {"blended, narrower than the text", 1, 8, 40, -1},
        {"blended, lower than the text", 1, 200, 4, -1},
        {"unblended, small", 0, 8, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(kBackground);
        const int levels = CreateBlendGraphic(c.width, c.height);
        ASSERT_NE(levels, -1);
        PaintGraphic(levels, 255, 255, 255, 255);
        ASSERT_EQ(SetBlendImage(levels, 0, 0), 0);
        DrawState.blendMode = c.mode;
        DrawState.blendParam = 200;
        EXPECT_EQ(PrintText(50, 50, "Hello", 0xFFFFFFFF), c.result);
        EXPECT_EQ(LitBox(0, 0, 800, 600).lit > 50, c.result == 0);
        SetBlendImage(-1, 0, 0);
        DestroyGraphic(levels);
        DrawState.blendMode = 0;
    }
}

TEST_F(StringDraw, BrightnessScalesTheColour)
{
    Fill(kBackground);
    DrawState.brightness[0] = 128;
    DrawState.brightness[1] = 255;
    DrawState.brightness[2] = 0;
    ASSERT_EQ(PrintText(0, 0, "X", PackColor(200, 100, 50)), 0);
    std::set<uint32_t> values;
    LitBox(0, 0, 800, 600, &values);
    EXPECT_EQ(values, std::set<uint32_t>{(200u * 128 / 255) << 16 | 100u << 8});
}

TEST_F(StringDraw, AntialiasedAndEdgedFontsGoThroughTheAlphaWorkImage)
{
    int smooth = CreateFontToHandle(nullptr, 24, 4, FONT_ANTIALIAS, -1, -1, 0);
    int outlined = CreateFontToHandle(nullptr, 24, 4, FONT_EDGE | FONT_ANTIALIAS, -1, 2, 0);
    int edged = CreateFontToHandle(nullptr, 24, 4, FONT_EDGE, -1, 2, 0);
    Fill(0);
    ASSERT_EQ(PrintTextWithFont(10, 10, "Wa", 0xFFFFFF, smooth), 0);
    std::set<uint32_t> values;
    LitBox(0, 0, 800, 600, &values, 0);
    // Fifteen shades: a fully covered pixel has level 16, stored 15, alpha 240.
    EXPECT_EQ(values.size(), 15u);
    EXPECT_TRUE(values.count(0x00EFEFEF));
    for (uint32_t v : values)
        EXPECT_TRUE((v & 0xFF) == ((v >> 8) & 0xFF) && (v & 0xFF) == ((v >> 16) & 0xFF)) << std::hex << v;

    Fill(kBackground);
    ASSERT_EQ(PrintTextWithFont(10, 10, "Wa", 0xFFFFFF, edged, 0x0000FF), 0);
    values.clear();
    LitBox(0, 0, 800, 600, &values);
    EXPECT_EQ(values, (std::set<uint32_t>{0x00FFFFFF, 0x000000FF}));

    Fill(0);
    ASSERT_EQ(PrintTextWithFont(10, 10, "Wa", 0xFFFFFF, outlined, 0x0000FF), 0);
    values.clear();
    Box box = LitBox(0, 0, 800, 600, &values, 0);
    EXPECT_GT(box.lit, 100);
    // Glyph level 15 is opaque and copied whole, its alpha byte included.
    EXPECT_TRUE(values.count(0xFFFFFFFF));
    EXPECT_TRUE(values.count(0x000000EF));  // full edge alone: alpha 240 over black
    for (uint32_t v : values) EXPECT_TRUE(v == 0xFFFFFFFF || (v >> 24) == 0) << std::hex << v;
}

TEST_F(StringDraw, InvalidHandleEmptyStringAndFrontScreen)
{
    EXPECT_EQ(PrintTextWithFont(0, 0, "abc", 0xFFFFFFFF, 0x20000007), -1);
    EXPECT_EQ(PrintTextWithFont(0, 0, "", 0xFFFFFFFF, 0x20000007), 0);
    EXPECT_EQ(PrintTextWithFont(0, 0, nullptr, 0xFFFFFFFF, QueryDefaultFont()), -1);
    std::string log = ReadLogWithoutStamps();
    size_t at = log.find("フォントハンドル値が異常です\r\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(log.find("フォントハンドル値が異常です", at + 1), std::string::npos);

    Fill(kBackground);
    DrawState.drawTarget = DRAW_TARGET_FRONT_SCREEN;
    DrawState.drawArea = PixelRect{0, 0, 400, 600};
    EXPECT_EQ(PrintText(400, 0, "abc", 0xFFFFFFFF), 0);
    EXPECT_EQ(LitBox(0, 0, 800, 600).lit, 0);
    EXPECT_EQ(PrintText(390, 0, "abc", 0xFFFFFFFF), 0);
    EXPECT_GT(LitBox(0, 0, 800, 600).lit, 0);

    DrawState.drawAreaEmpty = 1;
    EXPECT_EQ(PrintTextWithFont(0, 0, "abc", 0xFFFFFFFF, -1), 0);

    // Without a default font PrintText reports it, and makes the font again next time.
    DrawState.drawAreaEmpty = 0;
    ReleaseFontHandle(QueryDefaultFont());
    EXPECT_EQ(PrintText(0, 0, "abc", 0xFFFFFFFF), 0);
    EXPECT_EQ(IsFontHandleValid(QueryDefaultFont()), 1);
}

namespace {
std::string Format(const char* format, ...)
{
    char buffer[kFormatBufferSize];
    va_list values;
    va_start(values, format);
    FormatTextBounded(buffer, format, values);
    va_end(values);
    return buffer;
}
}  // namespace

TEST_F(StringDraw, LongFormattedTextsAreCutNotOverrun)
{
    std::string wide;
    for (int i = 0; i < 700; ++i) wide += "\x82\xA0";  // 1400 bytes
    std::string cut = Format("xy%s", wide.c_str());
    EXPECT_EQ(cut.size(), 1022u);  // "xy" and 510 characters; the 511th would be split
    EXPECT_EQ(cut.substr(0, 4), "xy\x82\xA0");
    EXPECT_EQ(Format("x%s", wide.c_str()).size(), 1023u);  // fits exactly
    EXPECT_EQ(Format("%s", wide.c_str()).size(), 1022u);
    EXPECT_EQ(Format("%0*d", 2000, 7).size(), 1023u);
    EXPECT_EQ(Format("%s|%d", "ab", 5), "ab|5");
    EXPECT_EQ(PrintTextFormat(0, 0, 0xFFFFFFFF, "%s%s", wide.c_str(), wide.c_str()), 0);
    EXPECT_EQ(PrintTextFormat(0, 0, 0xFFFFFFFF, "%3d", -3), 0);
}

TEST_F(StringDraw, Utf8TextsDrawTheGlyphsOfTheirCp932Forms)
{
    // The literals below: cp932 by the compiler's conversion, UTF-8 when spelt as u8.
    auto utf8 = [](const char8_t* text) { return reinterpret_cast<const char*>(text); };
    std::string longCp932, longUtf8;
    for (int i = 0; i < 40; ++i) {  // past the short-text buffer
        longCp932 += "漢字かなカナ";
        longUtf8 += utf8(u8"漢字かなカナ");
    }
    auto draw = [&](const char* mixed, const std::string& longText, int withFormat) {
        ClearScreen();
        PrintText(10, 10, mixed, 0xFFFFFFFF);
        int font = CreateFontToHandle(nullptr, 20, 3, FONT_EDGE | FONT_ANTIALIAS, -1, 2, 0);
        PrintTextWithFont(10, 60, mixed, 0xFFFFFFFF, font, PackColor(255, 0, 0));
        ReleaseFontHandle(font);
        PrintText(0, 120, longText.c_str(), 0xFFFFFFFF);
        if (withFormat) PrintTextFormat(10, 200, 0xFFFFFFFF, "%s=%d", mixed, 42);
        return Snapshot();
    };
    const std::vector<uint32_t> cp932 = draw("ASCII と日本語ｶﾅ", longCp932, 1);
    ASSERT_GT(LitBox(0, 0, 800, 600).lit, 0);
    SetUseUtf8Texts(1);
    struct Restore {
        ~Restore() { SetUseUtf8Texts(0); }
    } restore;
    const std::vector<uint32_t> fromUtf8 = draw(utf8(u8"ASCII と日本語ｶﾅ"), longUtf8, 1);
    EXPECT_TRUE(cp932 == fromUtf8);
}
