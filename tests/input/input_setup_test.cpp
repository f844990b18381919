// Input set-up and shutdown as the log tells them: the input system's versions, the window
// system's path, the devices that cannot be set up, and set-up again after a shutdown.
#include "input/input_fixture.h"
#include "input/input_state.h"
#include "platform/system/clock.h"

using namespace ror;

namespace {

const Lines kVersion7 = {
    "T:DirectInput関係初期化処理",
    "T:\tDirectInput7 の取得中... 成功",
    "T:\t\t引き続き初期化処理... 初期化成功",
    "T:\tジョイパッドの初期化... ",
    "T:\tジョイパッドの初期化は正常に終了しました",
    "T:\tマウスデバイスの初期化... 初期化成功",
    "T:\tキーボードデバイスの初期化... 初期化成功",
    "T:DirectInput 関連の初期化は正常に終了しました",
};

TEST(InputSettingTest, DevicesCanBeSwitchedBackOn)
{
    SetInputDevicesEnabled(0);
    EXPECT_EQ(InputSettings.devicesOff, 1);
    InputState.windowSystemInput = 1;
    SetInputDevicesEnabled(1);
    EXPECT_EQ(InputSettings.devicesOff, 0);
    EXPECT_EQ(InputState.windowSystemInput, 0);
}

class InputSetupTest : public InputTest {};

TEST_F(InputSetupTest, Version7SetsUpTheDevicesAndNeverMentionsVersion8)
{
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(Section(kVersion7.front(), kVersion7.back()), kVersion7);
    for (const std::string& line : LogLines()) EXPECT_EQ(line.find("DirectInput8"), std::string::npos) << line;
    EXPECT_EQ(InputState.directInput, InputObject::Devices);
    EXPECT_EQ(InputState.version8, 0);
    EXPECT_NE(InputState.keyboard, nullptr);
    EXPECT_NE(InputState.mouse, nullptr);
    EXPECT_EQ(InputState.keyboardEvent, KeyboardChangeEvent());

    EndMediaLayer();
    EXPECT_EQ(Count(LogLines(), "T:DirectInput 関連の終了処理... 完了"), 1);
}

TEST_F(InputSetupTest, Version8IsTriedWhenVersion7CannotBeHad)
{
    struct Case {
        uint32_t faults;
        Lines lines;
    };
    const Case cases[] = {
        {kFaultObtain7,
         {"T:DirectInput関係初期化処理", "T:\tDirectInput7 の取得中... 取得に失敗。", "T:\tエラーコード 0x80040154", "",
          "T:\tDirectInput8 の取得を試みます...成功", "T:\t\t引き続き初期化処理... 初期化成功",
          "T:\tジョイパッドの初期化... "}},
        {kFaultInitialize7,
         {"T:DirectInput関係初期化処理", "T:\tDirectInput7 の取得中... 成功",
          "T:\t\t引き続き初期化処理... 初期化に失敗。DirectInput8 の取得を試みます...成功",
          "T:\t\t引き続き初期化処理... 初期化成功", "T:\tジョイパッドの初期化... "}},
    };
    ASSERT_EQ(Start(), 0);
    ShutdownInput();
    for (const Case& c : cases) {
        std::filesystem::remove(folder / "Log.txt");
        SetInputFaultsForTest(c.faults);
        ASSERT_EQ(SetupInput(), 0);
        EXPECT_EQ(Section(c.lines.front(), c.lines.back()), c.lines) << "faults " << c.faults;
        EXPECT_EQ(InputState.version8, 1);
        EXPECT_EQ(InputState.directInput, InputObject::Devices);
        ShutdownInput();
    }
}

TEST_F(InputSetupTest, WithoutAnyVersionInputRunsOnTheWindowSystem)
{
    SetInputDevicesEnabled(0);
    ASSERT_EQ(Start(), 0);
    const Lines expected = {
        "T:DirectInput関係初期化処理",
        "T:\tDirectInput7 の取得中... 取得に失敗。",
        "T:\tエラーコード 0x80040154",
        "",  // the format's own line feed and the one the log adds
        "T:\tDirectInput8 の取得を試みます...取得に失敗。DirectInput を使用しません。",
        "T:\tパッドの数は 0 個です",
        "",
        "T:入力関連の初期化をしました",
    };
    EXPECT_EQ(Section(expected.front(), expected.back()), expected);
    EXPECT_EQ(InputState.directInput, InputObject::WindowSystem);
    EXPECT_EQ(InputState.windowSystemInput, 1);

    // Shutdown twice: the second does nothing. A set-up after it goes straight to the
    // window system, and says so in two lines.
    ShutdownInput();
    const size_t afterFirst = LogLines().size();
    ShutdownInput();
    EXPECT_EQ(LogLines().size(), afterFirst);
    EXPECT_EQ(LogLines().back(), "T:入力関連の終了処理... 完了");
    ASSERT_EQ(SetupInput(), 0);
    const Lines lines = LogLines();
    EXPECT_EQ(Lines(lines.begin() + afterFirst, lines.end()),
              (Lines{"T:\tパッドの数は 0 個です", "", "T:入力関連の初期化をしました"}));
}

TEST_F(InputSetupTest, ThePadCountOfTheWindowSystemCountsAttachedPads)
{
    for (int i = 0; i < 3; ++i) ASSERT_GE(AttachVirtualPad({"Pad", 1, 0, 0, 0, 1}), 0);
    SetInputDevicesEnabled(0);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(Count(LogLines(), "T:\tパッドの数は 3 個です"), 1);
}

TEST_F(InputSetupTest, AKeyQueryAfterShutdownSetsInputUpAgainAndAnswersNo)
{
    ASSERT_EQ(Start(), 0);
    ShutdownInput();
    EXPECT_EQ(InputState.directInput, InputObject::None);
    EXPECT_EQ(IsKeyDown(KEYCODE_ESCAPE), 0);
    EXPECT_EQ(InputState.directInput, InputObject::Devices);
    EXPECT_EQ(Count(LogLines(), "T:DirectInput 関連の初期化は正常に終了しました"), 2);

    // Once the layer itself has asked the window to close, a query sets nothing up.
    ShutdownInput();
    CoreState.ClosePosted = 1;
    EXPECT_EQ(IsKeyDown(KEYCODE_ESCAPE), 0);
    EXPECT_EQ(InputState.directInput, InputObject::None);
    CoreState.ClosePosted = 0;
}

TEST_F(InputSetupTest, InputBeforeStartUpAnswersAtOnceAndSetsNothingUp)
{
    ASSERT_GE(AttachVirtualPad({"Pad", 1, 0, 0, 0, 1}), 0);
    JoypadInput pad{};
    int32_t x = 0, y = 0;
    const struct {
        const char* what;
        int (*call)(JoypadInput*, int32_t*, int32_t*);
        int expected;
    } cases[] = {
        {"IsKeyDown", [](JoypadInput*, int32_t*, int32_t*) { return IsKeyDown(KEYCODE_ESCAPE); }, 0},
        {"StartPadVibration", [](JoypadInput*, int32_t*, int32_t*) { return StartPadVibration(1, 500, 100); }, -1},
        {"StopPadVibration", [](JoypadInput*, int32_t*, int32_t*) { return StopPadVibration(1); }, 0},
        {"GetJoypadCount", [](JoypadInput*, int32_t*, int32_t*) { return GetJoypadCount(); }, 0},
        {"ReadJoypadInput", [](JoypadInput* p, int32_t*, int32_t*) { return ReadJoypadInput(1, p); }, -1},
        {"ReadMouseButtons", [](JoypadInput*, int32_t*, int32_t*) { return ReadMouseButtons(); }, 0},
        {"ReadMousePosition", [](JoypadInput*, int32_t* px, int32_t* py) { return ReadMousePosition(px, py); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(&pad, &x, &y), c.expected);
        EXPECT_EQ(InputState.directInput, InputObject::None);
    }
}

TEST_F(InputSetupTest, AKeyboardWithoutChangeEventIsUsedWithoutIt)
{
    SetInputFaultsForTest(kFaultKeyboardEvent | kFaultKeyboardBufferSize);
    ASSERT_EQ(Start(), 0);
    const Lines expected = {
        "T:\tキーボードデバイスの初期化... キーボードのプロパティ設定に失敗しました",
        "T:\tキーボードイベントのセットアップが失敗しました",
    };
    EXPECT_EQ(Section(expected.front(), expected.back()), expected);
    EXPECT_EQ(Count(LogLines(), "T:DirectInput 関連の初期化は正常に終了しました"), 0);
    EXPECT_EQ(InputState.keyboardEvent, nullptr);
    EXPECT_EQ(InputState.directInput, InputObject::Devices);
    EXPECT_EQ(SetupInput(), 0) << "set up, though without the event";

    // The keyboard is acquired at its first read (in a later millisecond than the set-up).
    SystemSleep(2);
    EXPECT_EQ(IsKeyDown(KEYCODE_ESCAPE), 0);
    uint8_t state[256];
    EXPECT_EQ(ReadKeyboardDevice(InputState.keyboard, state), 0);
}

// A keyboard or mouse that cannot be set up ends the program with its line.
struct FatalCase {
    uint32_t fault;
    const char* line;
};

class FatalInputTest : public InputTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalInputTest, EndsTheProgramWithItsLine)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("ROR_TEST_FOLDER", folder.c_str(), 1);
    const FatalCase c = GetParam();
    EXPECT_EXIT(
        {
            SetInputFaultsForTest(c.fault);
            Start();
            std::exit(0);
        },
        ::testing::ExitedWithCode(255), "");
    unsetenv("ROR_TEST_FOLDER");
    EXPECT_EQ(Count(LogLines(), std::string("T:") + c.line), 1) << c.line;
    EXPECT_EQ(Count(LogLines(), "T:DirectInput 関連の初期化は正常に終了しました"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FatalInputTest,
    ::testing::Values(
        FatalCase{kFaultCreateMouse, "\tマウスデバイスの初期化... マウスデバイスの取得に失敗しました"},
        FatalCase{kFaultMouseFormat, "\tマウスデバイスの初期化... マウスデバイスのデータ形式の設定に失敗しました"},
        FatalCase{kFaultMouseLevel, "\tマウスデバイスの初期化... マウスデバイスの協調レベルの設定に失敗しました"},
        FatalCase{kFaultCreateKeyboard, "\tキーボードデバイスの初期化... キーボードデバイスの取得に失敗しました"},
        FatalCase{kFaultKeyboardFormat,
                  "\tキーボードデバイスの初期化... キーボードデバイスのデータ形式の設定に失敗しました"},
        FatalCase{kFaultKeyboardLevel,
                  "\tキーボードデバイスの初期化... キーボードデバイスの協調レベルの設定に失敗しました"},
        FatalCase{kFaultKeyboardAcquire, "\tキーボードデバイスの初期化... キーボードデバイスの取得に失敗しました"}));

}  // namespace
