// A started media layer on the drawing path of the parameter (false software, true device
// through GL, accepted on a CPU renderer), in a real window under Xvfb. Suites instantiate
// with INSTANTIATE_ON_BOTH_PATHS.
#pragma once
#include "drawing_paths.h"
#include "graphics/graphics_setup.h"
#include "window_fixture.h"

#include <fstream>
#include <iterator>
#include <string>

class BothPathsTest : public OnBothPaths<WindowDrawingTest> {
protected:
    // Starts at 640 x 480 on the path of the parameter; false when that path is not there.
    bool Start()
    {
        SetLogEnabled(1);
        EXPECT_EQ(SetScreenMode(640, 480, 32, 60), 0);
        EXPECT_EQ(InitMediaLayer(), 0);
        if (ror::HardwarePathInUse() != (GetParam() ? 1 : 0)) return false;
        SetDrawTarget(-2);
        return true;
    }

    std::string Log()
    {
        std::ifstream in(folder / "Log.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};
