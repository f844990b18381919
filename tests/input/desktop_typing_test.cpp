// Typing into an input line with real key events from an X server (Xvfb) driven by xdotool:
// ASCII, accented Latin and Japanese (xdotool types a character the keyboard lacks by mapping
// its key symbol onto a spare key for the moment), editing keys, Enter and Escape.
#include "input/input_fixture.h"
#include "platform/system/clock.h"

#include <filesystem>
#include <string>
#include <vector>

using namespace ror;

namespace {

const char* U(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class DesktopTypingTest : public InputTest {
protected:
    DesktopTypingTest() : InputTest("x11") {}

    void SetUp() override
    {
        InputTest::SetUp();
        ASSERT_EQ(Start(), 0);
        // Keys go to the window under the pointer (the server has no window manager).
        const Rect& client = CoreState.ClientRectOnScreen;
        Xdotool("mousemove " + std::to_string(client.left + 100) + " " + std::to_string(client.top + 50));
        line = CreateInputLine(40, 0);
        ASSERT_EQ(SetActiveInputLine(line), 0);
    }

    void TearDown() override
    {
        Xdotool("keyup Escape Return BackSpace");
        InputTest::TearDown();
        SetUseUtf8Texts(0);
    }

    static void Xdotool(const std::string& arguments)
    {
        const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    std::string Text() const
    {
        char text[256];
        GetInputLineText(line, text, sizeof text);
        return text;
    }

    // Pumps until the condition holds or the time has passed (the X server answers in its
    // own time); the caller checks the outcome.
    template <typename Condition>
    static void SettleUntil(Condition condition, uint32_t milliseconds = 2000)
    {
        const uint32_t start = SystemMilliseconds();
        while (!condition() && SystemMilliseconds() - start < milliseconds) {
            PumpMessages();
            SystemSleep(1);
        }
    }

    // Types the UTF-8 text while the test pumps. xdotool lends a spare key each character the
    // keyboard lacks and takes it back after the next one: the window system reads a key's
    // character when its event is taken, so the events are taken as they come (xdotool runs
    // beside the test, 150 ms between keys) and the text ends with a character the keyboard
    // has.
    void TypeWhilePumping(const std::string& utf8, const std::string& expected)
    {
        // xdotool leaves a mark when it is through, so that its last key is up (Shift too)
        // before the next text begins.
        std::filesystem::remove("typed");
        const std::string command = "((xdotool type --delay 150 '" + utf8 + "'; touch typed) >/dev/null 2>&1 &)";
        ASSERT_EQ(std::system(command.c_str()), 0);
        SettleUntil([&] { return std::filesystem::exists("typed") && Text() == expected; }, 10000);
    }

    int line = -1;
};

TEST_F(DesktopTypingTest, TextOfEveryKindReadsBackInTheTextMode)
{
    struct Case {
        const char* name;
        int utf8;
        const char* typed;  // UTF-8, as xdotool takes it
        std::string read;   // in the text mode
    };
    // Capital letters beyond ASCII are left out: a key symbol alone on a key reads as its
    // small letter, so xdotool's spare key cannot give them.
    const Case cases[] = {
        {"ASCII", 1, "Hello, World 42!", "Hello, World 42!"},
        {"accented Latin", 1, U(u8"café naïve ø!"), U(u8"café naïve ø!")},
        {"Japanese in UTF-8", 1, U(u8"日本語の名前 A"), U(u8"日本語の名前 A")},
        {"Japanese in cp932", 0, U(u8"山田ｱ A"), "\x8e\x52\x93\x63\xb1 A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUseUtf8Texts(c.utf8);
        SetInputLineText(line, "");
        TypeWhilePumping(c.typed, c.read);
        EXPECT_EQ(Text(), c.read);
    }
}

TEST_F(DesktopTypingTest, EditingKeysEditAndEnterOrEscapeEndTheLine)
{
    Xdotool("type abcd");
    SettleUntil([&] { return Text() == "abcd"; });
    ASSERT_EQ(Text(), "abcd");
    // All in one go: the keys keep their order among the typed text.
    Xdotool("key BackSpace Left Left Delete Home type X");
    Xdotool("key End type Y");
    SettleUntil([&] { return Text() == "XacY"; });
    EXPECT_EQ(Text(), "XacY");
    // Ctrl+V pastes through the X selection the window system holds.
    ASSERT_EQ(WriteClipboardText("-p"), 0);
    Xdotool("key ctrl+v");
    SettleUntil([&] { return Text() == "XacY-p"; });
    EXPECT_EQ(Text(), "XacY-p");

    const std::pair<const char*, int> ends[] = {{"Return", INPUT_LINE_DONE}, {"Escape", INPUT_LINE_CANCELLED}};
    for (auto [key, state] : ends) {
        SCOPED_TRACE(key);
        ASSERT_EQ(SetActiveInputLine(line), 0);
        Xdotool(std::string("key ") + key);
        SettleUntil([&] { return GetInputLineState(line) == state; });
        EXPECT_EQ(GetInputLineState(line), state);
        EXPECT_EQ(GetActiveInputLine(), -1);
        EXPECT_EQ(Text(), "XacY-p");
    }
}

}  // namespace
