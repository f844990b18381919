// Switching between windowed and full screen on a real X server.
#include "window/media_layer_fixture.h"

#include "graphics/drawing_paths.h"

#include "graphics/screen_mode.h"
#include "platform/system/clock.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/window.h"

using namespace ror;

namespace {

// Full screen at the display's own size on a real X server, so the window system really
// covers the display, and back.
class FullScreenSwitchTest : public OnBothPaths<MediaLayerTest> {
protected:
    FullScreenSwitchTest() : OnBothPaths<MediaLayerTest>("x11") {}
    void SetUp() override
    {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        OnBothPaths<MediaLayerTest>::SetUp();
        savedSettings = ScreenSettings;
    }
    void TearDown() override
    {
        OnBothPaths<MediaLayerTest>::TearDown();
        ScreenSettings = savedSettings;
        ChangeWindowMode(1);
    }
    // The display's mode before start-up. Xvfb on a loaded machine now and then refuses a
    // new connection, so the query is asked again a few times.
    static int DesktopMode(DisplayMode* mode)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (ReadDesktopMode(mode) == 0) return 0;
            SystemSleep(200);
        }
        return -1;
    }
    ScreenSettingsRecord savedSettings{};
};

TEST_P(FullScreenSwitchTest, BackToWindowedHasItsFrameAndEachSwitchEndsOnTheDisplaysNotice)
{
    DisplayMode desktop{};
    ASSERT_EQ(DesktopMode(&desktop), 0);
    ASSERT_EQ(SetScreenMode(desktop.width, desktop.height, 32, 0), 0);
    ASSERT_EQ(Start(), 0);
    ASSERT_TRUE(PathInUse());
    ASSERT_EQ(WindowShowsFrame(CoreState.MainWindow), 1);

    EXPECT_EQ(ChangeWindowMode(0), 0);
    EXPECT_EQ(CoreState.displayChangeSeen, 1);
    EXPECT_EQ(WindowShowsFrame(CoreState.MainWindow), 0);

    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(CoreState.displayChangeSeen, 1);
    EXPECT_EQ(WindowShowsFrame(CoreState.MainWindow), 1);
    Rect client{};
    ASSERT_EQ(GetClientRect(CoreState.MainWindow, &client), 0);
    EXPECT_EQ(client.right, desktop.width);
    EXPECT_EQ(client.bottom, desktop.height);
}

// A full-screen start at a size the display has no mode of runs in a window, and the log says
// why.
TEST_P(FullScreenSwitchTest, AFullScreenStartWithoutSuchAModeStartsWindowedAndSaysSo)
{
    DisplayMode desktop{};
    ASSERT_EQ(DesktopMode(&desktop), 0);
    ASSERT_EQ(SetScreenMode(desktop.width - 280, desktop.height - 324, 32, 0), 0);
    SetWindowTitle(title.c_str());
    ASSERT_EQ(ChangeWindowMode(0), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    ASSERT_TRUE(PathInUse());
    EXPECT_EQ(CoreState.Windowed, 1);
    EXPECT_EQ(WindowShowsFrame(CoreState.MainWindow), 1);
    EXPECT_EQ(PresentScreen(), 0);
    const std::string line = "T:ディスプレイに " + std::to_string(desktop.width - 280) + " x " +
                             std::to_string(desktop.height - 324) +
                             " の画面モードが無いため、ウインドウモードで起動します";
    EXPECT_TRUE(FollowPattern(LogLines(), {"...", line, "...", "T:ウインドウモード起動用のウインドウを作成します"}));
}

// A size the display has starts full screen, without that line.
TEST_P(FullScreenSwitchTest, AFullScreenStartAtTheDisplaysSizeSaysNothingOfAWindow)
{
    DisplayMode desktop{};
    ASSERT_EQ(DesktopMode(&desktop), 0);
    ASSERT_EQ(SetScreenMode(desktop.width, desktop.height, 32, 0), 0);
    SetWindowTitle(title.c_str());
    ASSERT_EQ(ChangeWindowMode(0), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    ASSERT_TRUE(PathInUse());
    EXPECT_EQ(CoreState.Windowed, 0);
    EXPECT_EQ(ReadLog().find("ウインドウモードで起動します"), std::string::npos);
    EXPECT_TRUE(FollowPattern(LogLines(), {"...", "T:フルスクリーンモード用のウインドウを作成します"}));
}

INSTANTIATE_ON_BOTH_PATHS(FullScreenSwitchTest);

}  // namespace
