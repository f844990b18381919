// One fixture parameter for the drawing path: the device path on the GL (llvmpipe accepted, as
// under Xvfb) or the software path. Choose() before start-up, Restore() after the layer ended.
#pragma once
#include "rorodiv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class DrawingPathChoice {
public:
    void Choose(bool device)
    {
        const char* accept = std::getenv("ROR_ACCEPT_CPU_GL");
        hadAccept = accept != nullptr;
        if (hadAccept) savedAccept = accept;
        setenv("ROR_ACCEPT_CPU_GL", device ? "1" : "0", 1);
        SetUseHardware(device ? 1 : 0);
    }

    void Restore()
    {
        SetUseHardware(1);
        if (hadAccept)
            setenv("ROR_ACCEPT_CPU_GL", savedAccept.c_str(), 1);
        else
            unsetenv("ROR_ACCEPT_CPU_GL");
    }

private:
    std::string savedAccept;
    bool hadAccept = false;
};

inline std::string DrawingPathName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Device" : "Software";
}

#define INSTANTIATE_ON_BOTH_PATHS(suite)                                                                               \
    INSTANTIATE_TEST_SUITE_P(BothPaths, suite, ::testing::Values(false, true), DrawingPathName)
