// Sizes and pointers from outside at their extremes, on both drawing paths: refused with -1
// at once, and the running layer stays usable.
#include "both_paths_fixture.h"

#include "graphics/graphics_setup.h"
#include "image/image_limits.h"
#include "graphics/screen_mode.h"
#include "rorodiv_text.h"

#include <climits>

using namespace ror;

namespace {

using ExtremeValuesTest = BothPathsTest;

TEST_P(ExtremeValuesTest, GraphicSizesBeyondTheMaximumAreRefusedAtOnce)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    struct Case {
        int width, height;
    };
    const Case refused[] = {
        {INT_MAX, INT_MAX}, {INT_MAX, 1 << 30}, {INT_MAX - 1, INT_MAX - 1}, {2147483600, INT_MAX}, {65536, 65536},
        {16384, 16385},     {1, (1 << 28) + 1}, {(1 << 28) + 1, 1},         {INT_MAX, 1},          {46341, 46341},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(CreateBlankGraphic(c.width, c.height), -1);
        EXPECT_EQ(CreateBlendGraphic(c.width, c.height), -1);
    }
    // Within the maximum, however long and thin.
    for (const Case& c : {Case{1 << 16, 2}, Case{2, 1 << 16}}) {
        const int handle = CreateBlankGraphic(c.width, c.height);
        EXPECT_NE(handle, -1) << c.width << " x " << c.height;
        EXPECT_EQ(PaintGraphic(handle, 10, 20, 30, 255), 0);
        EXPECT_EQ(DestroyGraphic(handle), 0);
    }
    EXPECT_NE(Log().find("グラフィックのサイズ 65536 x 65536"), std::string::npos);  // cp932 like the log
}

TEST_P(ExtremeValuesTest, ScreenModeNoDisplayShowsIsRefusedAndTheRunningModeStays)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int graphic = CreateBlankGraphic(8, 8);
    ASSERT_NE(graphic, -1);
    struct Case {
        int width, height;
    };
    for (const Case& c : {Case{100000, 100000}, Case{kMaxScreenSide + 1, 480}, Case{640, kMaxScreenSide + 1},
                          Case{INT_MAX, INT_MAX}, Case{-5, 480}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(SetScreenMode(c.width, c.height, 32, 60), -1);
        EXPECT_EQ(ScreenSettings.width, 640);
        EXPECT_EQ(ScreenSettings.height, 480);
    }
    // Nothing was released: the graphic is still there and drawing goes on.
    EXPECT_EQ(PutGraphic(0, 0, graphic, 0), 0);
    EXPECT_EQ(DrawRect(1, 1, 5, 5, PackColor(255, 0, 0), 1), 0);
    EXPECT_EQ(PresentScreen(), 0);
}

TEST_P(ExtremeValuesTest, NullPointersAreRefused)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int graphic = CreateBlankGraphic(8, 8);
    ASSERT_NE(graphic, -1);
    const char* volatile none = nullptr;  // kept from the compiler's own null checks
    int handles[4] = {};
    JoypadInput pad{};
    int value = 0;
    struct Case {
        const char* name;
        int (*call)(const char* none, int graphic, int* handles, JoypadInput* pad, int* value);
    };
    const Case cases[] = {
        {"PutGraphicQuad", [](const char*, int g, int*, JoypadInput*, int*) { return PutGraphicQuad(nullptr, g, 0); }},
        {"SetWindowTitle", [](const char* n, int, int*, JoypadInput*, int*) { return SetWindowTitle(n); }},
        {"UnpackColor", [](const char*, int, int*, JoypadInput*, int* v) { return UnpackColor(0, nullptr, v, v); }},
        {"ReadJoypadInput", [](const char*, int, int*, JoypadInput*, int*) { return ReadJoypadInput(1, nullptr); }},
        {"LoadGraphic", [](const char* n, int, int*, JoypadInput*, int*) { return LoadGraphic(n); }},
        {"LoadGraphicFromMemory",
         [](const char*, int, int*, JoypadInput*, int*) { return LoadGraphicFromMemory(nullptr, 64); }},
        {"LoadBlendGraphic", [](const char* n, int, int*, JoypadInput*, int*) { return LoadBlendGraphic(n); }},
        {"LoadBlendGraphicFromMemory",
         [](const char*, int, int*, JoypadInput*, int*) { return LoadBlendGraphicFromMemory(nullptr, 64); }},
        {"LoadDividedGraphic path",
         [](const char* n, int, int*, JoypadInput*, int* h) { return LoadDividedGraphic(n, 4, 2, 2, 4, 4, h); }},
        {"LoadDividedGraphic handles", [](const char*, int, int*, JoypadInput*,
                                          int*) { return LoadDividedGraphic("a.bmp", 4, 2, 2, 4, 4, nullptr); }},
        {"LoadDividedGraphicFromMemory",
         [](const char*, int, int*, JoypadInput*, int* h) {
             return LoadDividedGraphicFromMemory(nullptr, 64, 4, 2, 2, 4, 4, h);
         }},
        {"LogWrite", [](const char* n, int, int*, JoypadInput*, int*) { return LogWrite(n); }},
        {"LoadSound", [](const char* n, int, int*, JoypadInput*, int*) { return LoadSound(n); }},
        {"LoadSoundFromMemory",
         [](const char*, int, int*, JoypadInput*, int*) { return LoadSoundFromMemory(nullptr, 64); }},
        {"PlayMusic", [](const char* n, int, int*, JoypadInput*, int*) { return PlayMusic(n, 0); }},
        {"PrintText", [](const char* n, int, int*, JoypadInput*, int*) { return PrintText(0, 0, n, 0xFFFFFFFFu); }},
        {"PrintTextFormat",
         [](const char* n, int, int*, JoypadInput*, int*) { return PrintTextFormat(0, 0, 0xFFFFFFFFu, n); }},
        {"LogWriteFormat", [](const char* n, int, int*, JoypadInput*, int*) { return LogWriteFormat(n); }},
        {"PrintTextWithFont", [](const char* n, int, int*, JoypadInput*,
                                 int*) { return PrintTextWithFont(0, 0, n, 0xFFFFFFFFu, QueryDefaultFont()); }},
    };
    for (const Case& c : cases) EXPECT_EQ(c.call(none, graphic, handles, &pad, &value), -1) << c.name;
}

TEST_P(ExtremeValuesTest, GraphicsPutAtTheEndsOfTheIntRangeDrawNothing)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int graphic = CreateBlankGraphic(16, 16);
    ASSERT_NE(graphic, -1);
    ASSERT_EQ(PaintGraphic(graphic, 255, 255, 255, 255), 0);
    ClearScreen();
    struct Case {
        int x, y;
    };
    for (const Case& c : {Case{INT_MAX - 1, 0}, Case{0, INT_MAX - 1}, Case{INT_MAX, INT_MAX}, Case{INT_MIN, INT_MIN},
                          Case{INT_MIN, 0}, Case{INT_MAX - 15, INT_MAX - 15}}) {
        EXPECT_EQ(PutGraphic(c.x, c.y, graphic, 0), 0) << c.x << ", " << c.y;
        EXPECT_EQ(PutGraphic(c.x, c.y, graphic, 1), 0) << c.x << ", " << c.y;
    }
    std::vector<uint32_t> pixels(640 * 480);
    ASSERT_EQ(ReadScreenPixels(pixels.data()), 0);
    for (uint32_t p : pixels) ASSERT_EQ(p & 0xFFFFFF, 0u);
}

// Text while a blend image is selected: drawn (software path) or refused with -1 and a log line
// (device path), never reported drawn and lost.
TEST_P(ExtremeValuesTest, TextUnderABlendImageIsDrawnOrRefused)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int levels = CreateBlendGraphic(640, 480);
    ASSERT_NE(levels, -1);
    ASSERT_EQ(PaintGraphic(levels, 255, 255, 255, 255), 0);
    auto litPixels = [] {
        std::vector<uint32_t> pixels(640 * 480);
        EXPECT_EQ(ReadScreenPixels(pixels.data()), 0);
        int lit = 0;
        for (uint32_t p : pixels) lit += (p & 0xFFFFFF) != 0;
        return lit;
    };
    for (int selected : {1, 0}) {
        SCOPED_TRACE(selected ? "blend image selected" : "no blend image");
        ASSERT_EQ(SetBlendImage(selected ? levels : -1, 0, 0), 0);
        ClearScreen();
        const int result = PrintText(20, 20, "ABC", PackColor(255, 255, 255));
        const bool refused = GetParam() && selected;
        EXPECT_EQ(result, refused ? -1 : 0);
        EXPECT_EQ(litPixels() > 0, !refused);
    }
    if (GetParam()) {
        EXPECT_NE(Log().find("ブレンド画像が選択されている間"), std::string::npos);
    }
}

INSTANTIATE_ON_BOTH_PATHS(ExtremeValuesTest);

}  // namespace
