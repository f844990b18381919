// The screen fitted into a resizable window, a window scale, and the window over the whole
// desktop, on both drawing paths in a real window under Xvfb; mouse positions map back to the
// screen through the same placement.
#include "window_fixture.h"

#include "graphics/drawing_paths.h"

#include "core/core_state.h"
#include "graphics/window_link.h"
#include "platform/window_system/synthetic_events.h"
#include "platform/window_system/window.h"

#include <cmath>

using namespace ror;

namespace {

using WindowScalingTest = OnBothPaths<WindowDrawingTest>;

bool SamePlace(const PixelRect& a, const PixelRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The client area resized as a user's drag would leave it (no window manager under Xvfb: no frame).
void ResizeClient(int32_t width, int32_t height) { MoveWindow(CoreState.MainWindow, 10, 10, width, height, 1); }

PixelRect Placement()
{
    int x = -1, y = -1, width = -1, height = -1;
    EXPECT_EQ(GetScreenPlacement(&x, &y, &width, &height), 0);
    return PixelRect{x, y, x + width, y + height};
}

// A frame with a red top-left pixel, a green bottom-right one and blue between, presented.
void PresentMarkedFrame(int width, int height)
{
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    DrawRect(0, 0, width, height, PackColor(0, 0, 255), 1);
    DrawPoint(0, 0, PackColor(255, 0, 0));
    DrawPoint(width - 1, height - 1, PackColor(0, 255, 0));
    ASSERT_EQ(PresentScreen(), 0);
}

}  // namespace

TEST(ScreenFitTest, PlacesTheScreenCentredInTheArea)
{
    struct Case {
        int32_t width, height, areaWidth, areaHeight;
        int fit;
        PixelRect expected;
    } cases[] = {
        {640, 480, 640, 480, SCREEN_FIT_ASPECT, {0, 0, 640, 480}},
        {640, 480, 1000, 480, SCREEN_FIT_ASPECT, {180, 0, 820, 480}},  // bars left and right
        {640, 480, 640, 800, SCREEN_FIT_ASPECT, {0, 160, 640, 640}},   // bars above and below
        {640, 480, 1000, 900, SCREEN_FIT_ASPECT, {0, 75, 1000, 825}},  // 1.5625, rounded
        {640, 480, 1000, 900, SCREEN_FIT_INTEGER, {180, 210, 820, 690}},
        {640, 480, 1300, 1000, SCREEN_FIT_INTEGER, {10, 20, 1290, 980}},
        {640, 480, 320, 200, SCREEN_FIT_INTEGER, {26, 0, 293, 200}},  // not even 1 fits: the aspect fit
        {640, 480, 1, 1, SCREEN_FIT_ASPECT, {0, 0, 1, 1}},            // never empty
        {640, 480, 0, 0, SCREEN_FIT_ASPECT, {0, 0, 640, 480}},        // no area yet: as it is
    };
    for (const Case& c : cases) {
        const PixelRect placed = FitScreenIntoArea(c.width, c.height, c.areaWidth, c.areaHeight, c.fit);
        EXPECT_TRUE(SamePlace(placed, c.expected))
            << c.areaWidth << "x" << c.areaHeight << " fit " << c.fit << ": " << placed.left << "," << placed.top
            << " to " << placed.right << "," << placed.bottom;
    }
}

TEST_F(WindowDrawingTest, SettingsRefuseValuesOutOfRange)
{
    const double scale = CoreState.windowScale;
    for (double bad : {0.0, -1.0, 16.5, double(NAN), double(INFINITY)}) {
        EXPECT_EQ(SetWindowScale(bad), -1) << bad;
        EXPECT_EQ(CoreState.windowScale, scale);
    }
    for (int bad : {-1, 2, 100}) EXPECT_EQ(SetScreenFitMode(bad), -1) << bad;
    EXPECT_EQ(CoreState.screenFit, SCREEN_FIT_ASPECT);
    EXPECT_EQ(GetScreenPlacement(nullptr, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(SetHighDpiDrawing(1), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    EXPECT_EQ(SetHighDpiDrawing(0), -1);
    EXPECT_EQ(CoreState.highDpi, 1);
}

TEST_P(WindowScalingTest, ResizableWindowShowsTheScreenFittedBetweenBars)
{
    ASSERT_EQ(SetScreenMode(320, 240, 32, 60), 0);
    ASSERT_EQ(SetWindowResizable(1), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    struct Case {
        int fit;
        int32_t width, height;
        PixelRect expected;
    } cases[] = {
        {SCREEN_FIT_ASPECT, 700, 600, {0, 37, 700, 562}},
        {SCREEN_FIT_INTEGER, 700, 600, {30, 60, 670, 540}},
        {SCREEN_FIT_ASPECT, 1000, 480, {180, 0, 820, 480}},
        {SCREEN_FIT_INTEGER, 200, 100, {33, 0, 166, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fit " << c.fit << " in " << c.width << "x" << c.height);
        ASSERT_EQ(SetScreenFitMode(c.fit), 0);
        ResizeClient(c.width, c.height);
        Settle();
        const Rect client = CoreState.ClientRectOnScreen;
        // The window keeps the size it was given.
        EXPECT_EQ(client.right - client.left, c.width);
        EXPECT_EQ(client.bottom - client.top, c.height);
        const PixelRect p = c.expected;
        EXPECT_TRUE(SamePlace(Placement(), p));
        PresentMarkedFrame(320, 240);
        Settle();
        const Screenshot shot = Shot();
        auto at = [&](int x, int y) { return shot.At(client.left + x, client.top + y); };
        // Shrunk, single pixels may fall between the samples; grown, each shows.
        if (p.right - p.left >= 320) {
            EXPECT_EQ(at(p.left, p.top), 0xFF0000u);
            EXPECT_EQ(at(p.right - 1, p.bottom - 1), 0x00FF00u);
        }
        EXPECT_EQ(at((p.left + p.right) / 2, (p.top + p.bottom) / 2), 0x0000FFu);
        // The bars are black, whatever the window showed there before.
        const int middleX = (p.left + p.right) / 2, middleY = (p.top + p.bottom) / 2;
        if (p.left > 0) {
            EXPECT_EQ(at(p.left - 1, middleY), 0u);
            EXPECT_EQ(at(p.right, middleY), 0u);
        }
        if (p.top > 0) {
            EXPECT_EQ(at(middleX, p.top - 1), 0u);
            EXPECT_EQ(at(middleX, p.bottom), 0u);
        }
    }
    // Not resizable any more: back to the screen's size at the window scale.
    ASSERT_EQ(SetWindowResizable(0), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    EXPECT_EQ(client.right - client.left, 320);
    EXPECT_TRUE(SamePlace(Placement(), PixelRect{0, 0, 320, 240}));
}

TEST_P(WindowScalingTest, MouseMapsBackToTheScreenAlsoOutsideThePicture)
{
    ASSERT_EQ(SetScreenMode(320, 240, 32, 60), 0);
    ASSERT_EQ(SetWindowResizable(1), 0);
    ASSERT_EQ(SetScreenFitMode(SCREEN_FIT_INTEGER), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    ResizeClient(700, 600);  // the screen twice its size from (30, 60)
    Settle();
    ASSERT_TRUE(SamePlace(Placement(), PixelRect{30, 60, 670, 540}));
    struct Case {
        int32_t x, y, screenX, screenY;
    } cases[] = {
        {30, 60, 0, 0},       {31, 61, 0, 0},       {32, 62, 1, 1},       {29, 59, -1, -1},     {0, 0, -15, -30},
        {669, 539, 319, 239}, {670, 540, 320, 240}, {699, 599, 334, 269}, {350, 300, 160, 120},
    };
    ClearInputEvents();
    for (const Case& c : cases) {
        ASSERT_EQ(PushSyntheticButton(CoreState.MainWindow, 1, 1, c.x, c.y), 0);
        ASSERT_EQ(PushSyntheticButton(CoreState.MainWindow, 1, 0, c.x, c.y), 0);
    }
    Settle();
    for (const Case& c : cases) {
        InputEvent down{}, up{};
        ASSERT_EQ(ReadInputEvent(&down), 0);
        ASSERT_EQ(ReadInputEvent(&up), 0);
        EXPECT_EQ(down.kind, INPUT_EVENT_BUTTON_DOWN);
        EXPECT_EQ(down.x, c.screenX) << "client " << c.x << "," << c.y;
        EXPECT_EQ(down.y, c.screenY) << "client " << c.x << "," << c.y;
    }
}

TEST_P(WindowScalingTest, WindowScaleSizesTheWindowAndMapsTheMouse)
{
    ASSERT_EQ(SetScreenMode(320, 240, 32, 60), 0);
    ASSERT_EQ(SetHighDpiDrawing(1), 0);  // Xvfb is no high-DPI display: the same pixels
    ASSERT_EQ(InitMediaLayer(), 0);
    ASSERT_EQ(SetWindowScale(2.0), 0);
    Settle();
    const Rect client = CoreState.ClientRectOnScreen;
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    int width = 0, height = 0;
    EXPECT_EQ(GetWindowDrawableSize(&width, &height), 0);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_TRUE(SamePlace(Placement(), PixelRect{0, 0, 640, 480}));
    PresentMarkedFrame(320, 240);
    Settle();
    const Screenshot shot = Shot();
    EXPECT_EQ(shot.At(client.left + 1, client.top + 1), 0xFF0000u);
    EXPECT_EQ(shot.At(client.left + 2, client.top + 2), 0x0000FFu);
    EXPECT_EQ(shot.At(client.left + 638, client.top + 478), 0x00FF00u);
    ClearInputEvents();
    ASSERT_EQ(PushSyntheticButton(CoreState.MainWindow, 1, 1, 3, 5), 0);
    Settle();
    InputEvent event{};
    ASSERT_EQ(ReadInputEvent(&event), 0);
    EXPECT_EQ(event.x, 1);
    EXPECT_EQ(event.y, 2);
}

TEST_P(WindowScalingTest, DesktopFullScreenCoversTheDesktopAndRestoresTheWindow)
{
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(InitMediaLayer(), 0);
    const int graphic = CreateBlankGraphic(16, 16);
    ASSERT_GT(graphic, 0);
    Settle();
    const Rect before = CoreState.ClientRectOnScreen;
    const int32_t desktopWidth = CoreState.desktopWidth, desktopHeight = CoreState.desktopHeight;

    struct Case {
        int fit;
        PixelRect expected;  // for the 1280 x 1024 desktop of the test command
    } cases[] = {{SCREEN_FIT_ASPECT, {0, 32, 1280, 992}}, {SCREEN_FIT_INTEGER, {240, 212, 1040, 812}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fit " << c.fit);
        ASSERT_EQ(SetScreenFitMode(c.fit), 0);
        ASSERT_EQ(SetDesktopFullScreen(1), 0);
        Settle();
        EXPECT_EQ(CoreState.Windowed, 1);
        EXPECT_EQ(WindowShowsFrame(CoreState.MainWindow), 0);
        int width = 0, height = 0;
        EXPECT_EQ(GetWindowDrawableSize(&width, &height), 0);
        EXPECT_EQ(width, desktopWidth);
        EXPECT_EQ(height, desktopHeight);
        const PixelRect p = Placement();
        if (desktopWidth == 1280 && desktopHeight == 1024) {
            EXPECT_TRUE(SamePlace(p, c.expected));
        }
        PresentMarkedFrame(800, 600);
        Settle();
        const Screenshot shot = Shot();
        EXPECT_EQ(shot.At(p.left, p.top), 0xFF0000u);
        EXPECT_EQ(shot.At(p.right - 1, p.bottom - 1), 0x00FF00u);
        EXPECT_EQ(shot.At(desktopWidth / 2, p.top - 1), 0u);
        EXPECT_EQ(shot.At(desktopWidth / 2, p.bottom), 0u);
        // A mouse click at the picture's centre is the screen's centre.
        ClearInputEvents();
        ASSERT_EQ(PushSyntheticButton(CoreState.MainWindow, 1, 1, (p.left + p.right) / 2, (p.top + p.bottom) / 2), 0);
        Settle();
        InputEvent event{};
        ASSERT_EQ(ReadInputEvent(&event), 0);
        EXPECT_EQ(event.x, 400);
        EXPECT_EQ(event.y, 300);

        ASSERT_EQ(SetDesktopFullScreen(0), 0);
        Settle();
        const Rect after = CoreState.ClientRectOnScreen;
        EXPECT_EQ(after.left, before.left);
        EXPECT_EQ(after.top, before.top);
        EXPECT_EQ(after.right, before.right);
        EXPECT_EQ(after.bottom, before.bottom);
        EXPECT_TRUE(SamePlace(Placement(), PixelRect{0, 0, 800, 600}));
    }
    // No mode change happened: the graphic lives on.
    int width = 0, height = 0;
    EXPECT_EQ(GetGraphicSize(graphic, &width, &height), 0);
    EXPECT_EQ(width, 16);
    PresentMarkedFrame(800, 600);
    Settle();
    const Screenshot shot = Shot();
    EXPECT_EQ(shot.At(before.left, before.top), 0xFF0000u);
    EXPECT_EQ(shot.At(before.left + 799, before.top + 599), 0x00FF00u);
}

INSTANTIATE_ON_BOTH_PATHS(WindowScalingTest);
