// Keys, pointer and buttons from a real X server (Xvfb) driven by xdotool, through both
// input paths: the input devices and the window system's key state.
#include "input/input_fixture.h"
#include "input/input_state.h"
#include "input/keyboard_state.h"
#include "platform/clock.h"
#include "platform/window_input.h"
#include "window/message_pump.h"

#include <cstdio>

namespace {

// Which input path a test runs on.
enum class Path { Devices, WindowSystem };

class DesktopInputTest : public InputTest, public ::testing::WithParamInterface<Path> {
protected:
    DesktopInputTest() : InputTest("x11") {}

    void SetUp() override
    {
        InputTest::SetUp();
        if (GetParam() == Path::WindowSystem) SetInputDevicesEnabled(0);
        ASSERT_EQ(Start(), 0);
        ASSERT_EQ(InputState.directInput,
                  GetParam() == Path::Devices ? InputObject::Devices : InputObject::WindowSystem);
        // Keys go to the window under the pointer (the server has no window manager).
        MovePointerToClient(100, 50);
    }

    void TearDown() override
    {
        Xdotool("keyup Escape a Return Num_Lock Shift_R");
        Xdotool("mouseup 1 mouseup 2 mouseup 3");
        InputTest::TearDown();
    }

    static void Xdotool(const std::string& arguments)
    {
        const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    void MovePointerToClient(int x, int y)
    {
        const Rect& client = CoreState.ClientRectOnScreen;
        Xdotool("mousemove " + std::to_string(client.left + x) + " " + std::to_string(client.top + y));
        SettleUntil([&] {
            int32_t readX = 0, readY = 0;
            ReadMousePosition(&readX, &readY);
            return readX == x && readY == y;
        });
    }

    // Pumps until the condition holds or a second has passed (the X server answers in its
    // own time); the caller checks the outcome.
    template <typename Condition>
    static void SettleUntil(Condition condition)
    {
        const uint32_t start = SystemMilliseconds();
        while (!condition() && SystemMilliseconds() - start < 1000) {
            PumpMessages();
            SystemSleep(1);
        }
    }

    static bool KeySettles(int keyCode, int held)
    {
        SettleUntil([&] { return IsKeyDown(keyCode) == held; });
        return IsKeyDown(keyCode) == held;
    }

    static bool ButtonsSettle(int buttons)
    {
        SettleUntil([&] { return ReadMouseButtons() == buttons; });
        return ReadMouseButtons() == buttons;
    }
};

TEST_P(DesktopInputTest, EscapeAndALetterReadWhileHeld)
{
    EXPECT_EQ(IsKeyDown(KEYCODE_ESCAPE), 0);
    Xdotool("keydown Escape");
    EXPECT_TRUE(KeySettles(KEYCODE_ESCAPE, 1));
    EXPECT_EQ(IsKeyDown(KEYCODE_A), 0);
    Xdotool("keyup Escape");
    EXPECT_TRUE(KeySettles(KEYCODE_ESCAPE, 0));

    Xdotool("keydown a");
    EXPECT_TRUE(KeySettles(KEYCODE_A, 1));
    EXPECT_EQ(IsKeyDown(KEYCODE_S), 0);
    Xdotool("keyup a");
    EXPECT_TRUE(KeySettles(KEYCODE_A, 0));
}

TEST_P(DesktopInputTest, AShortPressIsSeenAndThenReleased)
{
    // One press and release by xdotool, held long enough for several refreshes.
    ASSERT_EQ(std::system("(xdotool keydown Escape sleep 0.3 keyup Escape >/dev/null 2>&1 &)"), 0);
    EXPECT_TRUE(KeySettles(KEYCODE_ESCAPE, 1));
    EXPECT_TRUE(KeySettles(KEYCODE_ESCAPE, 0));
}

TEST_P(DesktopInputTest, PointerReadsRelativeToTheClientArea)
{
    const Rect& client = CoreState.ClientRectOnScreen;
    int32_t x = -1, y = -1;
    ReadMousePosition(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);

    MovePointerToClient(321, 123);
    ReadMousePosition(&x, &y);
    EXPECT_EQ(x, 321);
    EXPECT_EQ(y, 123);

    // With the window scale the position shrinks, truncated toward zero.
    CoreState.windowScale = 2.0;
    MovePointerToClient(101, 0);
    ReadMousePosition(&x, &y);
    EXPECT_EQ(x, 101 / 2) << "scale 2.0 reads half";
    CoreState.windowScale = 1.0;

    // In full-screen mode the position is the pointer's screen position.
    CoreState.Windowed = 0;
    ReadMousePosition(&x, &y);
    CoreState.Windowed = 1;
    EXPECT_EQ(x, client.left + 101);
    EXPECT_EQ(y, client.top + 0);

    EXPECT_EQ(ReadMousePosition(nullptr, nullptr), 0);
}

TEST_P(DesktopInputTest, PointerOutsideTheWindowIsNotClamped)
{
    const Rect& client = CoreState.ClientRectOnScreen;
    const int32_t width = client.right - client.left, height = client.bottom - client.top;
    struct Case {
        int32_t x, y;
    };
    for (const Case c : {Case{width + 60, height + 20}, Case{-20, -10}, Case{width / 2, -5}, Case{10, 20}}) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        MovePointerToClient(c.x, c.y);
        int32_t x = 0, y = 0;
        ReadMousePosition(&x, &y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
}

TEST_P(DesktopInputTest, ButtonsReadWhileHeld)
{
    EXPECT_EQ(ReadMouseButtons(), 0);
    struct Case {
        int xButton;
        int bit;
    };
    for (const Case& button : {Case{1, MOUSE_LEFT}, Case{3, MOUSE_RIGHT}, Case{2, MOUSE_MIDDLE}}) {
        Xdotool("mousedown " + std::to_string(button.xButton));
        EXPECT_TRUE(ButtonsSettle(button.bit)) << "button " << button.xButton;
        Xdotool("mouseup " + std::to_string(button.xButton));
        EXPECT_TRUE(ButtonsSettle(0)) << "button " << button.xButton;
    }
    Xdotool("mousedown 1 mousedown 3");
    EXPECT_TRUE(ButtonsSettle(MOUSE_LEFT | MOUSE_RIGHT));
}

TEST_P(DesktopInputTest, RightShiftFollowsTheWindowSystem)
{
    Xdotool("keydown Shift_R");
    // (xdotool may hold the left Shift with it, to reach the key's symbol.)
    EXPECT_TRUE(KeySettles(KEYCODE_RSHIFT, 1));
    Xdotool("keyup Shift_R");
    EXPECT_TRUE(KeySettles(KEYCODE_RSHIFT, 0));
}

INSTANTIATE_TEST_SUITE_P(BothPaths, DesktopInputTest, ::testing::Values(Path::Devices, Path::WindowSystem),
                         [](const ::testing::TestParamInfo<Path>& info) {
                             return info.param == Path::Devices ? std::string("Devices") : std::string("WindowSystem");
                         });

class WindowSystemKeysTest : public DesktopInputTest {};

TEST_P(WindowSystemKeysTest, ReturnStandsForKeypadEnterAndNumLockNeverReads)
{
    Xdotool("keydown Return");
    EXPECT_TRUE(KeySettles(KEYCODE_RETURN, 1));
    EXPECT_EQ(IsKeyDown(KEYCODE_NUMPADENTER), 1);
    Xdotool("keyup Return");
    EXPECT_TRUE(KeySettles(KEYCODE_RETURN, 0));
    EXPECT_EQ(IsKeyDown(KEYCODE_NUMPADENTER), 0);

    // Num Lock is held in the window system's state, yet its key code never reads.
    Xdotool("keydown Num_Lock");
    uint8_t windowState[256] = {};
    SettleUntil([&] {
        GetKeyboardState(windowState);
        return (windowState[0x90] & 0x80) != 0;
    });
    EXPECT_NE(windowState[0x90] & 0x80, 0);
    EXPECT_EQ(IsKeyDown(KEYCODE_NUMLOCK), 0);
    Xdotool("keyup Num_Lock");
}

INSTANTIATE_TEST_SUITE_P(WindowSystem, WindowSystemKeysTest, ::testing::Values(Path::WindowSystem));

class DeviceKeysTest : public DesktopInputTest {};

TEST_P(DeviceKeysTest, AKeyboardThatCannotBeReadKeepsTheLastState)
{
    Xdotool("keydown a");
    ASSERT_TRUE(KeySettles(KEYCODE_A, 1));
    SetInputFaultsForTest(kFaultKeyboardRead);
    Xdotool("keyup a");
    SettleUntil([] { return false; });  // the release arrives meanwhile
    EXPECT_EQ(IsKeyDown(KEYCODE_A), 1) << "a failed refresh keeps the keys held at the last good one";
    SetInputFaultsForTest(0);
    EXPECT_TRUE(KeySettles(KEYCODE_A, 0));
}

TEST_P(DeviceKeysTest, AMouseThatCannotBeReadHoldsNoButton)
{
    Xdotool("mousedown 1");
    ASSERT_TRUE(ButtonsSettle(MOUSE_LEFT));
    SetInputFaultsForTest(kFaultMouseRead);
    EXPECT_EQ(ReadMouseButtons(), 0);
    SetInputFaultsForTest(0);
    EXPECT_EQ(ReadMouseButtons(), MOUSE_LEFT);
}

INSTANTIATE_TEST_SUITE_P(Devices, DeviceKeysTest, ::testing::Values(Path::Devices));

}  // namespace
