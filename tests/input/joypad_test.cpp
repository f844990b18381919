// Joypads on SDL's virtual joysticks: enumeration and its limits, axes and buttons, and
// vibration through the pads' rumble motors.
#include "input/input_fixture.h"
#include "input/input_state.h"
#include "input/joypads.h"
#include "platform/system/clock.h"
#include "platform/window_system/message_queue.h"
#include "window/message_pump.h"

using namespace ror;

namespace {

constexpr VirtualPadDesc kController = {"Alpha Pad", 1, 0, 0, 0, 1};
constexpr VirtualPadDesc kStickWithoutRumble = {"Beta Stick", 0, 4, 8, 1, 0};

class JoypadTest : public InputTest {
protected:
    // The pads' log lines between the enumeration's first and last line.
    Lines PadLines() const
    {
        return Section("T:\tジョイパッドの初期化... ", "T:\tジョイパッドの初期化は正常に終了しました");
    }

    // Pumps until the condition holds or two seconds have passed.
    template <typename Condition>
    static bool PumpUntil(Condition condition)
    {
        const uint32_t start = SystemMilliseconds();
        while (!condition() && SystemMilliseconds() - start < 2000) {
            PumpMessages();
            SystemSleep(1);
        }
        return condition();
    }
};

TEST_F(JoypadTest, SeveralPadsAreFoundWithTheirNames)
{
    ASSERT_EQ(AttachVirtualPad(kController), 0);
    ASSERT_EQ(AttachVirtualPad(kStickWithoutRumble), 1);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(GetJoypadCount(), 2);
    EXPECT_STREQ(InputState.pads[0].instanceName, "Alpha Pad");
    EXPECT_STREQ(InputState.pads[1].instanceName, "Beta Stick");
    EXPECT_STREQ(InputState.pads[1].productName, "Beta Stick");
    EXPECT_NE(InputState.pads[0].constantEffect, nullptr);
    EXPECT_NE(InputState.pads[0].periodicEffect, nullptr);
    EXPECT_EQ(InputState.pads[1].constantEffect, nullptr) << "no rumble motors, no effects";
    EXPECT_EQ(InputState.pads[0].power, 10000);

    const std::string product0 = std::string("T:\t\tデバイスの製品登録名:") + InputState.pads[0].productName;
    const Lines expected = {
        "T:\tジョイパッドの初期化... ",
        "T:\t入力装置を見つけました",
        "T:\t\tデバイスの登録名:Alpha Pad",
        product0,
        "T:\tジョイパッドの追加は正常に終了しました",
        "T:\t入力装置を見つけました",
        "T:\t\tデバイスの登録名:Beta Stick",
        "T:\t\tデバイスの製品登録名:Beta Stick",
        "T:\tジョイパッドの追加は正常に終了しました",
        "T:\tジョイパッドの初期化は正常に終了しました",
    };
    EXPECT_EQ(PadLines(), expected);
}

TEST_F(JoypadTest, NoMoreThanSixteenPadsAreSetUp)
{
    for (int i = 0; i < 17; ++i) ASSERT_GE(AttachVirtualPad(kStickWithoutRumble), 0);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(GetJoypadCount(), 16);
    const Lines lines = PadLines();
    EXPECT_EQ(Count(lines, "T:\t入力装置を見つけました"), 16) << "the enumeration stops at the sixteenth";
    EXPECT_EQ(Count(lines, "T:\tジョイパッドの追加は正常に終了しました"), 16);
}

TEST_F(JoypadTest, APadThatFailsAStepIsDroppedAndTheNextTakesItsRecord)
{
    ASSERT_GE(AttachVirtualPad({"First", 0, 2, 2, 0, 0}), 0);
    ASSERT_GE(AttachVirtualPad({"Nothing", 0, 0, 0, 0, 0}), 0);
    ASSERT_GE(AttachVirtualPad({"Buttons", 0, 0, 4, 0, 0}), 0);
    ASSERT_GE(AttachVirtualPad({"One axis", 0, 1, 4, 0, 0}), 0);
    ASSERT_GE(AttachVirtualPad({"Last", 0, 2, 2, 0, 1}), 0);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(GetJoypadCount(), 2);
    EXPECT_STREQ(InputState.pads[0].instanceName, "First");
    EXPECT_STREQ(InputState.pads[1].instanceName, "Last");
    EXPECT_EQ(InputState.pads[2].device, nullptr);
    const Lines lines = PadLines();
    EXPECT_EQ(Count(lines, "T:\tジョイパッドデバイスではありませんでした、又は設定に失敗しました"), 1);
    EXPECT_EQ(Count(lines, "T:\tジョイパッドデバイスのＸ軸関係の設定に失敗しました"), 1);
    EXPECT_EQ(Count(lines, "T:\tジョイパッドデバイスのＹ軸関係の設定に失敗しました"), 1);
    EXPECT_EQ(Count(lines, "T:\tジョイパッドの追加は正常に終了しました"), 2);
}

TEST_F(JoypadTest, PadsWhoseEventOrEffectsCannotBeSetUp)
{
    ASSERT_GE(AttachVirtualPad(kController), 0);
    SetInputFaultsForTest(kFaultPadEffect);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(GetJoypadCount(), 1) << "a pad without its effects is added all the same";
    EXPECT_EQ(Count(PadLines(), "T:\t周期的エフェクトの作成に失敗しました。"), 1);
    EXPECT_EQ(StartPadVibration(1, 1000, -1), 0);
    EXPECT_EQ(VirtualPadRumbleOf(0).requests, 0);

    ShutdownInput();
    SetInputFaultsForTest(kFaultPadEvent);
    ASSERT_EQ(SetupInput(), 0);
    EXPECT_EQ(GetJoypadCount(), 0);
    EXPECT_EQ(Count(LogLines(), "T:\tジョイパッドイベントのセットアップが失敗しました"), 1);
}

TEST(AxisScaleTest, RangeAndDeadZone)
{
    struct Case {
        int32_t raw, expected;
    };
    const Case cases[] = {
        {0, 0},    {32767, 1000}, {-32768, -1000}, {8000, 0},    {-8000, 0},
        {8192, 0}, {16384, 333},  {-16384, -333},  {24576, 667}, {-32767, -1000},
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleAxisValue(c.raw, -1000, 1000, 2500), c.expected) << c.raw;
    EXPECT_EQ(ScaleAxisValue(32767, 0, 65535, 0), 65535);
    EXPECT_EQ(ScaleAxisValue(0, 0, 65535, 0), 32768) << "the centre of an even range rounds up";
}

TEST_F(JoypadTest, AxesButtonsAndHatRead)
{
    ASSERT_EQ(AttachVirtualPad(kStickWithoutRumble), 0);
    ASSERT_EQ(AttachVirtualPad(kController), 1);
    ASSERT_EQ(Start(), 0);

    SetVirtualPadAxis(0, 0, 32767);
    SetVirtualPadAxis(0, 1, -32768);
    SetVirtualPadAxis(0, 2, 8000);
    SetVirtualPadAxis(0, 3, 16384);
    SetVirtualPadButton(0, 0, 1);
    SetVirtualPadButton(0, 3, 1);
    SetVirtualPadHat(0, 0, 2);  // right
    JoypadInput input;
    ASSERT_EQ(ReadJoypadInput(1, &input), 0);
    EXPECT_EQ(input.x, 1000);
    EXPECT_EQ(input.y, -1000);
    EXPECT_EQ(input.z, 0) << "inside the dead zone";
    EXPECT_EQ(input.rz, 333);
    EXPECT_EQ(input.buttons, 0x9u);
    EXPECT_EQ(input.pov, 9000);

    // A pad SDL knows: the left stick is X and Y, the right one Z and Rz, the triggers follow
    // the buttons, the d-pad is the point of view.
    SetVirtualPadAxis(1, 0, -32768);  // left stick X
    SetVirtualPadAxis(1, 3, 32767);   // right stick Y
    SetVirtualPadAxis(1, 5, 32767);   // right trigger
    SetVirtualPadButton(1, 0, 1);     // A
    SetVirtualPadButton(1, 11, 1);    // d-pad up
    ASSERT_EQ(ReadJoypadInput(1 | 0x1000, &input), 0) << "bit 0x1000 of a pad number is ignored";
    ASSERT_EQ(ReadJoypadInput(2, &input), 0);
    EXPECT_EQ(input.x, -1000);
    EXPECT_EQ(input.y, 0);
    EXPECT_EQ(input.rz, 1000);
    EXPECT_EQ(input.pov, 0);
    EXPECT_EQ(input.buttons & 1u, 1u);
    EXPECT_NE(input.buttons & (1u << 22), 0u) << "right trigger";
    EXPECT_EQ(input.buttons & (1u << 21), 0u);

    EXPECT_EQ(ReadJoypadInput(3, &input), -1);
    EXPECT_EQ(input.pov, -1);
    EXPECT_EQ(ReadJoypadInput(0, &input), -1);
    EXPECT_EQ(ReadJoypadInput(1, nullptr), -1);
}

TEST_F(JoypadTest, WithoutInputDevicesThereAreNoPads)
{
    ASSERT_GE(AttachVirtualPad(kController), 0);
    SetInputDevicesEnabled(0);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(GetJoypadCount(), 0);
    JoypadInput input;
    EXPECT_EQ(ReadJoypadInput(1, &input), -1);
    EXPECT_EQ(StartPadVibration(1, 1000, -1), -1);
    EXPECT_EQ(StopPadVibration(1), 0);
}

TEST_F(JoypadTest, VibrationDrivesTheMotors)
{
    ASSERT_EQ(AttachVirtualPad(kController), 0);
    ASSERT_EQ(AttachVirtualPad(kStickWithoutRumble), 1);
    ASSERT_EQ(Start(), 0);

    EXPECT_EQ(StartPadVibration(1, 300, -1), 0);
    VirtualPadRumble rumble = VirtualPadRumbleOf(0);
    EXPECT_EQ(rumble.low, 19661) << "power 300 of 1000";
    EXPECT_EQ(rumble.high, 19661);
    EXPECT_EQ(InputState.pads[0].constantApplied, 1);
    EXPECT_EQ(InputState.pads[0].periodicApplied, 0) << "the pulse plays above half power only";

    EXPECT_EQ(StartPadVibration(1, 1000, -1), 0);
    EXPECT_EQ(InputState.pads[0].periodicApplied, 1);
    EXPECT_EQ(VirtualPadRumbleOf(0).low, 65535) << "the pulse starts from nothing: full strength";

    EXPECT_EQ(StopPadVibration(1), 0);
    rumble = VirtualPadRumbleOf(0);
    EXPECT_EQ(rumble.low, 0);
    EXPECT_EQ(rumble.high, 0);
    EXPECT_EQ(InputState.pads[0].vibrating, 0);
    EXPECT_EQ(InputState.pads[0].power, 10000);

    // A stop of a pad that is not vibrating changes nothing.
    const int requests = VirtualPadRumbleOf(0).requests;
    EXPECT_EQ(StopPadVibration(1), 0);
    EXPECT_EQ(VirtualPadRumbleOf(0).requests, requests);

    // A pad without motors takes the request; a pad that does not exist refuses it.
    EXPECT_EQ(StartPadVibration(2, 1000, -1), 0);
    EXPECT_EQ(InputState.pads[1].vibrating, 0);
    EXPECT_EQ(VirtualPadRumbleOf(1).requests, 0);
    EXPECT_EQ(StartPadVibration(3, 1000, -1), -1);
    EXPECT_EQ(StartPadVibration(0, 1000, -1), -1);
}

TEST_F(JoypadTest, ATimedVibrationIsStoppedByThePump)
{
    ASSERT_EQ(AttachVirtualPad(kController), 0);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(StartPadVibration(1 | 0x1000, 500, 30), 0);
    EXPECT_EQ(VirtualPadRumbleOf(0).low, 32768);
    EXPECT_TRUE(PumpUntil([] { return InputState.pads[0].vibrating == 0; }));
    EXPECT_GE(InputState.pads[0].elapsed, 30);
    EXPECT_EQ(VirtualPadRumbleOf(0).low, 0);

    // Without a limit the pump leaves it running.
    ASSERT_EQ(StartPadVibration(1, 500, -1), 0);
    for (int i = 0; i < 50; ++i) {
        PumpMessages();
        SystemSleep(1);
    }
    EXPECT_EQ(InputState.pads[0].vibrating, 1);
    EXPECT_EQ(VirtualPadRumbleOf(0).low, 32768);
}

TEST_F(JoypadTest, DeactivationStopsTheMotorsAndActivationRestartsThem)
{
    ASSERT_EQ(AttachVirtualPad(kController), 0);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(StartPadVibration(1, 400, -1), 0);
    ASSERT_EQ(VirtualPadRumbleOf(0).low, 26214);

    SendMessage(CoreState.MainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(CoreState.Active, 0);
    EXPECT_EQ(VirtualPadRumbleOf(0).low, 0);
    EXPECT_EQ(InputState.pads[0].constantApplied, 0);
    EXPECT_EQ(InputState.pads[0].vibrating, 1) << "the request stays";

    SendMessage(CoreState.MainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(CoreState.Active, 1);
    EXPECT_EQ(VirtualPadRumbleOf(0).low, 26214);
    EXPECT_EQ(InputState.pads[0].constantApplied, 1);
}

TEST_F(JoypadTest, ShutdownStopsTheMotorsAndReleasesThePads)
{
    ASSERT_EQ(AttachVirtualPad(kController), 0);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(StartPadVibration(1, 1000, -1), 0);
    ShutdownInput();
    EXPECT_EQ(VirtualPadRumbleOf(0).low, 0);
    EXPECT_EQ(InputState.padCount, 0);
    EXPECT_EQ(InputState.pads[0].device, nullptr);

    // A vibration request while input is down sets input up again and is dropped.
    EXPECT_EQ(StartPadVibration(1, 1000, -1), -1);
    EXPECT_EQ(GetJoypadCount(), 1);
    EXPECT_EQ(InputState.pads[0].vibrating, 0);
}

// The named layout of a pad SDL knows: each control by its place, whatever SDL numbers it.
TEST_F(JoypadTest, APadKnownToTheWindowSystemReadsByName)
{
    ASSERT_EQ(AttachVirtualPad(kController), 0);
    ASSERT_EQ(AttachVirtualPad(kStickWithoutRumble), 1);
    ASSERT_EQ(Start(), 0);

    struct Button {
        int sdlButton;
        uint32_t bit;
    };
    const Button buttons[] = {
        {0, PAD_SOUTH},           {1, PAD_EAST},  {2, PAD_WEST},       {3, PAD_NORTH},       {4, PAD_BACK},
        {5, PAD_GUIDE},           {6, PAD_START}, {7, PAD_LEFT_STICK}, {8, PAD_RIGHT_STICK}, {9, PAD_LEFT_SHOULDER},
        {10, PAD_RIGHT_SHOULDER}, {11, PAD_UP},   {12, PAD_DOWN},      {13, PAD_LEFT},       {14, PAD_RIGHT},
    };
    PadControls controls;
    for (const Button& button : buttons) {
        SCOPED_TRACE(button.sdlButton);
        SetVirtualPadButton(0, button.sdlButton, 1);
        ASSERT_EQ(ReadPadControls(1, &controls), 0);
        EXPECT_EQ(controls.buttons, button.bit);
        SetVirtualPadButton(0, button.sdlButton, 0);
    }

    struct Axis {
        int sdlAxis;
        int16_t raw;
        int32_t PadControls::*field;
        int32_t expected;
    };
    const Axis axes[] = {
        {0, 32767, &PadControls::leftX, 1000},
        {1, -32768, &PadControls::leftY, -1000},
        {2, 16384, &PadControls::rightX, 333},
        {3, 8000, &PadControls::rightY, 0},
        // A virtual pad's trigger travels the whole axis: released at -32768.
        {4, 32767, &PadControls::leftTrigger, 1000},
        {5, 0, &PadControls::rightTrigger, 500},
        {5, -32768, &PadControls::rightTrigger, 0},
    };
    for (const Axis& axis : axes) {
        SCOPED_TRACE(axis.sdlAxis);
        SetVirtualPadAxis(0, axis.sdlAxis, axis.raw);
        ASSERT_EQ(ReadPadControls(1, &controls), 0);
        EXPECT_EQ(controls.*axis.field, axis.expected);
    }

    char name[64] = "x";
    ASSERT_EQ(GetPadName(1, name, sizeof name), 0);
    EXPECT_STREQ(name, InputState.pads[0].productName);
    EXPECT_NE(name[0], '\0');
    ASSERT_EQ(GetPadName(2, name, sizeof name), 0);
    EXPECT_STREQ(name, "Beta Stick");
    ASSERT_EQ(GetPadName(2, name, 5), 0);
    EXPECT_STREQ(name, "Beta") << "cut to the buffer";

    // A plain joystick has no named layout; pads that do not exist have nothing.
    controls.buttons = 7;
    EXPECT_EQ(ReadPadControls(2, &controls), -1);
    EXPECT_EQ(controls.buttons, 0u);
    EXPECT_EQ(ReadPadControls(3, &controls), -1);
    EXPECT_EQ(ReadPadControls(1, nullptr), -1);
    EXPECT_EQ(GetPadName(3, name, sizeof name), -1);
    EXPECT_EQ(GetPadName(1, nullptr, 8), -1);
    EXPECT_EQ(GetPadName(1, name, 0), -1);
}

// Pads plugged in and pulled out while the game runs: events, numbers that stay, the first
// free number for a newcomer, and vibration on a pad that came late.
TEST_F(JoypadTest, PadsComeAndGoWhileRunningAndKeepTheirNumbers)
{
    ASSERT_EQ(AttachVirtualPad(kController), 0);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(GetJoypadCount(), 1);
    PumpMessages();
    ClearInputEvents();

    auto nextEvent = [] {
        InputEvent event{};
        PumpUntil([&] { return GetInputEventCount() > 0; });
        ReadInputEvent(&event);
        return event;
    };
    ASSERT_EQ(AttachVirtualPad({"Gamma Pad", 1, 0, 0, 0, 1}), 1);
    InputEvent event = nextEvent();
    EXPECT_EQ(event.kind, INPUT_EVENT_PAD_CONNECTED);
    EXPECT_EQ(event.code, 2);
    EXPECT_EQ(GetJoypadCount(), 2);
    EXPECT_STREQ(InputState.pads[1].instanceName, "Gamma Pad");
    EXPECT_EQ(StartPadVibration(2, 300, -1), 0);
    EXPECT_EQ(VirtualPadRumbleOf(1).low, 19661) << "a pad that came late vibrates";

    ASSERT_EQ(DetachVirtualPad(0), 0);
    event = nextEvent();
    EXPECT_EQ(event.kind, INPUT_EVENT_PAD_REMOVED);
    EXPECT_EQ(event.code, 1);
    EXPECT_EQ(GetJoypadCount(), 2) << "pad 2 keeps its number";
    JoypadInput input;
    EXPECT_EQ(ReadJoypadInput(1, &input), -1);
    SetVirtualPadButton(1, 0, 1);
    ASSERT_EQ(ReadJoypadInput(2, &input), 0);
    EXPECT_EQ(input.buttons & 1u, 1u);
    EXPECT_EQ(StartPadVibration(1, 300, -1), -1);

    ASSERT_EQ(AttachVirtualPad({"Delta Stick", 0, 2, 2, 0, 0}), 2);
    event = nextEvent();
    EXPECT_EQ(event.kind, INPUT_EVENT_PAD_CONNECTED);
    EXPECT_EQ(event.code, 1) << "the first free number";
    EXPECT_STREQ(InputState.pads[0].instanceName, "Delta Stick");

    // The last pad pulled out: the count shrinks to the highest number still in use.
    ASSERT_EQ(DetachVirtualPad(1), 0);
    event = nextEvent();
    EXPECT_EQ(event.kind, INPUT_EVENT_PAD_REMOVED);
    EXPECT_EQ(event.code, 2);
    EXPECT_EQ(GetJoypadCount(), 1);
    EXPECT_EQ(ReadInputEvent(&event), -1) << "one event each";

    const Lines lines = LogLines();
    EXPECT_EQ(Count(lines, "T:ジョイパッド2が接続されました"), 1);
    EXPECT_EQ(Count(lines, "T:ジョイパッド1が取り外されました"), 1);
}

}  // namespace
