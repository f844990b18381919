// The key state table: the window system's translation table, and how often it is refreshed.
#include "input/input_fixture.h"
#include "input/input_state.h"
#include "input/keyboard_state.h"
#include "platform/clock.h"

#include <set>

namespace {

TEST(VirtualKeyTableTest, HoldsTheNinetyNinePairsInOrder)
{
    const auto table = VirtualKeyTable();
    ASSERT_EQ(table.size(), 99u);
    EXPECT_EQ(table.front().virtualKey, 0x41);
    EXPECT_EQ(table.front().keyCode, 0x1E);
    EXPECT_EQ(table.back().virtualKey, 0x7B);
    EXPECT_EQ(table.back().keyCode, 0x58);

    struct Pair {
        uint16_t virtualKey, keyCode;
    };
    for (const Pair& wanted : {Pair{0x1B, KEYCODE_ESCAPE}, Pair{0x26, KEYCODE_UP}, Pair{0x5A, KEYCODE_Z},
                               Pair{0x30, KEYCODE_0}, Pair{0xA1, KEYCODE_RSHIFT}, Pair{0x7A, KEYCODE_F11},
                               Pair{0xDC, KEYCODE_YEN}, Pair{0x6F, KEYCODE_DIVIDE}}) {
        int found = 0;
        for (const VirtualKeyPair& pair : table) found += pair.virtualKey == wanted.virtualKey && pair.keyCode == wanted.keyCode;
        EXPECT_EQ(found, 1) << std::hex << wanted.virtualKey;
    }

    // Only Return is listed twice; no key code is written twice; Num Lock is absent.
    std::set<uint16_t> virtualKeys, keyCodes;
    for (const VirtualKeyPair& pair : table) {
        if (!virtualKeys.insert(pair.virtualKey).second) {
            EXPECT_EQ(pair.virtualKey, 0x0D);
        }
        EXPECT_TRUE(keyCodes.insert(pair.keyCode).second) << std::hex << pair.keyCode;
        EXPECT_NE(pair.keyCode, KEYCODE_NUMLOCK);
    }
    EXPECT_EQ(virtualKeys.size(), 98u);
}

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
