// Text on both drawing paths: glyph caches that grow for long lines.
#include "graphics/both_paths_fixture.h"

#include "text/font_handles.h"

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

INSTANTIATE_ON_BOTH_PATHS(TextPathsTest);

}  // namespace
