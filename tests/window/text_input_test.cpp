// Typing: the character buffer in both text modes, input lines edited by typed text and
// keys put into the window system's queue, the input method's composition and the
// clipboard. No input method runs here (nor under Xvfb): compositions are injected as the
// window system's text-editing events. Real key presses are in desktop_typing_test.cpp.
#include "window/media_layer_fixture.h"

#include "core/text_encoding.h"
#include "platform/window_system/ime.h"
#include "platform/window_system/synthetic_events.h"
#include "window/input_lines.h"
#include "window/text_input.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace ror;

namespace {

const char* U(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// One thing the player does: type a text, or press and release a key (with Ctrl held when
// asked).
struct Step {
    const char* text;
    int key;
    bool control;
};
Step Type(const char* text) { return {text, 0, false}; }
Step Press(int key) { return {nullptr, key, false}; }
Step Ctrl(int key) { return {nullptr, key, true}; }

class TypingTest : public MediaLayerTest {
protected:
    void SetUp() override
    {
        MediaLayerTest::SetUp();
        ASSERT_EQ(Start(), 0);
        PumpMessages();
        ClearTypedCharacters();
    }

    void TearDown() override
    {
        MediaLayerTest::TearDown();
        SetUseUtf8Texts(0);
    }

    static void Do(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            if (step.text) {
                ASSERT_EQ(PushSyntheticText(CoreState.MainWindow, step.text), 0);
                continue;
            }
            // Ctrl is read when the letter's message is translated: it is held across a pump.
            if (step.control) {
                PushSyntheticKey(CoreState.MainWindow, KEYCODE_LCONTROL, 1);
                PumpMessages();
            }
            PushSyntheticKey(CoreState.MainWindow, step.key, 1);
            PushSyntheticKey(CoreState.MainWindow, step.key, 0);
            if (step.control) {
                PumpMessages();
                PushSyntheticKey(CoreState.MainWindow, KEYCODE_LCONTROL, 0);
            }
        }
        PumpMessages();
    }

    static std::vector<std::string> ReadAllTyped()
    {
        std::vector<std::string> typed;
        char character[5];
        while (ReadTypedCharacter(character, sizeof character) > 0) typed.emplace_back(character);
        return typed;
    }

    static std::string LineText(int line)
    {
        char text[2048];
        EXPECT_EQ(GetInputLineText(line, text, sizeof text), 0);
        return text;
    }
};

TEST_F(TypingTest, TypedTextReadsAsWholeCharactersInTheTextMode)
{
    struct Case {
        const char* name;
        int utf8;
        const char* typed;
        std::vector<std::string> read;
    };
    const Case cases[] = {
        {"UTF-8", 1, U(u8"aé日😀"), {"a", U(u8"é"), U(u8"日"), U(u8"😀")}},
        // "é" has no cp932 form; "ｱ" is one byte there.
        {"cp932", 0, U(u8"aé日ｱ"), {"a", "\x93\xfa", "\xb1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUseUtf8Texts(c.utf8);
        Do({Type(c.typed)});
        EXPECT_EQ(ReadAllTyped(), c.read);
    }
}

TEST_F(TypingTest, EditingKeysArriveAsControlCharacters)
{
    const std::pair<int, int> keys[] = {
        {KEYCODE_BACK, TYPED_BACKSPACE}, {KEYCODE_TAB, TYPED_TAB},       {KEYCODE_RETURN, TYPED_ENTER},
        {KEYCODE_ESCAPE, TYPED_ESCAPE},  {KEYCODE_DELETE, TYPED_DELETE}, {KEYCODE_LEFT, TYPED_LEFT},
        {KEYCODE_RIGHT, TYPED_RIGHT},    {KEYCODE_HOME, TYPED_HOME},     {KEYCODE_END, TYPED_END},
        {KEYCODE_UP, TYPED_UP},          {KEYCODE_DOWN, TYPED_DOWN},
    };
    for (auto [key, control] : keys) {
        Do({Press(key)});
        EXPECT_EQ(ReadAllTyped(), std::vector<std::string>{std::string(1, char(control))}) << "key " << key;
    }
    Do({Ctrl(KEYCODE_V)});
    EXPECT_EQ(ReadAllTyped(), std::vector<std::string>{std::string(1, char(TYPED_PASTE))});
}

TEST_F(TypingTest, ReadingRefusesShortBuffersAndSwitchingTheModeEmptiesTheBuffer)
{
    char character[5] = "z";
    EXPECT_EQ(ReadTypedCharacter(character, sizeof character), 0);
    Do({Type("ab")});
    EXPECT_EQ(ReadTypedCharacter(nullptr, 5), -1);
    EXPECT_EQ(ReadTypedCharacter(character, 4), -1);
    EXPECT_EQ(ReadTypedCharacter(character, 5), 1);
    EXPECT_STREQ(character, "a");
    SetUseUtf8Texts(1);
    EXPECT_EQ(ReadTypedCharacter(character, 5), 0);
    Do({Type("c")});
    EXPECT_EQ(ClearTypedCharacters(), 0);
    EXPECT_TRUE(ReadAllTyped().empty());
}

// A character that meets a full buffer is left out whole: no lead byte stays behind to
// swallow the next character.
TEST_F(TypingTest, AFullBufferNeverKeepsPartOfACharacter)
{
    struct Case {
        const char* name;
        int utf8;
        const char* character;
    };
    const Case cases[] = {{"cp932, two bytes", 0, "\x93\xfa"},
                          {"UTF-8, three bytes", 1, U(u8"日")},
                          {"UTF-8, four", 1, U(u8"😀")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUseUtf8Texts(c.utf8);
        ClearTypedCharacters();
        for (int i = 0; i < kCharBufferSize - 1; ++i) ASSERT_EQ(StoreChar('x'), 0);
        // The first byte fits; the second takes it back.
        for (const char* byte = c.character; *byte; ++byte) StoreChar(uint8_t(*byte));
        EXPECT_EQ(TextInput.count, kCharBufferSize - 1);
        std::vector<std::string> typed = ReadAllTyped();
        ASSERT_EQ(typed.size(), size_t(kCharBufferSize - 1));
        EXPECT_EQ(typed.back(), "x");
        for (const char* byte = c.character; *byte; ++byte) EXPECT_EQ(StoreChar(uint8_t(*byte)), 0);
        EXPECT_EQ(ReadAllTyped(), std::vector<std::string>{c.character});
    }
}

TEST_F(TypingTest, ALineEditsWithTypedTextAndKeys)
{
    struct Case {
        const char* name;
        int utf8;
        int maxCharacters;
        int options;
        std::vector<Step> steps;
        const char* text;
    };
    const Case cases[] = {
        {"typed", 1, 20, 0, {Type("Ab c")}, "Ab c"},
        {"Backspace", 1, 20, 0, {Type("abc"), Press(KEYCODE_BACK)}, "ab"},
        {"Left twice, Delete",
         1,
         20,
         0,
         {Type("abc"), Press(KEYCODE_LEFT), Press(KEYCODE_LEFT), Press(KEYCODE_DELETE)},
         "ac"},
        {"Home, insert, End, insert",
         1,
         20,
         0,
         {Type("bc"), Press(KEYCODE_HOME), Type("a"), Press(KEYCODE_END), Type("d")},
         "abcd"},
        {"Right past the end, Backspace at the start",
         1,
         20,
         0,
         {Type("ab"), Press(KEYCODE_RIGHT), Press(KEYCODE_HOME), Press(KEYCODE_BACK), Press(KEYCODE_RIGHT), Type("-")},
         "a-b"},
        {"Backspace over a four-byte character", 1, 20, 0, {Type(U(u8"a😀")), Press(KEYCODE_BACK)}, "a"},
        {"Delete of a character in the middle",
         1,
         20,
         0,
         {Type(U(u8"名前だ")), Press(KEYCODE_LEFT), Press(KEYCODE_LEFT), Press(KEYCODE_DELETE)},
         U(u8"名だ")},
        {"cp932 Backspace over a two-byte character", 0, 20, 0, {Type(U(u8"日本")), Press(KEYCODE_BACK)}, "\x93\xfa"},
        {"maximum length in characters", 1, 3, 0, {Type(U(u8"日本語です"))}, U(u8"日本語")},
        {"digits only", 1, 20, INPUT_LINE_DIGITS, {Type(U(u8"a1ｂ2日3"))}, "123"},
        {"single byte in UTF-8", 1, 20, INPUT_LINE_SINGLE_BYTE, {Type(U(u8"aé日ｱb"))}, "ab"},
        {"single byte in cp932",
         0,
         20,
         INPUT_LINE_SINGLE_BYTE,
         {Type(U(u8"a日ｱb"))},
         "a\xb1"
         "b"},
        {"hidden keeps the text", 1, 20, INPUT_LINE_HIDDEN, {Type("pw")}, "pw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUseUtf8Texts(c.utf8);
        const int line = CreateInputLine(c.maxCharacters, c.options);
        ASSERT_NE(line, -1);
        ASSERT_EQ(SetActiveInputLine(line), 0);
        Do(c.steps);
        EXPECT_EQ(LineText(line), c.text);
        EXPECT_EQ(GetInputLineState(line), INPUT_LINE_EDITING);
        EXPECT_EQ(ReleaseInputLine(line), 0);
    }
}

TEST_F(TypingTest, EnterAndEscapeEndTheLineAndLeaveWhatFollowsToTheGame)
{
    const std::pair<int, int> ends[] = {{KEYCODE_RETURN, INPUT_LINE_DONE}, {KEYCODE_ESCAPE, INPUT_LINE_CANCELLED}};
    for (auto [key, state] : ends) {
        const int line = CreateInputLine(10, 0);
        ASSERT_EQ(SetActiveInputLine(line), 0);
        EXPECT_EQ(InputMethodOpen(), 1);
        Do({Type("ab"), Press(key), Type("c")});
        EXPECT_EQ(GetInputLineState(line), state);
        EXPECT_EQ(GetActiveInputLine(), -1);
        EXPECT_EQ(InputMethodOpen(), 0);
        EXPECT_EQ(LineText(line), "ab");
        EXPECT_EQ(ReadAllTyped(), std::vector<std::string>{"c"});
        ReleaseInputLine(line);
    }
}

TEST_F(TypingTest, OneLineIsActiveAtATime)
{
    const int first = CreateInputLine(10, 0), second = CreateInputLine(10, 0);
    Do({Press(KEYCODE_RETURN), Type("x")});
    ASSERT_EQ(SetActiveInputLine(first), 0);
    // What was typed before the line opened, the Enter that opened it, is not the line's.
    PumpMessages();
    EXPECT_EQ(LineText(first), "");
    Do({Type("a")});
    // Asking again every frame keeps the line as it is.
    ASSERT_EQ(SetActiveInputLine(first), 0);
    Do({Type("b")});
    ASSERT_EQ(SetActiveInputLine(second), 0);
    EXPECT_EQ(GetInputLineState(first), INPUT_LINE_IDLE);
    EXPECT_EQ(GetActiveInputLine(), second);
    Do({Type("c")});
    EXPECT_EQ(LineText(first), "ab");
    EXPECT_EQ(LineText(second), "c");
    EXPECT_EQ(SetActiveInputLine(-1), 0);
    EXPECT_EQ(GetInputLineState(second), INPUT_LINE_IDLE);
    Do({Type("d")});
    EXPECT_EQ(LineText(second), "c");
    EXPECT_EQ(ReadAllTyped(), std::vector<std::string>{"d"});
    // A released line stops being active.
    ASSERT_EQ(SetActiveInputLine(first), 0);
    ASSERT_EQ(ReleaseInputLine(first), 0);
    EXPECT_EQ(GetActiveInputLine(), -1);
}

TEST_F(TypingTest, HandlesAndArgumentsAreChecked)
{
    EXPECT_EQ(CreateInputLine(0, 0), -1);
    EXPECT_EQ(CreateInputLine(kInputLineMaxCharacters + 1, 0), -1);
    EXPECT_EQ(CreateInputLine(10, 8), -1);
    const int line = CreateInputLine(kInputLineMaxCharacters, INPUT_LINE_DIGITS | INPUT_LINE_HIDDEN);
    ASSERT_NE(line, -1);
    char text[8];
    EXPECT_EQ(GetInputLineText(line, nullptr, 8), -1);
    EXPECT_EQ(GetInputLineText(line, text, 0), -1);
    EXPECT_EQ(SetInputLineText(line, nullptr), -1);
    EXPECT_EQ(DrawInputLine(line, 0, 0, 0, 12345), -1);
    ASSERT_EQ(ReleaseInputLine(line), 0);
    const int font = QueryDefaultFont();
    for (int stale : {line, font, 0, -1}) {
        SCOPED_TRACE(stale);
        EXPECT_EQ(ReleaseInputLine(stale), -1);
        EXPECT_EQ(SetActiveInputLine(stale == -1 ? 12345 : stale), -1);
        EXPECT_EQ(GetInputLineState(stale), -1);
        EXPECT_EQ(GetInputLineText(stale, text, sizeof text), -1);
        EXPECT_EQ(SetInputLineText(stale, "a"), -1);
        EXPECT_EQ(DrawInputLine(stale, 0, 0, 0, -1), -1);
    }
    std::vector<int> lines;
    for (int i = 0; i < kInputLineSlots; ++i) lines.push_back(CreateInputLine(1, 0));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), -1), 0);
    EXPECT_EQ(CreateInputLine(1, 0), -1);
}

TEST_F(TypingTest, SetTextKeepsWholeCharactersAndReadsCutAtACharacterEnd)
{
    struct Case {
        const char* name;
        int utf8;
        int maxCharacters;
        const char* set;
        const char* full;
        int readSize;
        const char* cut;
    };
    const Case cases[] = {
        {"UTF-8 cut inside a character", 1, 10, U(u8"a日本"), U(u8"a日本"), 3, "a"},
        {"UTF-8 bytes that start no character", 1, 10,
         "a\xE6\x97"
         "b\xFF",
         "ab", 8, "ab"},
        {"UTF-8 past the length", 1, 2, U(u8"日本語"), U(u8"日本"), 8, U(u8"日本")},
        {"cp932 cut inside a character", 0, 10, "a\x93\xfa\x96\x7b", "a\x93\xfa\x96\x7b", 3, "a"},
        {"cp932 past the length", 0, 2, "\x93\xfa\x96\x7b\x8c\xea", "\x93\xfa\x96\x7b", 8, "\x93\xfa\x96\x7b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUseUtf8Texts(c.utf8);
        const int line = CreateInputLine(c.maxCharacters, 0);
        ASSERT_EQ(SetInputLineText(line, c.set), 0);
        EXPECT_EQ(LineText(line), c.full);
        char text[16];
        ASSERT_EQ(GetInputLineText(line, text, c.readSize), 0);
        EXPECT_STREQ(text, c.cut);
        ReleaseInputLine(line);
    }
}

TEST_F(TypingTest, TheTextSurvivesASwitchOfTheTextMode)
{
    const int line = CreateInputLine(10, 0);
    SetUseUtf8Texts(1);
    ASSERT_EQ(SetInputLineText(line, U(u8"日本")), 0);
    SetUseUtf8Texts(0);
    EXPECT_EQ(LineText(line), "\x93\xfa\x96\x7b");
}

// The input method composes only while a line is active; its composition shows at the caret.
TEST_F(TypingTest, TheCompositionIsTakenOnlyWhileALineIsActive)
{
    SetUseUtf8Texts(1);
    char composition[64];
    int caret = -1, marked = -1;
    ASSERT_EQ(PushSyntheticComposition(CoreState.MainWindow, U(u8"にほん"), 1, 2), 0);
    PumpMessages();
    EXPECT_EQ(ReadCompositionUtf8(composition, sizeof composition, &caret, &marked), 0);

    const int line = CreateInputLine(10, 0);
    ASSERT_EQ(SetActiveInputLine(line), 0);
    ASSERT_EQ(PushSyntheticComposition(CoreState.MainWindow, U(u8"にほん"), 1, 2), 0);
    PumpMessages();
    EXPECT_GT(ReadCompositionUtf8(composition, sizeof composition, &caret, &marked), 0);
    EXPECT_STREQ(composition, U(u8"にほん"));
    EXPECT_EQ(caret, 1);
    EXPECT_EQ(marked, 2);
    EXPECT_EQ(DrawInputLine(line, 10, 10, PackColor(255, 255, 255), -1), 0);
    // The result arrives as typed text and ends the composition.
    Do({Type(U(u8"日本"))});
    EXPECT_EQ(ReadCompositionUtf8(composition, sizeof composition, &caret, &marked), 0);
    EXPECT_EQ(LineText(line), U(u8"日本"));
}

TEST_F(TypingTest, TheClipboardCarriesTextInTheTextMode)
{
    struct Case {
        const char* name;
        int writeUtf8;
        const char* written;
        int readUtf8;
        const char* read;
    };
    const Case cases[] = {
        {"UTF-8 both ways", 1, U(u8"名前 é"), 1, U(u8"名前 é")},
        {"cp932 both ways", 0, "\x96\xbc\x91\x4f", 0, "\x96\xbc\x91\x4f"},
        {"cp932 written, UTF-8 read", 0, "\x96\xbc", 1, U(u8"名")},
        {"UTF-8 written, cp932 read leaves out what cp932 lacks", 1, U(u8"é名"), 0, "\x96\xbc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUseUtf8Texts(c.writeUtf8);
        ASSERT_EQ(WriteClipboardText(c.written), 0);
        SetUseUtf8Texts(c.readUtf8);
        const int size = ReadClipboardText(nullptr, 0);
        EXPECT_EQ(size, int(std::strlen(c.read)) + 1);
        char text[32] = "";
        EXPECT_EQ(ReadClipboardText(text, sizeof text), size);
        EXPECT_STREQ(text, c.read);
    }
    SetUseUtf8Texts(1);
    ASSERT_EQ(WriteClipboardText(U(u8"a日本")), 0);
    char text[4];
    EXPECT_EQ(ReadClipboardText(text, sizeof text), int(std::strlen(U(u8"a日本"))) + 1);
    EXPECT_STREQ(text, "a");
    EXPECT_EQ(ReadClipboardText(nullptr, 1), -1);
    EXPECT_EQ(WriteClipboardText(nullptr), -1);
}

TEST_F(TypingTest, CtrlVPastesTheFirstLineAsFarAsTheLineTakes)
{
    SetUseUtf8Texts(1);
    ASSERT_EQ(WriteClipboardText(U(u8"x日本語\nsecond")), 0);
    const int line = CreateInputLine(5, 0);
    ASSERT_EQ(SetActiveInputLine(line), 0);
    Do({Type("ab"), Press(KEYCODE_HOME), Ctrl(KEYCODE_V)});
    EXPECT_EQ(LineText(line), U(u8"x日本ab"));
    const int digits = CreateInputLine(5, INPUT_LINE_DIGITS);
    ASSERT_EQ(WriteClipboardText("1a2"), 0);
    ASSERT_EQ(SetActiveInputLine(digits), 0);
    Do({Ctrl(KEYCODE_V)});
    EXPECT_EQ(LineText(digits), "12");
}

}  // namespace
