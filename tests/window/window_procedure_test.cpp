// The main window procedure's rules, driven with the messages the window system sends.
#include "window/media_layer_fixture.h"

#include "graphics/drawing_paths.h"

#include "input/input_state.h"
#include "platform/window_system/cursor.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window.h"
#include "text/font_handles.h"
#include "text/glyph_cache.h"
#include "window/message_pump.h"
#include "window/text_input.h"
#include "window/window_mode.h"
#include "window/window_procedure.h"

using namespace ror;

namespace {

class WindowProcedureTest : public OnBothPaths<MediaLayerTest> {
protected:
    void SetUp() override
    {
        OnBothPaths<MediaLayerTest>::SetUp();
        ASSERT_EQ(Start(), 0);
        ASSERT_TRUE(PathInUse());
        while (QueuedMessageCount() > 0) PumpMessages();
        while (TakeChar() >= 0) {}
    }

    MessageResult Send(uint32_t message, WParam wParam, LParam lParam = 0)
    {
        return MainWindowProcedure(CoreState.MainWindow, message, wParam, lParam);
    }

    std::vector<int> TakeAllChars()
    {
        std::vector<int> chars;
        for (int c; (c = TakeChar()) >= 0;) chars.push_back(c);
        return chars;
    }
};

TEST(SizingRuleTest, ClientKeepsTheScreenModesAspect)
{
    struct Case {
        const char* name;
        WParam edge;
        Rect proposed;  // outer rectangle; frame 10 x 30
        Rect expected;
        double scale;
    };
    // Screen mode 800 x 600; the window's frame adds 10 to the width and 30 to the height.
    const Case cases[] = {
        {"right edge to 1000", WMSZ_RIGHT, {0, 0, 1010, 630}, {0, 0, 1010, 780}, 1.25},
        {"left edge to 400", WMSZ_LEFT, {100, 0, 510, 630}, {100, 0, 510, 330}, 0.5},
        {"bottom edge to 300", WMSZ_BOTTOM, {0, 0, 810, 330}, {0, 0, 410, 330}, 0.5},
        {"top edge, truncated width", WMSZ_TOP, {0, 0, 810, 331}, {0, 0, 411, 331}, 401.0 / 800},
        {"corner, width leads", WMSZ_BOTTOMRIGHT, {0, 0, 1610, 630}, {0, 0, 1610, 1230}, 2.0},
        {"corner, height leads", WMSZ_TOPLEFT, {0, 0, 810, 1230}, {0, 0, 1610, 1230}, 2.0},
        {"unknown edge", 9, {0, 0, 410, 630}, {0, 0, 410, 630}, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rect rect = c.proposed;
        EXPECT_DOUBLE_EQ(ApplySizingRule(c.edge, &rect, 10, 30, 800, 600), c.scale);
        EXPECT_EQ(rect.left, c.expected.left);
        EXPECT_EQ(rect.top, c.expected.top);
        EXPECT_EQ(rect.right, c.expected.right);
        EXPECT_EQ(rect.bottom, c.expected.bottom);
    }
}

TEST(DisplayChangeTest, VerdictForANewDesktop)
{
    struct Case {
        int bits, width, height;
        DisplayChangeVerdict verdict;
    };
    // Screen mode 800 x 600 at 32 bits.
    const Case cases[] = {
        {32, 800, 600, DisplayChangeVerdict::Same},   {16, 1920, 1080, DisplayChangeVerdict::Keep},
        {32, 1920, 1080, DisplayChangeVerdict::Keep}, {24, 1920, 1080, DisplayChangeVerdict::Close},
        {8, 1920, 1080, DisplayChangeVerdict::Close}, {32, 640, 1080, DisplayChangeVerdict::Close},
        {32, 1920, 480, DisplayChangeVerdict::Close},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JudgeDisplayChange(c.bits, c.width, c.height, 32, 800, 600), c.verdict)
            << c.bits << " bits " << c.width << " x " << c.height;
    }
    EXPECT_EQ(JudgeDisplayChange(8, 800, 600, 8, 800, 600), DisplayChangeVerdict::Same);
}

TEST_P(WindowProcedureTest, DesktopTooSmallClosesTheWindowInOrder)
{
    Send(WM_DISPLAYCHANGE, 32, MakeLParam(320, 200));
    EXPECT_EQ(CoreState.ClosePosted, 1);
    EXPECT_EQ(CoreState.displayChangeSeen, 0);
    EXPECT_EQ(PumpMessages(), -1);
    EXPECT_TRUE(
        FollowPattern(LogLines(),
                      {"...", "T:復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します",
                       "T:またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します",
                       "T:ウインドウを閉じようとしています"}));
}

TEST_P(WindowProcedureTest, LargerDesktopKeepsRunning)
{
    Send(WM_DISPLAYCHANGE, 16, MakeLParam(4000, 3000));
    EXPECT_EQ(CoreState.ClosePosted, 0);
    EXPECT_EQ(CoreState.displayChangeSeen, 1);
    EXPECT_EQ(PumpMessages(), 0);
}

TEST_P(WindowProcedureTest, CharactersAreFilteredIntoTheBuffer)
{
    for (int c : {10, 2, 1, 3, 8, 9, 13, 16, 22, 24, 27, 0, 31, 32, int('A'), 0x82, 0xFF}) Send(WM_CHAR, c);
    EXPECT_EQ(TakeAllChars(), (std::vector<int>{13, 1, 3, 8, 9, 13, 16, 22, 24, 27, 32, 'A', 0x82, 0xFF}));
}

TEST_P(WindowProcedureTest, CursorKeysBecomeControlCharacters)
{
    const std::pair<int, int> keys[] = {{VK_DELETE, 0x10}, {VK_LEFT, 0x1D},  {VK_RIGHT, 0x1C},
                                        {VK_UP, 0x1E},     {VK_DOWN, 0x1F},  {VK_HOME, 0x1A},
                                        {VK_END, 0x19},    {VK_PRIOR, 0x17}, {VK_NEXT, 0x15}};
    for (auto [key, stored] : keys) {
        Send(WM_KEYDOWN, key);
        EXPECT_EQ(TakeAllChars(), std::vector<int>{stored}) << "key " << key;
    }
    Send(WM_KEYDOWN, 'A');
    Send(WM_KEYDOWN, VK_INSERT);
    EXPECT_TRUE(TakeAllChars().empty());
}

TEST_P(WindowProcedureTest, FullBufferTakesNoMoreKeys)
{
    for (int i = 0; i < kCharBufferSize; ++i) Send(WM_CHAR, 'x');
    Send(WM_KEYDOWN, VK_LEFT);
    Send(WM_CHAR, 'y');
    std::vector<int> chars = TakeAllChars();
    EXPECT_EQ(chars.size(), size_t(kCharBufferSize));
    EXPECT_EQ(chars.back(), 'x');
}

TEST_P(WindowProcedureTest, ScreenSaverAndMonitorPowerOffAreRefused)
{
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 1);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2), 1);
    EXPECT_TRUE(IsWindow(CoreState.MainWindow));
    // A close from the system menu still closes.
    Send(WM_SYSCOMMAND, SC_CLOSE);
    EXPECT_FALSE(IsWindow(CoreState.MainWindow));
}

TEST_P(WindowProcedureTest, SizingMessageFollowsTheDragAndFitsAfterwards)
{
    // The requested screen mode is 640 x 480 here.
    Rect outer{};
    GetWindowRect(CoreState.MainWindow, &outer);
    Rect proposed = outer;
    proposed.right = proposed.left + 800 + (outer.right - outer.left - 640);
    Send(WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LParam>(&proposed));
    EXPECT_DOUBLE_EQ(CoreState.windowScale, 1.25);
    EXPECT_EQ(proposed.bottom - proposed.top, 600 + (outer.bottom - outer.top - 480));

    Send(WM_SIZE, SIZE_RESTORED, MakeLParam(640, 480));
    Rect client{};
    GetClientRect(CoreState.MainWindow, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
}

TEST_P(WindowProcedureTest, WindowIsFittedToTheScreenModeWithScaleZero)
{
    CoreState.windowScale = 0;
    FitWindow();
    Rect client{};
    GetClientRect(CoreState.MainWindow, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_DOUBLE_EQ(CoreState.windowScale, 1.0);
}

TEST_P(WindowProcedureTest, MoveUpdatesTheClientRectangleOnScreen)
{
    Send(WM_MOVE, 0, MakeLParam(-20, 35));
    EXPECT_EQ(CoreState.ClientRectOnScreen.left, -20);
    EXPECT_EQ(CoreState.ClientRectOnScreen.top, 35);
    EXPECT_EQ(CoreState.ClientRectOnScreen.right, -20 + 640);
    EXPECT_EQ(CoreState.ClientRectOnScreen.bottom, 35 + 480);
}

TEST_P(WindowProcedureTest, HiddenCursorStaysHiddenOnMouseMessages)
{
    SetCursorVisibility(0);
    EXPECT_LT(CursorDisplayCount(), 0);
    ShowCursor(1);  // someone raised the count
    Send(WM_MOUSEMOVE, 0, MakeLParam(5, 5));
    EXPECT_LT(CursorDisplayCount(), 0);
    EXPECT_EQ(CursorVisible(), 0);
    SetCursorVisibility(1);
    EXPECT_GE(CursorDisplayCount(), 0);
}

TEST_P(WindowProcedureTest, ButtonPressesAreRecordedAsClicks)
{
    TextInput.clickButtons = 0;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 1));
    Send(WM_MBUTTONDOWN, MK_MBUTTON, MakeLParam(1, 1));
    EXPECT_EQ(TextInput.clickButtons, 1u | 4u);
}

TEST_P(WindowProcedureTest, SwitchingToFullScreenHidesTheCursorAndBackShowsIt)
{
    // The display-change notification that ends each switch's wait is already queued.
    PostMessage(CoreState.MainWindow, WM_DISPLAYCHANGE, 32, MakeLParam(640, 480));
    EXPECT_EQ(ChangeWindowMode(0), 0);
    EXPECT_EQ(CoreState.Windowed, 0);
    EXPECT_EQ(CoreState.modeChangeInProgress, 0);
    EXPECT_EQ(CursorVisible(), 0);
    EXPECT_EQ(CoreState.ClientRectOnScreen.right, 640);
    EXPECT_EQ(CoreState.ClientRectOnScreen.bottom, 480);

    PostMessage(CoreState.MainWindow, WM_DISPLAYCHANGE, 32, MakeLParam(640, 480));
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(CursorVisible(), 1);
    EXPECT_TRUE(FollowPattern(LogLines(), {"...", "T:ChangeWindowMode実行 ", "T:ウインドウモードフラグが倒されました",
                                           "T:ウインドウスタイルをフルスクリーンモード用に変更します... 完了", "...",
                                           "T:ChangeWindowMode実行 ", "T:ウインドウモードフラグが立てられました",
                                           "T:ウインドウスタイルをウインドウモード用に変更します... 完了"}));
}

TEST_P(WindowProcedureTest, ModeSwitchOnADisplayWithoutModeChangesEndsOnThePlatformsNotice)
{
    // The display offers no mode of this size: nothing changes on it, and the platform still
    // reports the switch done instead of leaving the wait to run out.
    EXPECT_EQ(ChangeWindowMode(0), 0);
    EXPECT_EQ(CoreState.displayChangeSeen, 1);
    EXPECT_EQ(CoreState.modeChangeInProgress, 0);
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(CoreState.displayChangeSeen, 1);
}

TEST_P(WindowProcedureTest, FullScreenActivatedAgainRebuildsFontsAndShutsInputDown)
{
    PostMessage(CoreState.MainWindow, WM_DISPLAYCHANGE, 32, MakeLParam(640, 480));
    ASSERT_EQ(ChangeWindowMode(0), 0);
    const int font = CreateFontToHandle(nullptr, 20, -1, FONT_NORMAL, -1, -1, 0);
    ASSERT_EQ(SetFontSpacingOfHandle(3, font), 0);
    ASSERT_EQ(PrecacheText(-1, "abc", font, nullptr, nullptr), 0);
    ASSERT_NE(ResolveFont(font)->codeMap['a'].cached, 0);
    ASSERT_NE(InputState.directInput, InputObject::None);

    // Shown minimised: nothing is restored yet.
    Send(WM_ACTIVATE, WA_ACTIVE | WParam(1) << 16);
    EXPECT_NE(InputState.directInput, InputObject::None);
    EXPECT_NE(ResolveFont(font)->codeMap['a'].cached, 0);

    Send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_EQ(InputState.directInput, InputObject::None);
    ASSERT_EQ(IsFontHandleValid(font), 1) << "the handle held by the caller stays valid";
    EXPECT_EQ(ResolveFont(font)->codeMap['a'].cached, 0);
    EXPECT_EQ(ResolveFont(font)->spacing, 3);

    EXPECT_EQ(IsKeyDown(KEYCODE_A), 0);  // the first key query sets input up again
    EXPECT_NE(InputState.directInput, InputObject::None);
}

INSTANTIATE_ON_BOTH_PATHS(WindowProcedureTest);

}  // namespace
