// Text on both drawing paths: glyph caches that grow for long lines, UTF-8 texts by code point,
// widths that put a text where the drawn one ended, and fonts the game brings.
#include "graphics/both_paths_fixture.h"

#include "file/archive_fixture.h"
#include "platform/fonts/glyph_raster.h"
#include "text/font_handles.h"
#include "text/glyph_cache.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace ror;

namespace {

using TextPathsTest = BothPathsTest;

std::vector<uint32_t> ScreenPixels()
{
    std::vector<uint32_t> pixels(640 * 480);
    EXPECT_EQ(ReadScreenPixels(pixels.data()), 0);
    return pixels;
}

// A line of a large edged font with more glyphs than its cache held: drawn again, no glyph is
// rendered again, and the glyphs cached before the cache grew still draw as they did.
TEST_P(TextPathsTest, ALongLineOfALargeEdgedFontIsRenderedOnce)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int handle = CreateFontToHandle(nullptr, 200, -1, FONT_ANTIALIAS | FONT_EDGE, -1, 50, 0);
    ASSERT_NE(handle, -1);
    const FontRecord* font = ResolveFont(handle);
    const int slots = font->slotCount;
    const uint32_t white = PackColor(255, 255, 255), blue = PackColor(0, 0, 255);
    ClearScreen();
    ASSERT_EQ(PrintTextWithFont(-40, 0, "0123456789", white, handle, blue), 0);
    const std::vector<uint32_t> before = ScreenPixels();

    std::string line;
    for (int i = 0; i < 90; ++i) line += char('!' + i);
    ClearScreen();
    ASSERT_EQ(PrintTextWithFont(-300, 100, line.c_str(), white, handle, blue), 0);
    EXPECT_GE(font->slotCount, 90);
    EXPECT_GT(font->slotCount, slots);
    const std::vector<uint32_t> first = ScreenPixels();
    const int renders = font->glyphRenders;
    ClearScreen();
    ASSERT_EQ(PrintTextWithFont(-300, 100, line.c_str(), white, handle, blue), 0);
    EXPECT_EQ(font->glyphRenders, renders);
    EXPECT_TRUE(ScreenPixels() == first);

    ClearScreen();
    ASSERT_EQ(PrintTextWithFont(-40, 0, "0123456789", white, handle, blue), 0);
    EXPECT_TRUE(ScreenPixels() == before);
    ReleaseFontHandle(handle);
}

// The bytes of the first `count` characters of a valid text.
size_t BytesOfFirst(const std::string& text, int count, bool utf8)
{
    size_t at = 0;
    for (int i = 0; i < count && at < text.size(); ++i) {
        const uint8_t lead = uint8_t(text[at]);
        if (utf8)
            at += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        else
            at += (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
    }
    return at;
}

struct Utf8Texts {
    Utf8Texts() { SetUseUtf8Texts(1); }
    ~Utf8Texts() { SetUseUtf8Texts(0); }
};

const char* FromUtf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A text in cp932 or in UTF-8 mode.
struct TextCase {
    bool utf8;
    std::string text;
};

// A text drawn in two pieces, the second at x + the width of the first characters, is the
// text drawn whole; the whole width is the width up to its end.
TEST_P(TextPathsTest, WidthsContinueTheDrawnText)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int edged = CreateFontToHandle(nullptr, 24, 4, FONT_ANTIALIAS | FONT_EDGE, -1, 2, 0);
    const int plain = CreateFontToHandle(nullptr, 18, -1, FONT_NORMAL, -1, -1, 0);
    ASSERT_EQ(SetFontSpacingOfHandle(3, plain), 0);
    const TextCase cases[] = {
        {false, "Vexholm 国境 ｱｲｳ 0123"},
        {true, FromUtf8(u8"café Übung © Ωλ Привет 日本 ★")},
    };
    const uint32_t white = PackColor(255, 255, 255), red = PackColor(255, 0, 0);
    for (const TextCase& c : cases)
        for (int font : {-1, plain, edged}) {
            SCOPED_TRACE(::testing::Message() << (c.utf8 ? "UTF-8" : "cp932") << " font " << font);
            SetUseUtf8Texts(c.utf8 ? 1 : 0);
            auto draw = [&](int x, const char* text) {
                return font == -1 ? PrintText(x, 50, text, white, red)
                                  : PrintTextWithFont(x, 50, text, white, font, red);
            };
            ClearScreen();
            ASSERT_EQ(draw(10, c.text.c_str()), 0);
            const std::vector<uint32_t> whole = ScreenPixels();
            int width = 0, all = 0;
            ASSERT_EQ(GetTextWidth(c.text.c_str(), font, &width), 0);
            ASSERT_EQ(GetTextWidthUpTo(c.text.c_str(), 1000, font, &all), 0);
            EXPECT_EQ(width, all);
            // Every lit pixel lies within the measured width.
            int right = 0;
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x)
                    if (whole[size_t(y) * 640 + x] & 0xFFFFFF) right = std::max(right, x + 1);
            EXPECT_GT(right, 10);
            EXPECT_LE(right, 10 + width);
            for (int split : {1, 5, 9, 14}) {
                SCOPED_TRACE(split);
                const size_t bytes = BytesOfFirst(c.text, split, c.utf8);
                int first = 0;
                ASSERT_EQ(GetTextWidthUpTo(c.text.c_str(), split, font, &first), 0);
                ClearScreen();
                ASSERT_EQ(draw(10, c.text.substr(0, bytes).c_str()), 0);
                ASSERT_EQ(draw(10 + first, c.text.substr(bytes).c_str()), 0);
                EXPECT_TRUE(ScreenPixels() == whole);
            }
        }
    SetUseUtf8Texts(0);
    int lineHeight = 0, ascent = 0;
    ASSERT_EQ(GetFontLineMetrics(edged, &lineHeight, &ascent), 0);
    EXPECT_EQ(lineHeight, 28);  // 24 and the edge above and below
    EXPECT_GT(ascent, 2);
    EXPECT_LT(ascent, lineHeight);
    ASSERT_EQ(GetFontLineMetrics(-1, &lineHeight, nullptr), 0);
    EXPECT_EQ(lineHeight, 16);
    int width = 0;
    EXPECT_EQ(GetTextWidth(nullptr, -1, &width), -1);
    EXPECT_EQ(GetTextWidth("a", -1, nullptr), -1);
    EXPECT_EQ(GetTextWidth("a", 12345, &width), -1);
    EXPECT_EQ(GetFontLineMetrics(12345, &lineHeight, &ascent), -1);
    ASSERT_EQ(GetTextWidthUpTo("abc", 0, plain, &width), 0);
    EXPECT_EQ(width, 0);
    ReleaseFontHandle(edged);
    ReleaseFontHandle(plain);
}

// Kerning moves pairs of a face with a kerning table (DejaVu Sans), only when the font asks for
// it; every character of a kerned line ends where the width of the characters up to it says,
// so measuring agrees with drawing. Plain 1-bit glyphs: drawn one by one they make the
// same pixels as the line, overlapping boxes included.
TEST_P(TextPathsTest, KerningMovesPairsAndWidthsFollowIt)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int font = CreateFontToHandle("DejaVu Sans", 28, -1, FONT_NORMAL, -1, -1, 0);
    ASSERT_NE(font, -1);
    const uint32_t white = PackColor(255, 255, 255);
    const TextCase cases[] = {
        {false, "AVATAR To WAVE Yo 'LT'"},
        {true, FromUtf8(u8"AVATAR Tó WÄVE Yö ΑΥ 日本")},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        SetUseUtf8Texts(c.utf8 ? 1 : 0);
        ASSERT_EQ(SetFontKerningOfHandle(0, font), 0);
        int plain = 0, kerned = 0;
        ASSERT_EQ(GetTextWidth(c.text.c_str(), font, &plain), 0);
        ASSERT_EQ(SetFontKerningOfHandle(1, font), 0);
        ASSERT_EQ(GetTextWidth(c.text.c_str(), font, &kerned), 0);
        EXPECT_LT(kerned, plain - 5) << "AV, VA, AT, To, WA, Yo and LT come closer";

        ClearScreen();
        ASSERT_EQ(PrintTextWithFont(10, 50, c.text.c_str(), white, font), 0);
        const std::vector<uint32_t> whole = ScreenPixels();
        ClearScreen();
        int characters = 0;
        for (size_t at = 0; at < c.text.size(); ++characters) {
            const size_t next = BytesOfFirst(c.text, characters + 1, c.utf8);
            const std::string character = c.text.substr(at, next - at);
            int through = 0, own = 0;
            ASSERT_EQ(GetTextWidthUpTo(c.text.c_str(), characters + 1, font, &through), 0);
            ASSERT_EQ(GetTextWidth(character.c_str(), font, &own), 0);
            ASSERT_EQ(PrintTextWithFont(10 + through - own, 50, character.c_str(), white, font), 0);
            at = next;
        }
        EXPECT_TRUE(ScreenPixels() == whole);
        int all = 0;
        ASSERT_EQ(GetTextWidthUpTo(c.text.c_str(), characters, font, &all), 0);
        EXPECT_EQ(all, kerned);
    }
    SetUseUtf8Texts(0);
    // Off by default; a face without a kerning table (the default gothic) is not moved.
    const int fresh = CreateFontToHandle("DejaVu Sans", 28, -1, FONT_NORMAL, -1, -1, 0);
    const int gothic = CreateFontToHandle(nullptr, 28, -1, FONT_NORMAL, -1, -1, 0);
    int freshWidth = 0, plainWidth = 0, gothicPlain = 0, gothicKerned = 0;
    ASSERT_EQ(SetFontKerningOfHandle(0, font), 0);
    ASSERT_EQ(GetTextWidth("AVATAR", fresh, &freshWidth), 0);
    ASSERT_EQ(GetTextWidth("AVATAR", font, &plainWidth), 0);
    EXPECT_EQ(freshWidth, plainWidth);
    ASSERT_EQ(GetTextWidth("AVATAR", gothic, &gothicPlain), 0);
    ASSERT_EQ(SetFontKerningOfHandle(1, gothic), 0);
    ASSERT_EQ(GetTextWidth("AVATAR", gothic, &gothicKerned), 0);
    EXPECT_EQ(gothicKerned, gothicPlain);
    EXPECT_EQ(SetFontKerningOfHandle(2, font), -1);
    EXPECT_EQ(SetFontKerningOfHandle(1, 12345), -1);
    for (int handle : {font, fresh, gothic}) ReleaseFontHandle(handle);
}

// In UTF-8 mode characters without a cp932 form draw, and a sequence that is no character
// draws one replacement mark in its place.
TEST_P(TextPathsTest, Utf8TextsDrawEveryCodePoint)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const Utf8Texts utf8;
    auto litIn = [](const std::vector<uint32_t>& pixels, int x1, int x2) {
        int lit = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = x1; x < x2; ++x) lit += (pixels[size_t(y) * 640 + x] & 0xFFFFFF) != 0;
        return lit;
    };
    const int font = CreateFontToHandle(nullptr, 24, 4, FONT_ANTIALIAS, -1, -1, 0);
    for (const char* text : {FromUtf8(u8"é"), FromUtf8(u8"Ü"), FromUtf8(u8"€"), "\xE3\x81", "\xFF"}) {
        ClearScreen();
        ASSERT_EQ(PrintTextWithFont(10, 10, text, PackColor(255, 255, 255), font), 0);
        int width = 0;
        ASSERT_EQ(GetTextWidth(text, font, &width), 0);
        EXPECT_GT(width, 0);
        EXPECT_GT(litIn(ScreenPixels(), 10, 10 + width), 10) << text;
    }
    // Two marks for two broken sequences, each as wide as the mark itself.
    int one = 0, two = 0, mark = 0;
    ASSERT_EQ(GetTextWidth("\xE3\x81", font, &one), 0);
    ASSERT_EQ(GetTextWidth("\xE3\x81\xFF", font, &two), 0);
    ASSERT_EQ(GetTextWidth(FromUtf8(u8"\uFFFD"), font, &mark), 0);
    EXPECT_EQ(one, mark);
    EXPECT_EQ(two, 2 * mark);
    ReleaseFontHandle(font);
}

// In UTF-8 mode a character the font lacks comes from a face fontconfig proposes for it (the
// Korean of fonts-nanum for the Japanese default face); one no installed face has draws the
// face's missing-glyph box. cp932 texts never take fallbacks.
TEST_P(TextPathsTest, FallbackFacesDrawWhatTheFontLacks)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int font = CreateFontToHandle(nullptr, 24, 4, FONT_ANTIALIAS, -1, -1, 0);
    auto picture = [&](const char* text) {
        ClearScreen();
        EXPECT_EQ(PrintTextWithFont(10, 10, text, PackColor(255, 255, 255), font), 0);
        return ScreenPixels();
    };
    auto lit = [](const std::vector<uint32_t>& pixels) {
        int count = 0;
        for (uint32_t p : pixels) count += (p & 0xFFFFFF) != 0;
        return count;
    };
    const Utf8Texts utf8;
    const std::vector<uint32_t> missing = picture(FromUtf8(u8"\u0378"));  // no character at all
    EXPECT_GT(lit(missing), 20) << "the missing glyph is a visible box";
    for (const char8_t* text : {u8"한", u8"국", u8"ㄱ"}) {
        const std::vector<uint32_t> drawn = picture(FromUtf8(text));
        EXPECT_GT(lit(drawn), 20);
        EXPECT_FALSE(drawn == missing) << FromUtf8(text);
    }
    ReleaseFontHandle(font);
}

// The lit pixels of a picture cut to their bounding box: a glyph wherever it was drawn.
struct LitBox {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    bool operator==(const LitBox&) const = default;
};

LitBox CutToLitPixels(const std::vector<uint32_t>& pixels)
{
    int left = 640, top = 480, right = 0, bottom = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (pixels[size_t(y) * 640 + x] & 0xFFFFFF) {
                left = std::min(left, x), right = std::max(right, x + 1);
                top = std::min(top, y), bottom = std::max(bottom, y + 1);
            }
    LitBox box;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) box.pixels.push_back(pixels[size_t(y) * 640 + x]);
    box.width = std::max(right - left, 0);
    box.height = std::max(bottom - top, 0);
    return box;
}

// A character the chosen face lacks comes from a font the game loaded before any of the
// system's, also when the font found a system face for it earlier; once the font file is
// removed, new fonts take the system's face again. DejaVu Serif, loaded from memory, against
// the default gothic face, for which fontconfig proposes DejaVu Sans.
TEST_P(TextPathsTest, LoadedFontsAreFallbacksBeforeTheSystems)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", std::ios::binary);
    const std::string serifBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(serifBytes.size(), 100000u) << "fonts-dejavu-core is installed by scripts/setup";
    const Utf8Texts utf8;
    auto glyph = [](int font, const char8_t* text) {
        ClearScreen();
        EXPECT_EQ(PrintTextWithFont(10, 10, FromUtf8(text), PackColor(255, 255, 255), font), 0);
        return CutToLitPixels(ScreenPixels());
    };
    // Two characters IPAGothic lacks, as the serif face and as the system's fallback draw them.
    const char8_t* const eng = u8"Ŋ";
    const char8_t* const sharpS = u8"ẞ";
    const int serif = CreateFontToHandle("DejaVu Serif", 24, 4, FONT_NORMAL, -1, -1, 0);
    const int gothic = CreateFontToHandle(nullptr, 24, 4, FONT_NORMAL, -1, -1, 0);
    const LitBox ownEng = glyph(serif, eng), ownSharpS = glyph(serif, sharpS);
    const LitBox systemEng = glyph(gothic, eng);  // the gothic font keeps the system's face
    ASSERT_GT(ownEng.width, 4);
    ASSERT_FALSE(systemEng == ownEng) << "the system's fallback is another face";

    const int file = LoadFontFromMemory(serifBytes.data(), int(serifBytes.size()));
    ASSERT_NE(file, -1);
    EXPECT_TRUE(glyph(gothic, sharpS) == ownSharpS);
    const int fresh = CreateFontToHandle(nullptr, 24, 4, FONT_NORMAL, -1, -1, 0);
    EXPECT_TRUE(glyph(fresh, eng) == ownEng);
    ASSERT_EQ(RemoveFontFile(file), 0);
    // A font that took the removed font's face keeps drawing with it; new fonts do not find it.
    EXPECT_TRUE(glyph(fresh, sharpS) == ownSharpS);
    const int after = CreateFontToHandle(nullptr, 24, 4, FONT_NORMAL, -1, -1, 0);
    EXPECT_TRUE(glyph(after, eng) == systemEng);
    for (int handle : {gothic, fresh, after}) ReleaseFontHandle(handle);
    ReleaseFontHandle(serif);
}

// DejaVu Sans (fonts-dejavu-core) renamed to a family no system has: its name table's
// family names, one byte a character and two, replaced by one of the same length.
constexpr const char* kShippedFamily = "Zazfont Tst";

std::string RenamedDejaVu()
{
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto replaceAll = [&bytes](const std::string& from, const std::string& to) {
        for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
            bytes.replace(at, from.size(), to);
    };
    auto wide = [](const std::string& text) {
        std::string out;
        for (char c : text) out += std::string(1, '\0') + c;
        return out;
    };
    replaceAll("DejaVu Sans", kShippedFamily);
    replaceAll(wide("DejaVu Sans"), wide(kShippedFamily));
    return bytes;
}

// A font the game ships, from a path, from inside an archive and from memory, draws as the
// same face installed on the system; a family nobody has is substituted and logged.
TEST_P(TextPathsTest, FontFilesFromAPathAnArchiveAndMemory)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const std::string font = RenamedDejaVu();
    ASSERT_GT(font.size(), 100000u) << "fonts-dejavu-core is installed by scripts/setup";
    std::ofstream(folder / "own.ttf", std::ios::binary) << font;
    const std::vector<uint8_t> archive = MakeArchive(FolderNode("", {FileNode("own.ttf", font)}));
    std::ofstream(folder / "fonts.zaz", std::ios::binary) << std::string(archive.begin(), archive.end());
    const Utf8Texts utf8;
    const char* line = FromUtf8(u8"Vexholm ÆØÅ ΩΣλ ЖЯж 0123");
    auto drawWith = [&](int handle) {
        ClearScreen();
        EXPECT_EQ(PrintTextWithFont(10, 40, line, PackColor(255, 255, 255), handle, PackColor(255, 0, 0)), 0);
        return ScreenPixels();
    };
    const int system = CreateFontToHandle("DejaVu Sans", 24, 4, FONT_ANTIALIAS | FONT_EDGE, -1, 1, 0);
    const std::vector<uint32_t> expected = drawWith(system);
    ReleaseFontHandle(system);

    const int missing = CreateFontToHandle(kShippedFamily, 24, 4, FONT_ANTIALIAS | FONT_EDGE, -1, 1, 0);
    ASSERT_NE(missing, -1);
    EXPECT_TRUE(PlatformFontSubstituted(ResolveFont(missing)->platformFont));
    EXPECT_NE(Log().find(std::string("フォント ") + kShippedFamily + " が無いため"), std::string::npos);
    ReleaseFontHandle(missing);

    enum class From { Path, Archive, Memory };
    for (From from : {From::Path, From::Archive, From::Memory}) {
        SCOPED_TRACE(int(from));
        const int file = from == From::Path      ? LoadFontFile("own.ttf")
                         : from == From::Archive ? LoadFontFile("fonts/own.ttf")
                                                 : LoadFontFromMemory(font.data(), int(font.size()));
        ASSERT_NE(file, -1);
        char family[256] = "";
        ASSERT_EQ(GetFontFileFamily(file, family), 0);
        EXPECT_STREQ(family, kShippedFamily);
        const int shipped = CreateFontToHandle(kShippedFamily, 24, 4, FONT_ANTIALIAS | FONT_EDGE, -1, 1, 0);
        ASSERT_NE(shipped, -1);
        EXPECT_FALSE(PlatformFontSubstituted(ResolveFont(shipped)->platformFont));
        EXPECT_STREQ(PlatformFontFamily(ResolveFont(shipped)->platformFont), kShippedFamily);
        EXPECT_TRUE(drawWith(shipped) == expected);
        // Removed: new fonts no longer find it, the one made keeps drawing.
        ASSERT_EQ(RemoveFontFile(file), 0);
        EXPECT_EQ(RemoveFontFile(file), -1);
        EXPECT_EQ(GetFontFileFamily(file, family), -1);
        ClearGlyphCache(shipped);
        EXPECT_TRUE(drawWith(shipped) == expected);
        ReleaseFontHandle(shipped);
        const int again = CreateFontToHandle(kShippedFamily, 24, 4, FONT_ANTIALIAS, -1, -1, 0);
        EXPECT_TRUE(PlatformFontSubstituted(ResolveFont(again)->platformFont));
        ReleaseFontHandle(again);
    }
    EXPECT_EQ(LoadFontFile("nothing.ttf"), -1);
    EXPECT_EQ(LoadFontFile(nullptr), -1);
    EXPECT_EQ(LoadFontFromMemory("not a font at all", 17), -1);
    EXPECT_EQ(LoadFontFromMemory(nullptr, 10), -1);
    EXPECT_EQ(LoadFontFromMemory(font.data(), 0), -1);
    EXPECT_EQ(GetFontFileFamily(12345, nullptr), -1);
}

INSTANTIATE_ON_BOTH_PATHS(TextPathsTest);

}  // namespace
