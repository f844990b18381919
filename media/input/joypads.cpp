#include "input/joypads.h"

#include "core/app_log.h"
#include "base/sjis.h"
#include "core/core_state.h"
#include "core/text_encoding.h"
#include "input/input_events.h"
#include "input/input_setup.h"
#include "input/input_state.h"
#include "platform/system/clock.h"
#include "platform/input_devices/input_devices.h"
#include "rorodiv.h"
#include "window/message_pump.h"
#include "core/last_failure.h"

#include <cstring>

namespace ror {

namespace {

constexpr uint32_t kExclusiveForeground = kCooperativeExclusive | kCooperativeForeground;
constexpr int32_t kFullPower = 10000;
// Above this power the sine pulse plays over the constant force.
constexpr int32_t kPulsePower = 5000;
constexpr int32_t kAxisRange = 1000;
constexpr int32_t kDeadZone = 2500;

constexpr PadEffectParams kSineEffect = {PadEffectKind::Sine, 10000, 1500000, 0, 500000};
constexpr PadEffectParams kConstantEffect = {PadEffectKind::ConstantForce, 10000, 0, 0, 0};

int32_t NowMs() { return static_cast<int32_t>(SystemMilliseconds() & 0x7FFFFFFF); }

// The record of a pad number, or null.
JoypadRecord* PadOfNumber(int pad)
{
    const int index = (pad & ~0x1000) - 1;
    if (index < 0 || index >= InputState.padCount) return nullptr;
    JoypadRecord* record = &InputState.pads[index];
    return record->device ? record : nullptr;
}

void ReleasePadRecord(JoypadRecord* pad)
{
    if (pad->device) {
        UnacquireDevice(pad->device);
        SetChangeEvent(pad->device, nullptr);
    }
    if (pad->constantEffect) {
        StopPadEffect(pad->constantEffect);
        ReleasePadEffect(pad->constantEffect);
    }
    if (pad->periodicEffect) {
        StopPadEffect(pad->periodicEffect);
        ReleasePadEffect(pad->periodicEffect);
    }
    ReleaseDevice(pad->device);
    *pad = JoypadRecord{};
}

// Releases a pad that failed a step, with the step's line.
void DropPad(JoypadRecord* pad, const char* line)
{
    ReleasePadRecord(pad);
    LogWrite(line);
}

struct AxisLines {
    const char* range;
    const char* deadZone;  // null: a failure is ignored
};

// Sets up the pad at an enumeration index into the record `slot` (padCount or an empty
// record below it). 1 when it was added.
int AddPad(int index, int slot)
{
    LogWrite("入力装置を見つけました\n");
    JoypadRecord* pad = &InputState.pads[slot];
    *pad = JoypadRecord{};
    pad->device = CreatePadDevice(index);
    if (!pad->device) {
        LogWrite("入力装置の取得に失敗しました\n");
        return 0;
    }
    PadDeviceInfo info;
    GetPadDeviceInfo(pad->device, &info);
    std::memcpy(pad->instanceName, info.instanceName, sizeof pad->instanceName);
    std::memcpy(pad->productName, info.productName, sizeof pad->productName);
    LogIndent();
    LogWriteFormat("デバイスの登録名:%s", pad->instanceName);
    LogWriteFormat("デバイスの製品登録名:%s", pad->productName);
    LogUnindent();

    if (SetDataFormat(pad->device) != 0) {
        DropPad(pad, "ジョイパッドデバイスではありませんでした、又は設定に失敗しました\n");
        return 0;
    }
    if (SetCooperativeLevel(pad->device, CoreState.MainWindow, kExclusiveForeground) != 0) {
        DropPad(pad, "ジョイパッドデバイスの協調レベルの設定に失敗しました\n");
        return 0;
    }
    static constexpr PadAxis kAxes[] = {PadAxis::X, PadAxis::Y, PadAxis::Z, PadAxis::Rz};
    static constexpr AxisLines kRangeLines[] = {
        {"ジョイパッドデバイスのＸ軸関係の設定に失敗しました\n",
         "ジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました\n"},
        {"ジョイパッドデバイスのＹ軸関係の設定に失敗しました\n",
         "ジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました\n"},
        {nullptr, nullptr},
        {nullptr, nullptr},
    };
    for (int axis = 0; axis < 4; ++axis) {
        if (SetAxisRange(pad->device, kAxes[axis], -kAxisRange, kAxisRange) != 0 && kRangeLines[axis].range) {
            DropPad(pad, kRangeLines[axis].range);
            return 0;
        }
    }
    for (int axis = 0; axis < 4; ++axis) {
        if (SetAxisDeadZone(pad->device, kAxes[axis], kDeadZone) != 0 && kRangeLines[axis].deadZone) {
            DropPad(pad, kRangeLines[axis].deadZone);
            return 0;
        }
    }
    // A pad without rumble motors has no effects and is added all the same.
    if (info.hasRumble) {
        pad->periodicEffect = CreatePadEffect(pad->device, kSineEffect);
        if (!pad->periodicEffect) LogWrite("周期的エフェクトの作成に失敗しました。\n");
        pad->constantEffect = CreatePadEffect(pad->device, kConstantEffect);
    }
    pad->vibrating = 0;
    pad->power = kFullPower;
    pad->constantApplied = 0;
    pad->periodicApplied = 0;

    ManualResetEvent* event = PadChangeEvent(slot);
    if (SetChangeEvent(pad->device, event) != 0) {
        DropPad(pad, "ジョイパッドイベントのセットアップが失敗しました\n");
        return 0;
    }
    AcquireDevice(pad->device);
    pad->changeEvent = event;
    pad->deviceId = PadIdOfDevice(pad->device);
    if (slot == InputState.padCount) ++InputState.padCount;
    LogWrite("ジョイパッドの追加は正常に終了しました\n");
    return 1;
}

void QueuePadEvent(int kind, int pad)
{
    InputEvent event{};
    event.kind = kind;
    event.code = pad;
    event.time = NowMs();
    QueueInputEvent(event);
}

// Holds the caller while the window is inactive; then 0 when input is set up, or -1 after
// setting it up (the request is dropped).
int PrepareForPadRequest()
{
    // Before start-up no window can become active and no pad is set up.
    if (!CoreState.Started) return -1;
    WaitWhileInactive();
    if (InputState.directInput == InputObject::None) {
        SetupInput();
        return -1;
    }
    return 0;
}

}  // namespace

int EnumerateJoypads()
{
    if (InputState.directInput != InputObject::Devices) return -1;
    ReleaseJoypads();
    LogWrite("ジョイパッドの初期化... \n");
    InputState.padCount = 0;
    InputState.padArrivals = PadArrivals();
    const int count = CountPadDevices();
    for (int index = 0; index < count; ++index) {
        if (InputState.padCount < kMaxJoypads) AddPad(index, InputState.padCount);
        // A pad left out now (the records full, or refused) is not looked at again.
        if (PadDeviceId(index) > InputState.lastPadId) InputState.lastPadId = PadDeviceId(index);
    }
    LogWrite("ジョイパッドの初期化は正常に終了しました\n");
    return 0;
}

int ReleaseJoypads()
{
    if (InputState.directInput != InputObject::Devices) return -1;
    for (int i = 0; i < InputState.padCount; ++i) ReleasePadRecord(&InputState.pads[i]);
    InputState.padCount = 0;
    return 0;
}

int StepPadConnections()
{
    if (InputState.directInput != InputObject::Devices) return 0;
    for (int i = 0; i < InputState.padCount; ++i) {
        JoypadRecord* pad = &InputState.pads[i];
        if (!pad->device || PadDeviceAttached(pad->device)) continue;
        ReleasePadRecord(pad);
        LogWriteFormat("ジョイパッド%dが取り外されました\n", i + 1);
        QueuePadEvent(INPUT_EVENT_PAD_REMOVED, i + 1);
    }
    while (InputState.padCount > 0 && !InputState.pads[InputState.padCount - 1].device) --InputState.padCount;

    if (PadArrivals() == InputState.padArrivals) return 0;
    InputState.padArrivals = PadArrivals();
    const int count = CountPadDevices();
    for (int index = 0; index < count; ++index) {
        const int32_t id = PadDeviceId(index);
        if (id <= InputState.lastPadId) continue;
        InputState.lastPadId = id;
        int slot = 0;
        while (slot < InputState.padCount && InputState.pads[slot].device) ++slot;
        if (slot == kMaxJoypads) continue;
        if (!AddPad(index, slot)) continue;
        LogWriteFormat("ジョイパッド%dが接続されました\n", slot + 1);
        QueuePadEvent(INPUT_EVENT_PAD_CONNECTED, slot + 1);
    }
    return 0;
}

int ApplyPadVibration()
{
    if (InputState.directInput != InputObject::Devices) return 0;
    for (int i = 0; i < InputState.padCount; ++i) {
        JoypadRecord& pad = InputState.pads[i];
        if (!pad.device) continue;
        if (CoreState.Active) {
            const int32_t constant = pad.vibrating == 1;
            if (constant != pad.constantApplied) {
                constant ? StartPadEffect(pad.constantEffect) : StopPadEffect(pad.constantEffect);
                pad.constantApplied = constant;
            }
            const int32_t periodic = pad.vibrating == 1 && pad.power > kPulsePower;
            if (periodic != pad.periodicApplied) {
                periodic ? StartPadEffect(pad.periodicEffect) : StopPadEffect(pad.periodicEffect);
                pad.periodicApplied = periodic;
            }
        } else {
            if (pad.constantApplied) StopPadEffect(pad.constantEffect);
            if (pad.periodicApplied) StopPadEffect(pad.periodicEffect);
            pad.constantApplied = 0;
            pad.periodicApplied = 0;
        }
    }
    return 0;
}

}  // namespace ror

using namespace ror;

int StopPadVibration(int pad)
{
    if (PrepareForPadRequest() != 0) return 0;
    JoypadRecord* record = PadOfNumber(pad);
    if (!record || !record->constantEffect || record->vibrating != 1) return 0;
    record->vibrating = 0;
    record->power = kFullPower;
    ApplyPadVibration();
    return 0;
}

namespace ror {

int StepPadVibration()
{
    if (InputState.directInput != InputObject::Devices) return 0;
    const int32_t now = NowMs();
    for (int i = 0; i < InputState.padCount; ++i) {
        JoypadRecord& pad = InputState.pads[i];
        if (!pad.device || !pad.vibrating || pad.duration < 0) continue;
        if (pad.lastTime > now) pad.lastTime = now;
        if (now == pad.lastTime) continue;
        pad.elapsed += now - pad.lastTime;
        pad.lastTime = now;
        if (pad.elapsed >= pad.duration) StopPadVibration(i + 1);
    }
    ApplyPadVibration();
    // The sine pulse changes with time: its strength goes to the motors on every step.
    PlayPadEffects();
    return 0;
}

}  // namespace ror

int StartPadVibration(int pad, int power, int duration)
{
    if (!CoreState.Started) return FailedNotStarted(__func__);
    // Input that was taken down is set up again; this request is dropped.
    if (PrepareForPadRequest() != 0) return FailedSince(FailureMark(), FAILURE_DEVICE, __func__);
    JoypadRecord* record = PadOfNumber(pad);
    if (!record) return FailedArgument(__func__);
    if (!record->constantEffect) return 0;
    if (power < 0) power = 0;
    if (power > 1000) power = 1000;
    record->vibrating = 1;
    record->power = power * 10;
    record->duration = duration;
    record->elapsed = 0;
    record->lastTime = NowMs();
    SetPadEffectMagnitude(record->constantEffect, record->power);
    ApplyPadVibration();
    return 0;
}

int GetJoypadCount() { return InputState.directInput == InputObject::Devices ? InputState.padCount : 0; }

int ReadJoypadInput(int pad, JoypadInput* out)
{
    if (!out) return FailedArgument(__func__);
    *out = JoypadInput{0, 0, 0, 0, -1, 0};
    JoypadRecord* record = InputState.directInput == InputObject::Devices ? PadOfNumber(pad) : nullptr;
    if (!record) return FailedArgument(__func__);
    PadDeviceState state;
    if (ReadPadDevice(record->device, &state) != 0) {
        const uint32_t mark = FailureMark();
        if (AcquireDevice(record->device) != 0 || ReadPadDevice(record->device, &state) != 0)
            return FailedSince(mark, FAILURE_DEVICE, __func__);
    }
    *out = JoypadInput{state.x, state.y, state.z, state.rz, state.pov, 0};
    for (int button = 0; button < 32; ++button) {
        if (state.buttons[button] & 0x80) out->buttons |= 1u << button;
    }
    if (record->changeEvent) ResetEvent(*record->changeEvent);
    return 0;
}

namespace {

// -1000..1000 with the joypad axes' dead zone, as ReadJoypadInput reads a stick.
int32_t StickValue(int32_t raw) { return ScaleAxisValue(raw, -kAxisRange, kAxisRange, kDeadZone); }

// 0..1000 over the trigger's travel.
int32_t TriggerValue(int32_t raw) { return raw <= 0 ? 0 : static_cast<int32_t>((raw * 1000 + 16383) / 32767); }

}  // namespace

int ReadPadControls(int pad, PadControls* out)
{
    if (!out) return FailedArgument(__func__);
    *out = PadControls{};
    JoypadRecord* record = InputState.directInput == InputObject::Devices ? PadOfNumber(pad) : nullptr;
    PadLayoutState state;
    if (!record) return FailedArgument(__func__);
    if (ReadPadLayout(record->device, &state) != 0) return FailedSince(FailureMark(), FAILURE_DEVICE, __func__);
    *out = PadControls{StickValue(state.leftX),
                       StickValue(state.leftY),
                       StickValue(state.rightX),
                       StickValue(state.rightY),
                       TriggerValue(state.leftTrigger),
                       TriggerValue(state.rightTrigger),
                       state.buttons};
    return 0;
}

int GetPadName(int pad, char* buffer, int size)
{
    JoypadRecord* record = InputState.directInput == InputObject::Devices ? PadOfNumber(pad) : nullptr;
    if (!record || !buffer || size < 1) return FailedArgument(__func__);
    // Cut at a character's end, then into the game's text mode.
    const char* name = record->productName;
    int length = 0;
    while (name[length] != '\0') {
        const int width = IsSjisLeadByte(static_cast<uint8_t>(name[length])) && name[length + 1] != '\0' ? 2 : 1;
        if (length + width > size - 1) break;
        length += width;
    }
    std::memcpy(buffer, name, length);
    buffer[length] = '\0';
    TextToCaller(buffer, static_cast<size_t>(size));
    return 0;
}
