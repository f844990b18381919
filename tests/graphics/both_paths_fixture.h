// A started media layer on the drawing path of the parameter (false software, true device
// through GL, accepted on a CPU renderer), in a real window under Xvfb. Tests that draw
// instantiate their suite with BothPathsNames.
#pragma once
#include "graphics/graphics_setup.h"
#include "window_fixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

class BothPathsTest : public WindowDrawingTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        WindowDrawingTest::SetUp();
        const char* accept = std::getenv("ROR_ACCEPT_CPU_GL");
        hadAccept = accept != nullptr;
        if (hadAccept) savedAccept = accept;
        if (GetParam()) setenv("ROR_ACCEPT_CPU_GL", "1", 1);
        SetUseHardware(GetParam() ? 1 : 0);
    }

    void TearDown() override
    {
        WindowDrawingTest::TearDown();
        SetUseHardware(1);
        if (hadAccept)
            setenv("ROR_ACCEPT_CPU_GL", savedAccept.c_str(), 1);
        else
            unsetenv("ROR_ACCEPT_CPU_GL");
    }

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

    std::string savedAccept;
    bool hadAccept = false;
};

inline std::string BothPathsNames(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Device" : "Software";
}
