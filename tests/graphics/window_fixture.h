// A started media layer in a real window under Xvfb for the software path's drawing tests, and
// the window read back with a screenshot of the root window.
#pragma once
#include "graphics/draw_state.h"
#include "rorodiv.h"
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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
inline bool TakeScreenshot(const std::filesystem::path& file, Screenshot* out)
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
        title = std::string(test->test_suite_name()) + "." + test->name();
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
