#include "input/keyboard_state.h"

#include "core/core_state.h"
#include "input/input_setup.h"
#include "input/input_state.h"
#include "platform/system/clock.h"
#include "platform/input_devices/input_devices.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window_input.h"
#include "rorodiv.h"
#include "window/message_pump.h"

#include <cstring>

namespace ror {

namespace {

constexpr uint8_t kRightShiftKeyCode = 0x36;

bool Signalled(ManualResetEvent* event) { return event && WaitEventFor(*event, 0) == 1; }

int RefreshFromKeyboard()
{
    const uint32_t now = SystemMilliseconds();
    if (now == InputState.lastRefresh && !Signalled(InputState.keyboardEvent)) return 0;
    if (PumpMessages() != 0) return 0;
    if (InputState.directInput != InputObject::Devices || !InputState.keyboard) return 0;
    // Read into a copy: a failed read leaves the table as it was.
    uint8_t state[256];
    if (ReadKeyboardDevice(InputState.keyboard, state) != 0) {
        if (AcquireDevice(InputState.keyboard) != 0) return 0;
        if (ReadKeyboardDevice(InputState.keyboard, state) != 0) return 0;
    }
    std::memcpy(InputState.keyState, state, sizeof state);
    InputState.lastRefresh = now;
    if (Signalled(InputState.keyboardEvent)) ResetEvent(*InputState.keyboardEvent);
    uint8_t windowState[256];
    GetKeyboardState(windowState);
    InputState.keyState[kRightShiftKeyCode] = windowState[VK_RSHIFT];
    return 1;
}

int RefreshFromWindowSystem()
{
    const uint32_t now = SystemMilliseconds();
    if (now == InputState.lastRefresh) return 0;
    InputState.lastRefresh = now;
    if (PumpMessages() != 0) return 0;
    // By the physical key, as the keyboard device reads it: virtual keys depend on the
    // layout, so a table from virtual keys would name other keys on another layout.
    GetKeyStateByKeyCode(InputState.keyState);
    return 1;
}

}  // namespace

int RefreshKeyState()
{
    if (InputState.windowSystemInput != 1 && InputState.keyboard) return RefreshFromKeyboard();
    return RefreshFromWindowSystem();
}

}  // namespace ror

using namespace ror;

int IsKeyDown(int keyCode)
{
    // Before start-up (or after shutdown) no window can become active: nothing is held.
    if (!CoreState.Started) return 0;
    WaitWhileInactive();
    if (InputState.directInput == InputObject::None) {
        if (!CoreState.ClosePosted) SetupInput();
        return 0;
    }
    RefreshKeyState();
    if (keyCode < 0 || keyCode > 255) return 0;
    return (InputState.keyState[keyCode] & 0x80) ? 1 : 0;
}
