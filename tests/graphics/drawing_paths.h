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
        chosen = true;
    }

    void Restore()
    {
        if (!chosen) return;  // a test skipped before its set-up chose
        chosen = false;
        SetUseHardware(1);
        if (hadAccept)
            setenv("ROR_ACCEPT_CPU_GL", savedAccept.c_str(), 1);
        else
            unsetenv("ROR_ACCEPT_CPU_GL");
    }

private:
    std::string savedAccept;
    bool hadAccept = false;
    bool chosen = false;
};

// A fixture run on both paths: the parameter (true for the device path) chosen after the
// base's set-up and given back after its tear-down.
template <class Base>
class OnBothPaths : public Base, public ::testing::WithParamInterface<bool> {
protected:
    using Base::Base;
    void SetUp() override
    {
        Base::SetUp();
        path.Choose(this->GetParam());
    }
    void TearDown() override
    {
        Base::TearDown();
        path.Restore();
    }
    // Whether the running layer is on the path of the parameter.
    bool PathInUse() const
    {
        return GetDrawingPath() == (this->GetParam() ? DRAWING_PATH_HARDWARE : DRAWING_PATH_SOFTWARE);
    }
    DrawingPathChoice path;
};

inline std::string DrawingPathName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Device" : "Software";
}

#define INSTANTIATE_ON_BOTH_PATHS(suite)                                                                               \
    INSTANTIATE_TEST_SUITE_P(BothPaths, suite, ::testing::Values(false, true), DrawingPathName)
