// The software path in a real window under Xvfb: what is drawn and presented arrives in the
// X server, read back with a screenshot of the root window.
#include "core/core_state.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/screen_mode.h"
#include "rorodiv.h"
#include "platform/clock.h"
#include "window/window_mode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xDEADBEEF;
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

// The root window as a binary PPM, through ImageMagick's import.
bool TakeScreenshot(const std::filesystem::path& file, Screenshot* out)
{
    const std::string command = "import -window root -depth 8 ppm:" + file.string();
    (void)std::system(command.c_str());  // the file tells whether it worked
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> out->width >> out->height >> max;
    in.get();
    if (magic != "P6" || max != 255 || out->width <= 0 || out->height <= 0) return false;
    out->rgb.resize(size_t(out->width) * out->height * 3);
    in.read(reinterpret_cast<char*>(out->rgb.data()), std::streamsize(out->rgb.size()));
    return bool(in);
}

class WindowDrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X server";
        std::random_device random;
        folder = std::filesystem::temp_directory_path() / ("ror_graphics_" + std::to_string(random()));
        std::filesystem::create_directories(folder);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        title = std::string("graphics.") + test->name();
        SetWindowTitle(title.c_str());
        SetLogEnabled(0);
        ChangeWindowMode(1);
        DrawState.background[0] = DrawState.background[1] = DrawState.background[2] = 0;
    }

    void TearDown() override
    {
        if (folder.empty()) return;
        EndMediaLayer();
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Lets the X server catch up: a few frames of messages.
    static void Settle()
    {
        for (int i = 0; i < 10; ++i) {
            PumpMessages();
            SystemSleep(10);
        }
    }

    Screenshot Shot()
    {
        Screenshot shot;
        EXPECT_TRUE(TakeScreenshot(folder / "shot.ppm", &shot));
        return shot;
    }

    std::filesystem::path folder, previous;
    std::string title;
};

}  // namespace

TEST_F(WindowDrawingTest, ClearDrawPresentArrivesInTheWindow)
{
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(ScreenSettings.hardwarePath, 0);
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

TEST_F(WindowDrawingTest, WindowScaleStretchesTheFrame)
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
    EXPECT_EQ(at(901, 751), 0xFFFF00u);
    EXPECT_EQ(at(902, 752), 0x000000u);
}

TEST_F(WindowDrawingTest, FrontScreenIsPresentedByItsTimer)
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

TEST_F(WindowDrawingTest, ScreenModeChangesAfterStartUp)
{
    ASSERT_EQ(SetScreenMode(640, 480, 32, 0), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    const int g = CreateBlankGraphic(8, 8);
    int32_t lost = 0;
    // The graphic is lost with the old screen; the new mode is in force.
    WatchGraphicLoss(g, &lost);
    EXPECT_EQ(SetScreenMode(800, 600, 16, 0), 0);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(ScreenSettings.width, 800);
    EXPECT_EQ(ScreenSettings.colorBits, 16);
    EXPECT_EQ(PackColor(255, 128, 0), 0xFC00u);
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

TEST_F(WindowDrawingTest, SwitchesToFullScreenAndBack)
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
