// The game as a real process under Xvfb: what its window shows, and how it ends.
#include "country_grid.h"
#include "graphics/screenshot.h"
#include "neighbour_table.h"
#include "platform/system/clock.h"
#include "random/random.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace ror;

namespace {

namespace fs = std::filesystem;

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return status == -1 ? -1 : (status >> 8) & 0xFF;
}

// The game runs on the software path (false) and on the GL path (true; under Xvfb the GL is a
// CPU rasteriser, taken only when accepted, and refused otherwise).
class GameProgramTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        std::random_device random;
        folder = fs::temp_directory_path() / ("vexholm_" + std::to_string(random()));
        fs::create_directories(folder);
        // The instance lock lives here, apart from any game a person runs on this machine.
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        const char* accept = std::getenv("ROR_ACCEPT_CPU_GL");
        savedAccept = accept != nullptr ? accept : "";
        hadAccept = accept != nullptr;
        setenv("ROR_ACCEPT_CPU_GL", GetParam() ? "1" : "0", 1);
    }

    void TearDown() override
    {
        if (folder.empty()) return;
        Shell("xdotool keyup Escape >/dev/null 2>&1");
        Shell("pkill -f '" + folder.string() + "' >/dev/null 2>&1");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        if (hadAccept)
            setenv("ROR_ACCEPT_CPU_GL", savedAccept.c_str(), 1);
        else
            unsetenv("ROR_ACCEPT_CPU_GL");
    }

    // Starts the game in the background in folder/name; its exit code lands in "status".
    fs::path Launch(const std::string& name)
    {
        const fs::path where = folder / name;
        fs::create_directories(where);
        Shell("cd '" + where.string() + "' && ( '" VEXHOLM_PROGRAM "' '" + where.string() +
              "' > out.txt 2>&1; echo $? > status ) &");
        return where;
    }

    // The game's window id, once it is shown.
    static std::string WaitForWindow()
    {
        std::string id;
        for (int i = 0; i < 100 && id.empty(); ++i) {
            FILE* pipe = popen("xdotool search --onlyvisible --name Vexholm 2>/dev/null | head -1", "r");
            char line[64] = {};
            if (pipe && fgets(line, sizeof line, pipe)) id = std::string(line, strcspn(line, "\n"));
            if (pipe) pclose(pipe);
            if (id.empty()) SystemSleep(50);
        }
        return id;
    }

    static int ExitCode(const fs::path& where)
    {
        for (int i = 0; i < 400; ++i) {
            std::ifstream in(where / "status");
            int code = -1;
            if (in >> code) return code;
            SystemSleep(25);
        }
        return -1000;
    }

    static void Close(const std::string& window)
    {
        Shell("xdotool windowfocus --sync " + window + " key --clearmodifiers alt+F4 >/dev/null 2>&1");
    }

    // True once the window shows a drawn frame (the drawing path is up).
    static bool WaitForFirstFrame(const fs::path& where, const std::string& window)
    {
        for (int i = 0; i < 100; ++i) {
            Screenshot shot;
            if (TakeScreenshot(where / "first.ppm", &shot, window))
                for (uint8_t channel : shot.rgb)
                    if (channel != 0) return true;
            SystemSleep(50);
        }
        return false;
    }

    // Clicks the close box: the window manager's delete request, not a key.
    static void CloseBox(const std::string& window) { EXPECT_EQ(Shell("'" CLOSE_BOX_PROGRAM "' " + window), 0); }

    fs::path folder;
    std::string savedAccept;
    bool hadAccept = false;
};

constexpr uint32_t kBlue = 0x3030FF, kDarkRed = 0x900000, kBlack = 0, kWhite = 0xFFFFFF;

TEST_P(GameProgramTest, HoveredCountryIsBlueItsNeighboursDarkRedBordersWhite)
{
    // The field the test build generates.
    SeedRandom(VEXHOLM_FIXED_SEED);
    GenerateCountries();
    BuildNeighbourTable();

    const fs::path where = Launch("picture");
    const std::string window = WaitForWindow();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(WaitForFirstFrame(where, window));
    const int hoverColumn = 5, hoverRow = 3;
    const int pointerX = 16 + hoverColumn * 48 + 20, pointerY = 16 + hoverRow * 48 + 20;
    Shell("xdotool mousemove --window " + window + " " + std::to_string(pointerX) + " " + std::to_string(pointerY));
    SystemSleep(400);

    Screenshot picture;
    ASSERT_TRUE(TakeScreenshot(where / "shot.ppm", &picture, window));
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);

    const int32_t hovered = CountryGrid[hoverRow * 12 + hoverColumn];
    auto fillOf = [&](int r, int c) {
        const int32_t country = CountryGrid[r * 12 + c];
        return country == hovered ? kBlue : NeighbourTable[hovered * 96 + country] ? kDarkRed : kBlack;
    };
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 12; ++c) {
            const int32_t country = CountryGrid[r * 12 + c];
            const int x0 = c * 48, y0 = r * 48;
            EXPECT_EQ(picture.At(x0 + 40, y0 + 40), fillOf(r, c)) << "cell row " << r << " column " << c;
            // A three-pixel band on every border between countries, none inside a country. Its
            // last pixel belongs to the next cell, whose fill is drawn after it.
            if (c < 11) {
                const bool border = CountryGrid[r * 12 + c + 1] != country;
                const uint32_t inside = fillOf(r, c), next = fillOf(r, c + 1);
                EXPECT_EQ(picture.At(x0 + 63, y0 + 40), border ? kWhite : inside) << "right of " << r << "," << c;
                EXPECT_EQ(picture.At(x0 + 64, y0 + 40), border ? kWhite : inside) << "right of " << r << "," << c;
                EXPECT_EQ(picture.At(x0 + 65, y0 + 40), border && next == kBlack ? kWhite : next)
                    << "right of " << r << "," << c;
            }
            if (r < 7) {
                const bool border = CountryGrid[(r + 1) * 12 + c] != country;
                const uint32_t inside = fillOf(r, c), next = fillOf(r + 1, c);
                EXPECT_EQ(picture.At(x0 + 40, y0 + 63), border ? kWhite : inside) << "below " << r << "," << c;
                EXPECT_EQ(picture.At(x0 + 40, y0 + 64), border ? kWhite : inside) << "below " << r << "," << c;
                EXPECT_EQ(picture.At(x0 + 40, y0 + 65), border && next == kBlack ? kWhite : next)
                    << "below " << r << "," << c;
            }
        }
    }
    // The field's frame: three pixels around its edge.
    for (int d = -1; d <= 1; ++d) {
        EXPECT_EQ(picture.At(16 + d, 200), kWhite);
        EXPECT_EQ(picture.At(592 + d, 200), kWhite);
        EXPECT_EQ(picture.At(300, 16 + d), kWhite);
        EXPECT_EQ(picture.At(300, 400 + d), kWhite);
    }
    EXPECT_EQ(picture.At(16 - 3, 200), kBlack);
    // The status column: white text on each of its three lines, nothing between them.
    auto litPixels = [&](int top, int bottom) {
        int lit = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 608; x < 800; ++x) lit += picture.At(x, y) == kWhite;
        return lit;
    };
    EXPECT_GT(litPixels(32, 48), 50);
    EXPECT_EQ(litPixels(48, 64), 0);
    EXPECT_GT(litPixels(64, 80), 50);
    EXPECT_GT(litPixels(80, 96), 30);

    Close(window);
    EXPECT_EQ(ExitCode(where), 0);
}

TEST_P(GameProgramTest, ClosingTheWindowEndsWithZeroAndWritesNoLog)
{
    const fs::path where = Launch("close");
    const std::string window = WaitForWindow();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(WaitForFirstFrame(where, window));
    Close(window);
    EXPECT_EQ(ExitCode(where), 0);
    EXPECT_FALSE(fs::exists(where / "Log.txt"));
}

TEST_P(GameProgramTest, TheCloseBoxEndsTheGameWithZero)
{
    const fs::path where = Launch("closebox");
    const std::string window = WaitForWindow();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(WaitForFirstFrame(where, window));
    CloseBox(window);
    EXPECT_EQ(ExitCode(where), 0);
}

TEST_P(GameProgramTest, EscapeEndsTheGameWithZero)
{
    const fs::path where = Launch("escape");
    const std::string window = WaitForWindow();
    ASSERT_FALSE(window.empty());
    Shell("xdotool windowfocus --sync " + window + " keydown Escape >/dev/null 2>&1");
    EXPECT_EQ(ExitCode(where), 0);
    Shell("xdotool keyup Escape >/dev/null 2>&1");
}

TEST_P(GameProgramTest, WithoutADisplayItEndsAtOnceWith255)
{
    const fs::path where = folder / "nodisplay";
    fs::create_directories(where);
    // No X server listens on :9731; no driver is named, so nothing may stand in for one.
    EXPECT_EQ(Shell("cd '" + where.string() +
                    "' && env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=:9731 timeout 20 '" VEXHOLM_PROGRAM
                    "' > out.txt 2>&1"),
              255);
}

TEST_P(GameProgramTest, SecondCopyRefusesToStartWhileTheFirstRuns)
{
    const fs::path first = Launch("first");
    const std::string window = WaitForWindow();
    ASSERT_FALSE(window.empty());

    const fs::path second = folder / "second";
    fs::create_directories(second);
    EXPECT_EQ(Shell("cd '" + second.string() + "' && '" VEXHOLM_PROGRAM "' > out.txt 2>&1"), 255);
    EXPECT_FALSE(fs::exists(second / "Log.txt"));

    Close(window);
    EXPECT_EQ(ExitCode(first), 0);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, GameProgramTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Gl" : "Software"; });

}  // namespace
