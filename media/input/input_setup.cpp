// Input set-up and shutdown: the input system (version 7, else 8, else the window system's
// key state), the mouse and keyboard devices, and re-acquiring them on activation.
#include "input/input_setup.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "core/fatal_exit.h"
#include "input/input_state.h"
#include "input/joypads.h"
#include "platform/system/clock.h"
#include "platform/input_devices/input_devices.h"
#include "platform/window_system/window.h"
#include "window/message_pump.h"

namespace ror {

InputStateRecord InputState;
InputSettingsRecord InputSettings;

namespace {

// The events live for the process; a record only points at them while it uses one.
ManualResetEvent KeyboardEvent;
ManualResetEvent PadEvents[kMaxJoypads];

constexpr uint32_t kSharedBackground = kCooperativeNonExclusive | kCooperativeBackground;
constexpr uint32_t kExclusiveForeground = kCooperativeExclusive | kCooperativeForeground;

void ReleaseKeyboardAndMouse()
{
    if (InputState.keyboard) {
        UnacquireDevice(InputState.keyboard);
        SetChangeEvent(InputState.keyboard, nullptr);
        ReleaseDevice(InputState.keyboard);
        InputState.keyboard = nullptr;
    }
    InputState.keyboardEvent = nullptr;
    if (InputState.mouse) {
        UnacquireDevice(InputState.mouse);
        ReleaseDevice(InputState.mouse);
        InputState.mouse = nullptr;
    }
}

// A keyboard or mouse that cannot be set up: release what exists and end the program.
[[noreturn]] void FailDevices(const char* line)
{
    ReleaseJoypads();
    ReleaseKeyboardAndMouse();
    ReleaseInputSystem();
    InputState.directInput = InputObject::None;
    FatalExit(line);
}

// Tries one version of the input system. 0 when it is obtained and initialised.
int ObtainVersion(int version)
{
    LogWrite("成功\n");
    LogIndent();
    LogWrite("引き続き初期化処理... ");
    if (InitializeInputSystem(version) == 0) {
        LogWrite("初期化成功\n");
        LogUnindent();
        InputState.version8 = version == 8;
        return 0;
    }
    LogWrite("初期化に失敗。");
    LogUnindent();
    ReleaseInputSystem();
    return -1;
}

// 0 with the input system, -1 when neither version could be had.
int ObtainInput()
{
    LogWrite("DirectInput関係初期化処理\n");
    LogIndent();
    LogWrite("DirectInput7 の取得中... ");
    uint32_t result = InputSettings.devicesOff ? kInputSystemMissing : ObtainInputSystem(7);
    if (result != 0) {
        LogWrite("取得に失敗。\n");
        LogWriteFormat("エラーコード 0x%x\n", result);
    } else if (ObtainVersion(7) == 0) {
        return 0;
    }
    LogWrite("DirectInput8 の取得を試みます...");
    result = InputSettings.devicesOff ? kInputSystemMissing : ObtainInputSystem(8);
    if (result != 0) {
        LogWrite("取得に失敗。");
    } else if (ObtainVersion(8) == 0) {
        return 0;
    }
    LogWrite("DirectInput を使用しません。\n");
    LogUnindent();
    ReleaseInputSystem();
    InputState.windowSystemInput = 1;
    return -1;
}

int SetupDevices()
{
    InputState.directInput = InputObject::Devices;
    BringWindowToTop(CoreState.MainWindow);
    PumpMessages();
    EnumerateJoypads();

    LogWrite("マウスデバイスの初期化... ");
    InputState.mouse = CreateMouseDevice();
    if (!InputState.mouse) FailDevices("マウスデバイスの取得に失敗しました");
    if (SetDataFormat(InputState.mouse) != 0) FailDevices("マウスデバイスのデータ形式の設定に失敗しました");
    if (SetCooperativeLevel(InputState.mouse, CoreState.MainWindow, kSharedBackground) != 0)
        FailDevices("マウスデバイスの協調レベルの設定に失敗しました");
    LogWrite("初期化成功\n");
    InputState.lastRefresh = SystemMilliseconds();

    LogWrite("キーボードデバイスの初期化... ");
    InputState.keyboard = CreateKeyboardDevice();
    if (!InputState.keyboard) FailDevices("キーボードデバイスの取得に失敗しました");
    if (SetDataFormat(InputState.keyboard) != 0) FailDevices("キーボードデバイスのデータ形式の設定に失敗しました");
    if (SetCooperativeLevel(InputState.keyboard, CoreState.MainWindow, kSharedBackground) != 0)
        FailDevices("キーボードデバイスの協調レベルの設定に失敗しました");
    if (SetBufferSize(InputState.keyboard, 100) != 0) LogWrite("キーボードのプロパティ設定に失敗しました\n");

    ManualResetEvent* event = KeyboardChangeEvent();
    if (SetChangeEvent(InputState.keyboard, event) != 0) {
        LogWrite("キーボードイベントのセットアップが失敗しました\n");
        LogUnindent();
        return 1;
    }
    InputState.keyboardEvent = event;
    if (AcquireDevice(InputState.keyboard) != 0 && AcquireDevice(InputState.keyboard) != 0)
        FailDevices("キーボードデバイスの取得に失敗しました");
    LogWrite("初期化成功\n");
    InputState.lastRefresh = SystemMilliseconds();
    LogUnindent();
    LogWrite("DirectInput 関連の初期化は正常に終了しました\n");
    return 0;
}

int SetupWindowSystemInput()
{
    LogIndent();
    LogWriteFormat("パッドの数は %d 個です\n", CountSystemJoysticks());
    LogUnindent();
    InputState.directInput = InputObject::WindowSystem;
    LogWrite("入力関連の初期化をしました\n");
    return 0;
}

}  // namespace

ManualResetEvent* KeyboardChangeEvent()
{
    ResetEvent(KeyboardEvent);
    return &KeyboardEvent;
}

ManualResetEvent* PadChangeEvent(int pad)
{
    ResetEvent(PadEvents[pad]);
    return &PadEvents[pad];
}

int SetupInput()
{
    if (InputState.directInput != InputObject::None) return 0;
    const int32_t windowSystemInput = InputState.windowSystemInput;
    InputState = InputStateRecord{};
    InputState.windowSystemInput = windowSystemInput;
    if (!InputState.windowSystemInput && ObtainInput() == 0) return SetupDevices();
    return SetupWindowSystemInput();
}

int ShutdownInput()
{
    switch (InputState.directInput) {
    case InputObject::None: return 0;
    case InputObject::WindowSystem: LogWrite("入力関連の終了処理... 完了\n"); break;
    case InputObject::Devices:
        LogWrite("DirectInput 関連の終了処理... 完了\n");
        ReleaseJoypads();
        ReleaseKeyboardAndMouse();
        ReleaseInputSystem();
        break;
    }
    InputState.directInput = InputObject::None;
    return 0;
}

int ReacquireInputDevices()
{
    if (InputState.directInput != InputObject::Devices) return 0;
    const uint32_t level = CoreState.Active ? kExclusiveForeground : kSharedBackground;
    for (int i = 0; i < InputState.padCount; ++i) {
        InputDevice* device = InputState.pads[i].device;
        UnacquireDevice(device);
        SetCooperativeLevel(device, CoreState.MainWindow, level);
        AcquireDevice(device);
    }
    if (InputState.keyboard) {
        UnacquireDevice(InputState.keyboard);
        AcquireDevice(InputState.keyboard);
    }
    return 0;
}

}  // namespace ror

using namespace ror;

int SetInputDevicesEnabled(int enable)
{
    InputSettings.devicesOff = enable ? 0 : 1;
    // Asking for the devices again lets the next set-up look for them afresh.
    if (enable) InputState.windowSystemInput = 0;
    return 0;
}
