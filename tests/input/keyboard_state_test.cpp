// The key state table: how often it is refreshed.
#include "input/input_fixture.h"
#include "input/input_state.h"
#include "input/keyboard_state.h"
#include "platform/system/clock.h"

using namespace ror;

namespace {

class KeyRefreshTest : public InputTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        SetInputDevicesEnabled(GetParam());
        ASSERT_EQ(Start(), 0);
    }
};

TEST_P(KeyRefreshTest, TwoQueriesInOneMillisecondRefreshOnce)
{
    // Look for a refresh that opened a new millisecond and a second query within it.
    bool seen = false;
    for (int attempt = 0; attempt < 1000 && !seen; ++attempt) {
        const uint32_t before = SystemMilliseconds();
        const int first = RefreshKeyState();
        const int second = RefreshKeyState();
        if (first == 1 && SystemMilliseconds() == before) {
            EXPECT_EQ(second, 0);
            seen = true;
        }
        SystemSleep(1);
    }
    EXPECT_TRUE(seen);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, KeyRefreshTest, ::testing::Values(1, 0));

class KeyboardEventTest : public InputTest {};

TEST_F(KeyboardEventTest, AChangeOfTheKeyboardRefreshesWithinTheMillisecond)
{
    ASSERT_EQ(Start(), 0);
    ASSERT_NE(InputState.keyboardEvent, nullptr);
    bool seen = false;
    for (int attempt = 0; attempt < 1000 && !seen; ++attempt) {
        const uint32_t before = SystemMilliseconds();
        if (RefreshKeyState() != 1) continue;
        SignalEvent(*InputState.keyboardEvent);
        const int second = RefreshKeyState();
        if (SystemMilliseconds() != before) continue;
        EXPECT_EQ(second, 1);
        EXPECT_EQ(WaitEventFor(*InputState.keyboardEvent, 0), 0) << "the refresh resets the event";
        seen = true;
    }
    EXPECT_TRUE(seen);
}

TEST_F(KeyboardEventTest, KeyCodesOutsideTheTableReadAsReleased)
{
    ASSERT_EQ(Start(), 0);
    InputState.keyState[0] = 0x80;
    InputState.keyState[255] = 0x80;
    EXPECT_EQ(IsKeyDown(-1), 0);
    EXPECT_EQ(IsKeyDown(256), 0);
    EXPECT_EQ(IsKeyDown(0x7FFFFFFF), 0);
}

}  // namespace
