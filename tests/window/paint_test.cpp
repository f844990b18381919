// What the main window shows when the window system asks it to paint, on a real X server.
#include "window/media_layer_fixture.h"

#include "graphics/drawing_paths.h"
#include "graphics/screenshot.h"
#include "platform/system/clock.h"
#include "platform/window_system/window.h"
#include "window/window_procedure.h"

#include <cstdio>

using namespace ror;

namespace {

class PaintTest : public OnBothPaths<MediaLayerTest> {
protected:
    PaintTest() : OnBothPaths<MediaLayerTest>("x11") {}
    void SetUp() override
    {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        OnBothPaths<MediaLayerTest>::SetUp();
    }

    // Whether the centre pixel of the main window, as the X server shows it, becomes `wanted`
    // (the server draws in its own time); the last value read goes to *seen.
    bool CentreBecomes(uint32_t wanted, uint32_t* seen)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            *seen = CentrePixel();
            if (*seen == wanted) return true;
            SystemSleep(50);
        }
        return false;
    }

    uint32_t CentrePixel()
    {
        std::string id;
        FILE* pipe = popen(("xdotool search --name '^" + title + "$' 2>/dev/null | head -1").c_str(), "r");
        char line[64] = {};
        if (pipe && fgets(line, sizeof line, pipe)) id = std::string(line, strcspn(line, "\n"));
        if (pipe) pclose(pipe);
        Screenshot shot;
        if (id.empty() || !TakeScreenshot(folder / "shot.ppm", &shot, id)) return 0xDEADBEEF;
        return shot.At(shot.width / 2, shot.height / 2);
    }
};

TEST_P(PaintTest, BeforeStartUpThePaintedAreaIsBlack)
{
    ASSERT_EQ(Start(), 0);
    ASSERT_TRUE(PathInUse());
    ASSERT_EQ(DrawRect(0, 0, 640, 480, PackColor(255, 255, 255), 1), 0);
    ASSERT_EQ(PresentScreen(), 0);
    uint32_t seen = 0;
    ASSERT_TRUE(CentreBecomes(0xFFFFFF, &seen)) << std::hex << seen;

    // The window step shows the window before the layer has started.
    CoreState.Started = 0;
    MainWindowProcedure(CoreState.MainWindow, WM_PAINT, 0, 0);
    CoreState.Started = 1;
    EXPECT_TRUE(CentreBecomes(0, &seen)) << std::hex << seen;
}

INSTANTIATE_ON_BOTH_PATHS(PaintTest);

}  // namespace
