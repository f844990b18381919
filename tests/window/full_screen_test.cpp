// Switching between windowed and full screen on a real X server.
#include "window/media_layer_fixture.h"

#include "graphics/screen_mode.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/window.h"

using namespace ror;

namespace {

// Full screen at the display's own size on a real X server, so the window system really
// covers the display, and back.
class FullScreenSwitchTest : public MediaLayerTest {
protected:
    FullScreenSwitchTest() : MediaLayerTest("x11") {}
    void SetUp() override
    {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        MediaLayerTest::SetUp();
        savedSettings = ScreenSettings;
    }
    void TearDown() override
    {
        MediaLayerTest::TearDown();
        ScreenSettings = savedSettings;
        ChangeWindowMode(1);
    }
    ScreenSettingsRecord savedSettings{};
};

TEST_F(FullScreenSwitchTest, BackToWindowedHasItsFrameAndEachSwitchEndsOnTheDisplaysNotice)
{
    DisplayMode desktop{};
    ASSERT_EQ(ReadDesktopMode(&desktop), 0);
    ASSERT_EQ(SetScreenMode(desktop.width, desktop.height, 32, 0), 0);
    ASSERT_EQ(Start(), 0);
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

}  // namespace
