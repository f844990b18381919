// The walks over the failures that only the hardware path meets: the real window under the X
// server, Mesa's CPU rasteriser accepted (ROR_ACCEPT_CPU_GL=1). A GL context that cannot be
// made sends the layer to the software path; a GL window that cannot be made is made again
// without GL. Every run must go on (or fail its start-up with its line), never crash, hang or
// leak (startup_fault_walk.h).
#include "core/startup_fault_walk.h"

#include <cstdlib>
#include <string>

using namespace ror;

namespace {

class GlContextFaultTest : public StartupFaultTest {
protected:
    GlContextFaultTest() { videoDriver = "x11"; }

    void SetUp() override
    {
        const char* accept = std::getenv("ROR_ACCEPT_CPU_GL");
        hadAccept = accept != nullptr;
        if (accept) savedAccept = accept;
        setenv("ROR_ACCEPT_CPU_GL", "1", 1);
        StartupFaultTest::SetUp();
    }

    void TearDown() override
    {
        StartupFaultTest::TearDown();
        if (hadAccept)
            setenv("ROR_ACCEPT_CPU_GL", savedAccept.c_str(), 1);
        else
            unsetenv("ROR_ACCEPT_CPU_GL");
    }

    bool hadAccept = false;
    std::string savedAccept;
};

TEST_F(GlContextFaultTest, EveryGlContext)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
    if (Walk({false, PlatformService::GlContext}) == 0 && !HasFailure())
        GTEST_SKIP() << "no run made a GL context: no OpenGL 3.3 under this X server";
}

TEST_F(GlContextFaultTest, EveryWindowCreationOnTheHardwarePath)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
    Walk({false, PlatformService::Window});
}

}  // namespace
