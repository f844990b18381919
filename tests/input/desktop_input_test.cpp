// Keys, pointer and buttons from a real X server (Xvfb) driven by xdotool, through both
// input paths: the input devices and the window system's key state.
#include "input/input_fixture.h"
#include "input/input_state.h"
#include "input/keyboard_state.h"
#include "platform/system/clock.h"
#include "platform/window_system/window_input.h"
#include "window/message_pump.h"

#include <cstdio>
#include <vector>

using namespace ror;

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

// Every key reads as the same key code on both paths: the code of its position on the
// board, whatever the layout calls it. Each key is pressed by the name the server's (US)
// layout gives it, which names exactly one physical key.
TEST_P(DesktopInputTest, EveryKeyReadsAsItsPositionsKeyCode)
{
    struct Key {
        const char* name;
        int keyCode;
    };
    std::vector<Key> keys = {
        {"Escape", 0x01},
        {"minus", 0x0C},
        {"equal", 0x0D},
        {"BackSpace", 0x0E},
        {"Tab", 0x0F},
        {"bracketleft", 0x1A},
        {"bracketright", 0x1B},
        {"Return", 0x1C},
        {"Control_L", 0x1D},
        {"semicolon", 0x27},
        {"apostrophe", 0x28},
        {"grave", 0x29},
        {"backslash", 0x2B},
        {"comma", 0x33},
        {"period", 0x34},
        {"slash", 0x35},
        {"KP_Multiply", 0x37},
        {"Alt_L", 0x38},
        {"space", 0x39},
        {"KP_Home", 0x47},
        {"KP_Up", 0x48},
        {"KP_Prior", 0x49},
        {"KP_Subtract", 0x4A},
        {"KP_Left", 0x4B},
        {"KP_Begin", 0x4C},
        {"KP_Right", 0x4D},
        {"KP_Add", 0x4E},
        {"KP_End", 0x4F},
        {"KP_Down", 0x50},
        {"KP_Next", 0x51},
        {"KP_Insert", 0x52},
        {"KP_Delete", 0x53},
        {"F11", 0x57},
        {"F12", 0x58},
        // (Right Control is left out: xdotool holds the left one with it.)
        {"KP_Enter", 0x9C},
        {"KP_Divide", 0xB5},
        {"Home", 0xC7},
        {"Up", 0xC8},
        {"Prior", 0xC9},
        {"Left", 0xCB},
        {"Right", 0xCD},
        {"End", 0xCF},
        {"Down", 0xD0},
        {"Next", 0xD1},
        {"Insert", 0xD2},
        {"Delete", 0xD3},
    };
    static const char* const kDigits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
    for (int i = 0; i < 10; ++i) keys.push_back({kDigits[i], 0x02 + i});
    static const char* const kLetterRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const int kRowStarts[] = {0x10, 0x1E, 0x2C};
    static std::string letters[26];
    int letter = 0;
    for (int row = 0; row < 3; ++row)
        for (int i = 0; kLetterRows[row][i]; ++i, ++letter) {
            letters[letter] = std::string(1, kLetterRows[row][i]);
            keys.push_back({letters[letter].c_str(), kRowStarts[row] + i});
        }
    static std::string functionKeys[10];
    for (int i = 0; i < 10; ++i) {
        functionKeys[i] = "F" + std::to_string(i + 1);
        keys.push_back({functionKeys[i].c_str(), 0x3B + i});
    }
    for (const Key& key : keys) {
        SCOPED_TRACE(key.name);
        Xdotool(std::string("keydown ") + key.name);
        EXPECT_TRUE(KeySettles(key.keyCode, 1));
        std::string others;
        for (int code = 0; code < 256; ++code)
            if (code != key.keyCode && IsKeyDown(code)) others += " " + std::to_string(code);
        EXPECT_EQ(others, "");
        Xdotool(std::string("keyup ") + key.name);
        EXPECT_TRUE(KeySettles(key.keyCode, 0));
    }
}

// Input events: what xdotool sends in a burst far shorter than a frame is all in the queue,
// in order, though the held states never showed it.
class DesktopEventsTest : public DesktopInputTest {
protected:
    void SetUp() override
    {
        DesktopInputTest::SetUp();
        PumpMessages();
        ClearInputEvents();
        ReadMouseWheel(nullptr, nullptr);
    }

    // Pumps until `count` events wait (or a second has passed) and takes them.
    static std::vector<InputEvent> TakeEvents(size_t count)
    {
        SettleUntil([&] { return GetInputEventCount() >= static_cast<int>(count); });
        std::vector<InputEvent> events;
        InputEvent event;
        while (ReadInputEvent(&event) == 0) events.push_back(event);
        return events;
    }

    // The events as "kind:code" words, for comparing a whole sequence at once.
    static std::string Words(const std::vector<InputEvent>& events)
    {
        std::string words;
        for (const InputEvent& event : events) {
            if (!words.empty()) words += " ";
            words += std::to_string(event.kind) + ":" + std::to_string(event.code);
        }
        return words;
    }
};

TEST_P(DesktopEventsTest, FiveQuickClicksAreAllQueuedInOrderWithTheirPlace)
{
    Xdotool("click --repeat 5 --delay 1 1");
    const std::vector<InputEvent> events = TakeEvents(10);
    EXPECT_EQ(Words(events), "3:1 4:1 3:1 4:1 3:1 4:1 3:1 4:1 3:1 4:1");
    for (const InputEvent& event : events) {
        EXPECT_EQ(event.x, 100);
        EXPECT_EQ(event.y, 50);
    }
    for (size_t i = 1; i < events.size(); ++i) EXPECT_GE(events[i].time - events[i - 1].time, 0);
    EXPECT_EQ(ReadMouseButtons(), 0) << "the held state ends released";
}

TEST_P(DesktopEventsTest, KeyTapsBetweenTwoFramesAreAllQueuedInOrder)
{
    Xdotool("key --delay 1 a s Escape Left");
    const std::vector<InputEvent> events = TakeEvents(8);
    EXPECT_EQ(Words(events), "1:30 2:30 1:31 2:31 1:1 2:1 1:203 2:203");
    for (const InputEvent& event : events) EXPECT_EQ(event.repeat, 0);
}

TEST_P(DesktopEventsTest, WheelButtonsRollBothWays)
{
    // X11 sends the wheel as buttons 4 (up), 5 (down), 6 (left) and 7 (right).
    Xdotool("click 4 click 4 click 5 click 7 click 6 click 6");
    const std::vector<InputEvent> events = TakeEvents(6);
    std::string rolls;
    for (const InputEvent& event : events) {
        EXPECT_EQ(event.kind, INPUT_EVENT_WHEEL);
        EXPECT_EQ(event.x, 100);
        rolls += " " + std::to_string(event.wheelX) + "," + std::to_string(event.wheelY);
    }
    EXPECT_EQ(rolls, " 0,1 0,1 0,-1 1,0 -1,0 -1,0");
    int32_t vertical = 0, horizontal = 0;
    ReadMouseWheel(&vertical, &horizontal);
    EXPECT_EQ(vertical, 1);
    EXPECT_EQ(horizontal, -1);
}

TEST_P(DesktopEventsTest, PointerMovesAreQueuedOnlyWhenAsked)
{
    // Waits until the window's own messages have seen the pointer there.
    auto seenAt = [](int32_t x, int32_t y) {
        SettleUntil([&] {
            Point point{};
            return GetPointerInClient(CoreState.MainWindow, &point) == 0 && point.x == x && point.y == y;
        });
    };
    MovePointerToClient(120, 60);
    seenAt(120, 60);
    EXPECT_EQ(GetInputEventCount(), 0);
    SetPointerMoveEvents(1);
    MovePointerToClient(130, 70);
    seenAt(130, 70);
    SetPointerMoveEvents(0);
    const std::vector<InputEvent> events = TakeEvents(1);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, INPUT_EVENT_POINTER_MOVE);
    EXPECT_EQ(events.back().x, 130);
    EXPECT_EQ(events.back().y, 70);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, DesktopEventsTest, ::testing::Values(Path::Devices, Path::WindowSystem),
                         [](const ::testing::TestParamInfo<Path>& info) {
                             return info.param == Path::Devices ? std::string("Devices") : std::string("WindowSystem");
                         });

INSTANTIATE_TEST_SUITE_P(BothPaths, DesktopInputTest, ::testing::Values(Path::Devices, Path::WindowSystem),
                         [](const ::testing::TestParamInfo<Path>& info) {
                             return info.param == Path::Devices ? std::string("Devices") : std::string("WindowSystem");
                         });

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
