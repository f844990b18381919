// The sizes a game asks for: of each kind of graphic, of the screen and of the window, on
// both drawing paths.
#include "bmp_picture.h"
#include "both_paths_fixture.h"

#include <cstdint>
#include <vector>

namespace {

using SizesTest = BothPathsTest;

// A BMP of the given size, every pixel grey.
std::vector<uint8_t> GreyBmp(int width, int height)
{
    return Bmp24(width, height, [](int, int) { return 0x808080u; });
}

struct Size {
    int width = -7, height = -7;
    bool operator==(const Size&) const = default;
};

Size GraphicSize(int handle)
{
    Size size;
    EXPECT_EQ(GetGraphicSize(handle, &size.width, &size.height), 0) << "handle " << handle;
    return size;
}

TEST_P(SizesTest, EveryKindOfGraphicTellsItsSize)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const std::vector<uint8_t> picture = GreyBmp(12, 10);
    const int blank = CreateBlankGraphic(17, 9);
    const int loaded = LoadGraphicFromMemory(picture.data(), int32_t(picture.size()));
    int cells[4] = {-1, -1, -1, -1};
    ASSERT_EQ(LoadDividedGraphicFromMemory(picture.data(), int32_t(picture.size()), 4, 2, 2, 6, 5, cells), 0);
    const int blend = CreateBlendGraphic(5, 6);
    const int sub = CreateSubGraphic(10, 5, 20, 20, blank);  // cut at the source's edges
    const int subOfBlend = CreateSubGraphic(1, 2, 3, 3, blend);

    struct Case {
        const char* what;
        int handle;
        Size size;
    } cases[] = {
        {"blank", blank, {17, 9}},      {"loaded", loaded, {12, 10}}, {"cell", cells[3], {6, 5}},
        {"blend image", blend, {5, 6}}, {"sub, cut", sub, {7, 4}},    {"sub of a blend image", subOfBlend, {3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.handle, -1);
        EXPECT_EQ(GraphicSize(c.handle), c.size);
    }
    // Either result may be left out.
    int width = 0;
    EXPECT_EQ(GetGraphicSize(blank, &width, nullptr), 0);
    EXPECT_EQ(width, 17);
    EXPECT_EQ(GetGraphicSize(blank, nullptr, nullptr), 0);

    // No live graphic: -1 and nothing written.
    ASSERT_EQ(DestroyGraphic(loaded), 0);
    for (int handle : {loaded, -1, 0, 0x7FFFFFFF}) {
        Size untouched;
        EXPECT_EQ(GetGraphicSize(handle, &untouched.width, &untouched.height), -1) << handle;
        EXPECT_EQ(untouched, Size{});
    }
}

TEST_P(SizesTest, ScreenAndWindowSizes)
{
    Size screen, window;
    EXPECT_EQ(GetScreenSize(&screen.width, &screen.height), 0);
    EXPECT_EQ(screen, (Size{640, 480}));  // the size start-up takes unless told otherwise
    EXPECT_EQ(GetWindowDrawableSize(&window.width, &window.height), -1);
    EXPECT_EQ(window, Size{});

    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    EXPECT_EQ(GetScreenSize(&screen.width, &screen.height), 0);
    EXPECT_EQ(screen, (Size{800, 600}));
    ASSERT_EQ(InitMediaLayer(), 0);
    if (ror::HardwarePathInUse() != (GetParam() ? 1 : 0)) GTEST_SKIP() << "this drawing path is not available here";
    EXPECT_EQ(GetWindowDrawableSize(&window.width, &window.height), 0);
    EXPECT_EQ(window, (Size{800, 600}));

    // A mode change after start-up is seen by both.
    ASSERT_EQ(SetScreenMode(640, 480, 32, 60), 0);
    EXPECT_EQ(GetScreenSize(&screen.width, &screen.height), 0);
    EXPECT_EQ(screen, (Size{640, 480}));
    EXPECT_EQ(GetWindowDrawableSize(&window.width, &window.height), 0);
    EXPECT_EQ(window, (Size{640, 480}));
    EXPECT_EQ(GetScreenSize(nullptr, nullptr), 0);

    EndMediaLayer();
    EXPECT_EQ(GetWindowDrawableSize(nullptr, nullptr), -1);
}

INSTANTIATE_ON_BOTH_PATHS(SizesTest);

}  // namespace
