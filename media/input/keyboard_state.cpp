#include "input/keyboard_state.h"

#include "core/core_state.h"
#include "input/input_setup.h"
#include "input/input_state.h"
#include "platform/clock.h"
#include "platform/input_devices.h"
#include "platform/virtual_keys.h"
#include "platform/window_input.h"
#include "rorodiv.h"
#include "window/message_pump.h"

#include <cstring>

namespace {

constexpr VirtualKeyPair kVirtualKeyTable[] = {
    // Letters A-Z.
    {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E}, {0x44, 0x20}, {0x45, 0x12}, {0x46, 0x21}, {0x47, 0x22},
    {0x48, 0x23}, {0x49, 0x17}, {0x4A, 0x24}, {0x4B, 0x25}, {0x4C, 0x26}, {0x4D, 0x32}, {0x4E, 0x31},
    {0x4F, 0x18}, {0x50, 0x19}, {0x51, 0x10}, {0x52, 0x13}, {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16},
    {0x56, 0x2F}, {0x57, 0x11}, {0x58, 0x2D}, {0x59, 0x15}, {0x5A, 0x2C},
    // Digits 0-9.
    {0x30, 0x0B}, {0x31, 0x02}, {0x32, 0x03}, {0x33, 0x04}, {0x34, 0x05}, {0x35, 0x06}, {0x36, 0x07},
    {0x37, 0x08}, {0x38, 0x09}, {0x39, 0x0A},
    // Cursor keys.
    {0x25, 0xCB}, {0x26, 0xC8}, {0x27, 0xCD}, {0x28, 0xD0},
    // Punctuation of the Japanese layout.
    {0xBB, 0x27}, {0xBA, 0x92}, {0xDB, 0x1A}, {0xDD, 0x1B}, {0xC0, 0x91}, {0xE2, 0x2B}, {0xBC, 0x33},
    {0xBD, 0x0C}, {0xDC, 0x7D}, {0xBE, 0x34}, {0xBF, 0x35},
    // Editing.
    {0x2E, 0xD3}, {0x1B, 0x01}, {0x20, 0x39}, {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C},
    // Numeric keypad; Return also stands for keypad Enter.
    {0x60, 0x52}, {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D},
    {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49}, {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53},
    {0x6F, 0xB5}, {0x0D, 0x9C},
    // Modifiers.
    {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x9D},
    // Navigation.
    {0x21, 0xC9}, {0x22, 0xD1}, {0x23, 0xCF}, {0x24, 0xC7}, {0x2D, 0xD2},
    // Alt keys.
    {0xA4, 0x38}, {0xA5, 0xB8},
    // Locks and pause.
    {0x91, 0x46}, {0x14, 0x3A}, {0x13, 0xC5},
    // Function keys.
    {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40}, {0x76, 0x41},
    {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58},
    // End of the table.
    {0xFFFF, 0xFFFF},
};
static_assert(std::size(kVirtualKeyTable) == 100, "99 pairs and the end row");

constexpr uint8_t kRightShiftKeyCode = 0x36;

bool Signalled(ManualResetEvent* event)
{
    return event && WaitEventFor(*event, 0) == 1;
}

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
    uint8_t windowState[256];
    GetKeyboardState(windowState);
    std::memset(InputState.keyState, 0, sizeof InputState.keyState);
    for (const VirtualKeyPair& pair : kVirtualKeyTable) {
        if (pair.virtualKey == 0xFFFF) break;
        InputState.keyState[pair.keyCode] = windowState[pair.virtualKey];
    }
    return 1;
}

}  // namespace

std::span<const VirtualKeyPair> VirtualKeyTable()
{
    return std::span(kVirtualKeyTable, std::size(kVirtualKeyTable) - 1);
}

int RefreshKeyState()
{
    if (InputState.windowSystemInput != 1 && InputState.keyboard) return RefreshFromKeyboard();
    return RefreshFromWindowSystem();
}

int IsKeyDown(int keyCode)
{
    WaitWhileInactive();
    if (InputState.directInput == InputObject::None) {
        if (!CoreState.ClosePosted) SetupInput();
        return 0;
    }
    RefreshKeyState();
    if (keyCode < 0 || keyCode > 255) return 0;
    return (InputState.keyState[keyCode] & 0x80) ? 1 : 0;
}
