// The input event queue and the wheel, fed with events put into the window system's queue:
// order, positions, the flood between two frames and what is kept of it.
#include "input/input_events.h"
#include "input/input_fixture.h"
#include "platform/window_system/synthetic_events.h"

#include <vector>

using namespace ror;

namespace {

class InputEventsTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        ASSERT_EQ(Start(), 0);
        PumpMessages();
        ClearInputEvents();
        ReadMouseWheel(nullptr, nullptr);
    }

    static std::vector<InputEvent> TakeAll()
    {
        std::vector<InputEvent> events;
        InputEvent event;
        while (ReadInputEvent(&event) == 0) events.push_back(event);
        return events;
    }
};

// Ten thousand events between two frames: every one reaches the queue or the drop count,
// the queue keeps the newest 1024 in their order and its memory stays the same.
TEST_F(InputEventsTest, AFloodKeepsTheNewestAndCountsTheRest)
{
    constexpr int kFlood = 10000;
    static constexpr int kKeys[] = {KEYCODE_A, KEYCODE_S, KEYCODE_LEFT, KEYCODE_RETURN};
    auto keyOf = [](int i) { return kKeys[i % 4]; };
    auto downOf = [](int i) { return (i / 4) % 2 == 0; };
    for (int i = 0; i < kFlood; ++i) ASSERT_EQ(PushSyntheticKey(CoreState.MainWindow, keyOf(i), downOf(i)), 0) << i;
    const int32_t before = NowMilliseconds();
    PumpMessages();
    EXPECT_EQ(GetInputEventCount(), kInputEventCapacity);
    EXPECT_EQ(GetDroppedInputEventCount(), kFlood - kInputEventCapacity) << "every event was queued or counted";
    EXPECT_EQ(sizeof InputEvents.events, kInputEventCapacity * sizeof(InputEvent));

    const std::vector<InputEvent> events = TakeAll();
    ASSERT_EQ(events.size(), size_t(kInputEventCapacity));
    int mismatches = 0;
    for (int k = 0; k < kInputEventCapacity; ++k) {
        const int i = kFlood - kInputEventCapacity + k;
        const InputEvent& event = events[k];
        const int kind = downOf(i) ? INPUT_EVENT_KEY_DOWN : INPUT_EVENT_KEY_UP;
        if (event.kind != kind || event.code != keyOf(i)) {
            if (++mismatches < 5) ADD_FAILURE() << "event " << i << ": kind " << event.kind << " code " << event.code;
        }
        EXPECT_LE(((event.time - before) & 0x7FFFFFFF), 1000) << i;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(GetInputEventCount(), 0);
    InputEvent none{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(ReadInputEvent(&none), -1);
    EXPECT_EQ(none.kind, INPUT_EVENT_NONE);
    EXPECT_EQ(ReadInputEvent(nullptr), -1);
    EXPECT_EQ(ClearInputEvents(), 0);
    EXPECT_EQ(GetDroppedInputEventCount(), 0);
}

TEST_F(InputEventsTest, KeysCarryTheirCodesAndRepeats)
{
    struct Case {
        int keyCode, down, kind, repeat;
    };
    const Case cases[] = {
        {KEYCODE_ESCAPE, 1, INPUT_EVENT_KEY_DOWN, 0}, {KEYCODE_ESCAPE, 1, INPUT_EVENT_KEY_DOWN, 1},
        {KEYCODE_ESCAPE, 0, INPUT_EVENT_KEY_UP, 0},   {KEYCODE_RIGHT, 1, INPUT_EVENT_KEY_DOWN, 0},
        {KEYCODE_LALT, 1, INPUT_EVENT_KEY_DOWN, 0},   {KEYCODE_X, 1, INPUT_EVENT_KEY_DOWN, 0},
        {KEYCODE_X, 0, INPUT_EVENT_KEY_UP, 0},        {KEYCODE_LALT, 0, INPUT_EVENT_KEY_UP, 0},
        {KEYCODE_RIGHT, 0, INPUT_EVENT_KEY_UP, 0},    {KEYCODE_NUMPADENTER, 1, INPUT_EVENT_KEY_DOWN, 0},
    };
    for (const Case& c : cases) ASSERT_EQ(PushSyntheticKey(CoreState.MainWindow, c.keyCode, c.down), 0);
    PumpMessages();
    const std::vector<InputEvent> events = TakeAll();
    ASSERT_EQ(events.size(), std::size(cases));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].kind, cases[i].kind);
        EXPECT_EQ(events[i].code, cases[i].keyCode) << "Alt held: system keys are events too";
        EXPECT_EQ(events[i].repeat, cases[i].repeat);
    }
    PushSyntheticKey(CoreState.MainWindow, KEYCODE_NUMPADENTER, 0);
}

TEST_F(InputEventsTest, ButtonsCarryTheirPositionOnTheDrawingSurface)
{
    struct Case {
        int sdlButton, down;
        int32_t x, y;
        double scale;
        int kind, code;
        int32_t surfaceX, surfaceY;
    };
    const Case cases[] = {
        {1, 1, 40, 30, 1.0, INPUT_EVENT_BUTTON_DOWN, MOUSE_LEFT, 40, 30},
        {1, 0, 41, 31, 1.0, INPUT_EVENT_BUTTON_UP, MOUSE_LEFT, 41, 31},
        {3, 1, 100, 50, 2.0, INPUT_EVENT_BUTTON_DOWN, MOUSE_RIGHT, 50, 25},
        {3, 0, 101, 51, 2.0, INPUT_EVENT_BUTTON_UP, MOUSE_RIGHT, 50, 25},
        {2, 1, -4, 7, 1.5, INPUT_EVENT_BUTTON_DOWN, MOUSE_MIDDLE, -2, 4},
        {2, 0, 0, 0, 1.0, INPUT_EVENT_BUTTON_UP, MOUSE_MIDDLE, 0, 0},
        {4, 1, 5, 6, 1.0, INPUT_EVENT_BUTTON_DOWN, 8, 5, 6},
        {5, 0, 5, 6, 1.0, INPUT_EVENT_BUTTON_UP, 16, 5, 6},
    };
    // One at a time: the scale applies when the message is handled.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sdlButton * 10 + c.down);
        CoreState.windowScale = c.scale;
        ASSERT_EQ(PushSyntheticButton(CoreState.MainWindow, c.sdlButton, c.down, c.x, c.y), 0);
        PumpMessages();
        const std::vector<InputEvent> events = TakeAll();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, c.kind);
        EXPECT_EQ(events[0].code, c.code);
        EXPECT_EQ(events[0].x, c.surfaceX);
        EXPECT_EQ(events[0].y, c.surfaceY);
    }
    CoreState.windowScale = 1.0;
}

TEST_F(InputEventsTest, WheelRollsAreEventsAndAnAmountUntilRead)
{
    struct Roll {
        int32_t x, y;
    };
    const Roll rolls[] = {{0, 2}, {3, 0}, {0, -1}, {-1, 1}};
    for (const Roll& roll : rolls) ASSERT_EQ(PushSyntheticWheel(CoreState.MainWindow, roll.x, roll.y), 0);
    PumpMessages();
    // A roll in both directions at once is two events, the vertical first.
    const std::vector<InputEvent> events = TakeAll();
    const Roll expected[] = {{0, 2}, {3, 0}, {0, -1}, {0, 1}, {-1, 0}};
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].kind, INPUT_EVENT_WHEEL);
        EXPECT_EQ(events[i].wheelX, expected[i].x);
        EXPECT_EQ(events[i].wheelY, expected[i].y);
    }
    int32_t vertical = 0, horizontal = 0;
    EXPECT_EQ(ReadMouseWheel(&vertical, &horizontal), 0);
    EXPECT_EQ(vertical, 2);
    EXPECT_EQ(horizontal, 2);
    ReadMouseWheel(&vertical, &horizontal);
    EXPECT_EQ(vertical, 0) << "the amount is read once";
    EXPECT_EQ(horizontal, 0);

    // A roll too large for the message's 16 bits is cut, not wrapped to the other way.
    ASSERT_EQ(PushSyntheticWheel(CoreState.MainWindow, 0, 1000), 0);
    PumpMessages();
    ReadMouseWheel(&vertical, nullptr);
    EXPECT_EQ(vertical, 32767 / 120);
}

TEST_F(InputEventsTest, ShutdownEmptiesTheQueueAndKeepsTheMoveSetting)
{
    SetPointerMoveEvents(1);
    ASSERT_EQ(PushSyntheticKey(CoreState.MainWindow, KEYCODE_A, 1), 0);
    PumpMessages();
    EXPECT_EQ(GetInputEventCount(), 1);
    EndMediaLayer();
    EXPECT_EQ(GetInputEventCount(), 0);
    EXPECT_EQ(InputEvents.pointerMoves, 1);
    SetPointerMoveEvents(0);
    EXPECT_EQ(InputEvents.pointerMoves, 0);
}

}  // namespace
