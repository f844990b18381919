#include "platform/fonts/glyph_raster.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

using namespace ror;

namespace {

struct OpenFont {
    PlatformFont* font = nullptr;
    explicit OpenFont(const PlatformFontRequest& request) { EXPECT_EQ(OpenPlatformFont(request, &font), 0); }
    ~OpenFont() { ClosePlatformFont(font); }
};

PlatformFontRequest Gothic(int32_t height, int32_t weight = 400, int32_t italic = 0)
{
    return PlatformFontRequest{kGothicFaceName, height, weight, italic, kCharSetShiftJis};
}

struct Glyph {
    PlatformGlyphMetrics metrics{};
    std::vector<unsigned char> bits;
    int32_t size = -1;
};

Glyph Fetch(PlatformFont* font, uint32_t code, GlyphBitmapFormat format)
{
    Glyph glyph;
    glyph.size = ReadPlatformGlyph(font, code, format, &glyph.metrics, 0, nullptr);
    if (glyph.size > 0) {
        glyph.bits.assign(size_t(glyph.size), 0xCD);
        PlatformGlyphMetrics again{};
        EXPECT_EQ(ReadPlatformGlyph(font, code, format, &again, uint32_t(glyph.size), glyph.bits.data()), glyph.size);
        EXPECT_EQ(std::memcmp(&again, &glyph.metrics, sizeof again), 0);
    }
    return glyph;
}

bool MonoBit(const Glyph& glyph, int x, int y)
{
    int pitch = GlyphBitmapPitch(GlyphBitmapFormat::Mono, glyph.metrics.blackBoxX);
    return (glyph.bits[size_t(y * pitch + x / 8)] >> (7 - x % 8)) & 1;
}

int LitPixels(const Glyph& glyph)
{
    int lit = 0;
    for (int y = 0; y < glyph.metrics.blackBoxY; ++y)
        for (int x = 0; x < glyph.metrics.blackBoxX; ++x) lit += MonoBit(glyph, x, y);
    return lit;
}

}  // namespace

TEST(GlyphRaster, GothicStandInAndItsMetrics)
{
    OpenFont gothic(Gothic(16));
    ASSERT_NE(gothic.font, nullptr);
    PlatformTextMetrics metrics{};
    ASSERT_EQ(ReadPlatformTextMetrics(gothic.font, &metrics), 0);
    // A positive height is the whole line: ascent + descent.
    EXPECT_EQ(metrics.height, 16);
    EXPECT_EQ(metrics.ascent + metrics.descent, 16);
    EXPECT_GE(metrics.ascent, 12);
    if (std::strcmp(PlatformFontFamily(gothic.font), "IPAGothic") == 0) {
        EXPECT_EQ(metrics.ascent, 14);
        EXPECT_EQ(metrics.maxCharWidth, 16);
    }
    // Half-width Latin and full-width kana on a fixed pitch.
    EXPECT_EQ(Fetch(gothic.font, 'M', GlyphBitmapFormat::Mono).metrics.cellIncX, 8);
    EXPECT_EQ(Fetch(gothic.font, 0x82A0, GlyphBitmapFormat::Mono).metrics.cellIncX, 16);  // あ
    EXPECT_EQ(Fetch(gothic.font, 0xB6, GlyphBitmapFormat::Mono).metrics.cellIncX, 8);     // half-width カ
}

TEST(GlyphRaster, BothFormatsShareMetricsAndLayout)
{
    OpenFont gothic(Gothic(16));
    for (uint32_t code : {uint32_t('A'), uint32_t('g'), uint32_t(0x8ABF), uint32_t(0x82A0)}) {  // A g 漢 あ
        Glyph mono = Fetch(gothic.font, code, GlyphBitmapFormat::Mono);
        Glyph gray = Fetch(gothic.font, code, GlyphBitmapFormat::Gray17);
        SCOPED_TRACE(code);
        EXPECT_EQ(std::memcmp(&mono.metrics, &gray.metrics, sizeof mono.metrics), 0);
        const PlatformGlyphMetrics& m = mono.metrics;
        ASSERT_GT(m.blackBoxX, 0);
        ASSERT_GT(m.blackBoxY, 0);
        int32_t monoPitch = GlyphBitmapPitch(GlyphBitmapFormat::Mono, m.blackBoxX);
        int32_t grayPitch = GlyphBitmapPitch(GlyphBitmapFormat::Gray17, m.blackBoxX);
        EXPECT_EQ(monoPitch % 4, 0);
        EXPECT_EQ(grayPitch % 4, 0);
        EXPECT_EQ(mono.size, monoPitch * m.blackBoxY);
        EXPECT_EQ(gray.size, grayPitch * m.blackBoxY);
        for (int y = 0; y < m.blackBoxY; ++y) {
            for (int x = 0; x < grayPitch; ++x) {
                unsigned char level = gray.bits[size_t(y * grayPitch + x)];
                if (x >= m.blackBoxX) {
                    EXPECT_EQ(level, 0) << "padding";
                    continue;
                }
                EXPECT_LE(level, 16);
                if (MonoBit(mono, x, y)) {
                    EXPECT_GE(level, 6) << x << "," << y;  // a lit bit is well covered
                }
                if (level == 16) {
                    EXPECT_TRUE(MonoBit(mono, x, y)) << x << "," << y;
                }
            }
            for (int x = m.blackBoxX; x < monoPitch * 8; ++x) EXPECT_FALSE(MonoBit(mono, x, y)) << "padding bit";
        }
        // The glyph sits on the line: its box lies within ascent above and descent below.
        EXPECT_LE(m.originY, 16);
        EXPECT_GE(m.originY - m.blackBoxY, -4);
    }
}

TEST(GlyphRaster, SpacesAndMissingCharactersNeverFail)
{
    OpenFont gothic(Gothic(16));
    Glyph space = Fetch(gothic.font, ' ', GlyphBitmapFormat::Mono);
    EXPECT_EQ(space.size, 0);
    EXPECT_EQ(space.metrics.cellIncX, 8);
    Glyph wideSpace = Fetch(gothic.font, 0x8140, GlyphBitmapFormat::Gray17);
    EXPECT_EQ(wideSpace.size, 0);
    EXPECT_EQ(wideSpace.metrics.cellIncX, 16);

    // Not characters of cp932 (an unassigned pair, a lone lead byte) or not in the face
    // (control codes): the face's missing glyph, with a result of 0 or more.
    for (uint32_t code : {0x8540u, 0x82u, 0x0Au, 0x00u, 0x7Fu, 0xFCFCu}) {
        PlatformGlyphMetrics metrics{};
        EXPECT_GE(ReadPlatformGlyph(gothic.font, code, GlyphBitmapFormat::Mono, &metrics, 0, nullptr), 0) << code;
        EXPECT_GE(ReadPlatformGlyph(gothic.font, code, GlyphBitmapFormat::Gray17, &metrics, 0, nullptr), 0) << code;
    }
}

TEST(GlyphRaster, SmallBufferIsNotWritten)
{
    OpenFont gothic(Gothic(16));
    PlatformGlyphMetrics metrics{};
    int32_t size = ReadPlatformGlyph(gothic.font, 'W', GlyphBitmapFormat::Gray17, &metrics, 0, nullptr);
    ASSERT_GT(size, 8);
    std::vector<unsigned char> buffer(size_t(size), 0xAA);
    EXPECT_EQ(ReadPlatformGlyph(gothic.font, 'W', GlyphBitmapFormat::Gray17, &metrics, uint32_t(size - 1),
                                buffer.data()),
              size);
    for (unsigned char byte : buffer) ASSERT_EQ(byte, 0xAA);
}

TEST(GlyphRaster, WeightWidensAndItalicSlants)
{
    OpenFont regular(Gothic(16, 400));
    OpenFont bold(Gothic(16, 700));
    OpenFont italic(Gothic(16, 400, 1));
    Glyph plain = Fetch(regular.font, 'H', GlyphBitmapFormat::Mono);
    Glyph heavy = Fetch(bold.font, 'H', GlyphBitmapFormat::Mono);
    EXPECT_EQ(heavy.metrics.cellIncX, plain.metrics.cellIncX + 1);  // bold at 16 px: one pixel
    EXPECT_GT(LitPixels(heavy), LitPixels(plain));
    PlatformTextMetrics metrics{};
    ReadPlatformTextMetrics(bold.font, &metrics);
    EXPECT_EQ(metrics.height, 16);

    // The slant moves the top of a vertical stroke right of its foot.
    Glyph slanted = Fetch(italic.font, 'l', GlyphBitmapFormat::Mono);
    auto firstLit = [](const Glyph& glyph, int y) {
        for (int x = 0; x < glyph.metrics.blackBoxX; ++x)
            if (MonoBit(glyph, x, y)) return x;
        return -1;
    };
    int topRow = firstLit(slanted, 0);
    int footRow = firstLit(slanted, slanted.metrics.blackBoxY - 1);
    ASSERT_GE(topRow, 0);
    ASSERT_GE(footRow, 0);
    EXPECT_GT(topRow, footRow);
}

TEST(GlyphRaster, NamedFacesAndSizes)
{
    {
        OpenFont dejavu(PlatformFontRequest{"DejaVu Sans Mono", 24, 400, 0, kCharSetDefault});
        EXPECT_STREQ(PlatformFontFamily(dejavu.font), "DejaVu Sans Mono");
        PlatformTextMetrics metrics{};
        ReadPlatformTextMetrics(dejavu.font, &metrics);
        EXPECT_EQ(metrics.height, 24);
    }
    {
        // A family the system lacks gets the closest face, as the platform's mapper does.
        OpenFont missing(PlatformFontRequest{"No Such Family Here", 12, 400, 0, kCharSetDefault});
        EXPECT_NE(missing.font, nullptr);
        EXPECT_GE(Fetch(missing.font, 'x', GlyphBitmapFormat::Gray17).size, 0);
    }
    PlatformFont* font = nullptr;
    EXPECT_EQ(OpenPlatformFont(Gothic(0), &font), -1);
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(OpenPlatformFont(Gothic(-16), &font), -1);
}

TEST(GlyphRaster, ManyFontsOpenAndClose)
{
    std::vector<PlatformFont*> fonts;
    for (int i = 0; i < 41; ++i) {
        PlatformFont* font = nullptr;
        ASSERT_EQ(OpenPlatformFont(Gothic(10 + i), &font), 0) << i;
        fonts.push_back(font);
    }
    for (PlatformFont* font : fonts) ClosePlatformFont(font);
    PlatformFont* font = nullptr;
    ASSERT_EQ(OpenPlatformFont(Gothic(16), &font), 0);
    EXPECT_GE(Fetch(font, 'a', GlyphBitmapFormat::Mono).size, 0);
    ClosePlatformFont(font);
}
