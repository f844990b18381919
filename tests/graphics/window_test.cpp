// Both drawing paths in a real window under Xvfb: what is drawn and presented arrives in the
// X server, read back with a screenshot of the root window.
#include "window_fixture.h"

#include "graphics/drawing_paths.h"

#include "core/core_state.h"
#include "graphics/graphics.h"
#include "graphics/screen_mode.h"
#include "graphics/software/memimg.h"
#include "window/window_mode.h"

using namespace ror;

namespace {

using WindowPathTest = OnBothPaths<WindowDrawingTest>;

}  // namespace

TEST_P(WindowPathTest, ClearDrawPresentArrivesInTheWindow)
{
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(ScreenSettings.hardwarePath, GetParam() ? 1 : 0);
    EXPECT_EQ(PackColor(255, 255, 255), 0xFFFFFFFFu);
    DrawState.background[0] = 0;
    DrawState.background[1] = 0;
    DrawState.background[2] = 128;
    SetDrawTarget(-2);
    ClearScreen();
    DrawRect(100, 100, 200, 150, PackColor(255, 0, 0), 1);
    DrawSegment(300, 300, 500, 300, PackColor(255, 255, 255), 3);
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    const Screenshot shot = Shot();
    ASSERT_GE(shot.width, client.left + 800);
    auto at = [&](int x, int y) { return shot.At(client.left + x, client.top + y); };
    EXPECT_EQ(at(0, 0), 0x000080u);
    EXPECT_EQ(at(799, 599), 0x000080u);
    EXPECT_EQ(at(100, 100), 0xFF0000u);
    EXPECT_EQ(at(199, 149), 0xFF0000u);
    EXPECT_EQ(at(200, 149), 0x000080u);
    EXPECT_EQ(at(300, 299), 0xFFFFFFu);  // the band's three rows
    EXPECT_EQ(at(400, 301), 0xFFFFFFu);
    EXPECT_EQ(at(400, 302), 0x000080u);
}

TEST_P(WindowPathTest, WindowScaleStretchesTheFrame)
{
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    CoreState.windowScale = 1.5;
    FitWindow();
    Settle();
    SetDrawTarget(-2);
    ClearScreen();
    DrawRect(100, 100, 200, 150, PackColor(0, 255, 0), 1);
    DrawRect(600, 500, 601, 501, PackColor(255, 255, 0), 1);
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    EXPECT_EQ(client.right - client.left, 1200);
    EXPECT_EQ(client.bottom - client.top, 900);
    const Screenshot shot = Shot();
    auto at = [&](int x, int y) { return shot.At(client.left + x, client.top + y); };
    EXPECT_EQ(at(150, 150), 0x00FF00u);
    EXPECT_EQ(at(299, 224), 0x00FF00u);
    EXPECT_EQ(at(301, 226), 0x000000u);
    EXPECT_EQ(at(149, 149), 0x000000u);
    EXPECT_EQ(at(900, 750), 0xFFFF00u);  // one pixel becomes 1.5: columns 900-901
    // The GL's stretch samples at pixel centres: column 901 (601.0 in the frame) falls to the
    // next pixel there, so the pixels alternate 1, 2 wide where the software path has 2, 1.
    if (!GetParam()) {
        EXPECT_EQ(at(901, 751), 0xFFFF00u);
    }
    EXPECT_EQ(at(902, 752), 0x000000u);
}

// The software path only: after the first present the screen image draws in the window's own rows; a resize takes the
// frame back into the image before SDL frees those rows.
TEST_F(WindowDrawingTest, FrameInTheWindowRowsSurvivesResizeAndClose)
{
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_LE(CoreState.windowScale, 1.0);
    SetDrawTarget(-2);
    const uint8_t* ownRows = SoftScreen.screen.pixels;
    ClearScreen();
    ASSERT_EQ(PresentScreen(), 0);
    EXPECT_NE(SoftScreen.screen.pixels, ownRows) << "the frame should now live in the window's rows";
    DrawRect(100, 100, 200, 150, PackColor(255, 0, 0), 1);
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    Rect client = CoreState.ClientRectOnScreen;
    {
        const Screenshot shot = Shot();
        EXPECT_EQ(shot.At(client.left + 150, client.top + 120), 0xFF0000u);
    }

    // Resized while drawing into the old rows: the frame is kept and shown stretched.
    CoreState.windowScale = 1.5;
    FitWindow();
    Settle();
    DrawRect(300, 300, 400, 350, PackColor(0, 255, 0), 1);
    PresentScreen();
    EXPECT_EQ(SoftScreen.screen.pixels, ownRows);
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    client = CoreState.ClientRectOnScreen;
    {
        const Screenshot shot = Shot();
        EXPECT_EQ(shot.At(client.left + 225, client.top + 180), 0xFF0000u);
        EXPECT_EQ(shot.At(client.left + 525, client.top + 480), 0x00FF00u);
    }

    // Back to its own size it moves into the window's rows again, and ending the layer brings
    // the frame back into the image before the window goes.
    CoreState.windowScale = 1.0;
    FitWindow();
    Settle();
    PresentScreen();
    ASSERT_EQ(PresentScreen(), 0);
    EXPECT_NE(SoftScreen.screen.pixels, ownRows);
    std::vector<uint32_t> pixels(800 * 600);
    ASSERT_EQ(ReadScreenPixels(pixels.data()), 0);
    EXPECT_EQ(pixels[120 * 800 + 150] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[320 * 800 + 350] & 0xFFFFFF, 0x00FF00u);
}

TEST_P(WindowPathTest, FrontScreenIsPresentedByItsTimer)
{
    ASSERT_EQ(SetScreenMode(640, 480, 16, 0), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(DrawState.drawTarget, -4);
    DrawRect(10, 10, 50, 50, PackColor(255, 0, 255), 1);
    // No PresentScreen: the 32 ms timer shows the front screen from the message pump.
    for (int i = 0; i < 20; ++i) {
        PumpMessages();
        SystemSleep(10);
    }
    const Rect client = CoreState.ClientRectOnScreen;
    const Screenshot shot = Shot();
    EXPECT_EQ(shot.At(client.left + 20, client.top + 20), 0xFF00FFu);
}

TEST_P(WindowPathTest, ScreenModeChangesAfterStartUp)
{
    ASSERT_EQ(SetScreenMode(640, 480, 32, 0), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    const int g = CreateBlankGraphic(8, 8);
    int32_t lost = 0;
    // The graphic is lost with the old screen; the new mode is in force. In a window the
    // device path's depth is the desktop's, so it changes the size only.
    WatchGraphicLoss(g, &lost);
    const int bits = GetParam() ? 32 : 16;
    EXPECT_EQ(SetScreenMode(800, 600, bits, 0), 0);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(ScreenSettings.width, 800);
    EXPECT_EQ(ScreenSettings.colorBits, bits);
    EXPECT_EQ(PackColor(255, 128, 0), GetParam() ? 0xFFFF8000u : 0xFC00u);
    EXPECT_EQ(SetScreenMode(800, 600, 24, 0), -1);
    EXPECT_EQ(SetUseHardware(1), -1);
    SetDrawTarget(-2);
    ClearScreen();
    DrawRect(0, 0, 10, 10, PackColor(255, 255, 255), 1);
    EXPECT_EQ(PresentScreen(), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    EXPECT_EQ(client.right - client.left, 800);
    const Screenshot shot = Shot();
    EXPECT_EQ(shot.At(client.left + 5, client.top + 5), 0xFFFFFFu);
}

TEST_P(WindowPathTest, SwitchesToFullScreenAndBack)
{
    // Xvfb offers the one mode of its screen; full screen at that size can be set.
    int32_t desktopWidth = 0, desktopHeight = 0;
    ASSERT_EQ(SetScreenMode(640, 480, 32, 0), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    desktopWidth = CoreState.desktopWidth;
    desktopHeight = CoreState.desktopHeight;
    ASSERT_EQ(SetScreenMode(desktopWidth, desktopHeight, 32, 0), 0);
    EXPECT_EQ(ChangeWindowMode(0), 0);
    EXPECT_EQ(CoreState.Windowed, 0);
    EXPECT_EQ(ScreenSettings.graphicsReady, 1);
    EXPECT_EQ(ScreenSettings.width, desktopWidth);
    SetDrawTarget(-2);
    DrawRect(0, 0, 16, 16, PackColor(0, 255, 255), 1);
    EXPECT_EQ(PresentScreen(), 0);
    Settle();
    Screenshot shot = Shot();
    EXPECT_EQ(shot.At(8, 8), 0x00FFFFu);

    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(CoreState.Windowed, 1);
    EXPECT_EQ(ScreenSettings.graphicsReady, 1);
    ASSERT_EQ(SetScreenMode(640, 480, 32, 0), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    EXPECT_EQ(client.right - client.left, 640);
}

TEST_P(WindowPathTest, Emulated320ShowsTheTopLeftQuarterDoubled)
{
    ASSERT_EQ(SetScreenMode(640, 480, 32, 0), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    ScreenSettings.emulate320 = 1;
    SetDrawTarget(-2);
    ClearScreen();
    DrawRect(10, 20, 11, 21, PackColor(255, 0, 0), 1);
    DrawRect(400, 300, 640, 480, PackColor(0, 0, 255), 1);  // outside the shown quarter
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    const Screenshot shot = Shot();
    auto at = [&](int x, int y) { return shot.At(client.left + x, client.top + y); };
    EXPECT_EQ(at(20, 40), 0xFF0000u);
    EXPECT_EQ(at(21, 41), 0xFF0000u);
    EXPECT_EQ(at(22, 42), 0x000000u);
    EXPECT_EQ(at(639, 479), 0x000000u);
    ScreenSettings.emulate320 = 0;
}

INSTANTIATE_ON_BOTH_PATHS(WindowPathTest);
