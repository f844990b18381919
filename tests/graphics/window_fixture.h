// A started media layer in a real window under Xvfb for the software path's drawing tests, and
// the window read back with a screenshot of the root window.
#pragma once
#include "core/core_state.h"
#include "graphics/draw_state.h"
#include "rorodiv.h"
#include "platform/system/clock.h"
#include "screenshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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
        savedWindowScale = ror::CoreState.windowScale;
        savedFit = ror::CoreState.screenFit;
        ror::DrawState.background[0] = ror::DrawState.background[1] = ror::DrawState.background[2] = 0;
    }

    void TearDown() override
    {
        if (folder.empty()) return;
        EndMediaLayer();
        ror::CoreState.windowScale = savedWindowScale;
        SetWindowResizable(0);
        SetDesktopFullScreen(0);
        SetHighDpiDrawing(0);
        ror::CoreState.screenFit = savedFit;
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Lets the X server catch up: a few frames of messages.
    static void Settle()
    {
        for (int i = 0; i < 10; ++i) {
            PumpMessages();
            ror::SystemSleep(10);
        }
    }

    Screenshot Shot()
    {
        Screenshot shot;
        EXPECT_TRUE(TakeScreenshot(folder / "shot.ppm", &shot));
        return shot;
    }

    double savedWindowScale = 1.0;
    int savedFit = 0;
    std::filesystem::path folder, previous;
    std::string title;
};
