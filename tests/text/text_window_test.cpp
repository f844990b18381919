// Text drawn on the software path arrives in a real window under Xvfb.
#include "graphics/window_fixture.h"

#include "core/core_state.h"
#include "graphics/software/memimg.h"
#include "graphics/screen_mode.h"

#include <cstring>

using namespace ror;

using TextWindowTest = WindowDrawingTest;

TEST_F(TextWindowTest, PrintedLinesArriveInTheWindowPixelForPixel)
{
    ASSERT_EQ(SetUseHardware(0), 0);
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    SetDrawTarget(-2);
    ClearScreen();
    const uint32_t white = PackColor(255, 255, 255);
    ASSERT_EQ(PrintTextFormat(608, 32, white, "MousePos(%3d,%3d)", 5, 7), 0);
    ASSERT_EQ(PrintText(16, 64, "日本語の表示：ひらがな、カタカナ。", PackColor(255, 255, 0)), 0);
    ASSERT_EQ(PresentScreen(), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    const Screenshot shot = Shot();
    ASSERT_GE(shot.width, client.left + 800);

    // Every pixel of both lines' bands, lit or not, is in the window as drawn.
    struct Band {
        int x1, y1, x2, y2;
        uint32_t expectedLit;  // the colour every lit pixel has
        int minLit;
    };
    const Band bands[] = {{600, 28, 800, 52, 0xFFFFFFu, 150}, {0, 60, 400, 84, 0xFFFF00u, 600}};
    for (const Band& band : bands) {
        int lit = 0, differing = 0;
        for (int y = band.y1; y < band.y2; ++y) {
            for (int x = band.x1; x < band.x2; ++x) {
                uint32_t drawn = 0;
                std::memcpy(&drawn, MemImgRow(&SoftScreen.screen, y) + x * 4, 4);
                int r = 0, g = 0, b = 0;
                UnpackColor(drawn, &r, &g, &b);
                const uint32_t rgb = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
                if (rgb != 0) {
                    ++lit;
                    EXPECT_EQ(rgb, band.expectedLit) << x << "," << y;
                }
                differing += shot.At(client.left + x, client.top + y) != rgb;
            }
        }
        EXPECT_GE(lit, band.minLit) << "band at y " << band.y1;
        EXPECT_EQ(differing, 0) << "band at y " << band.y1;
    }
}
