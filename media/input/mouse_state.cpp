// The pointer position in drawing-surface coordinates and the held mouse buttons.
#include "core/core_state.h"
#include "input/input_events.h"
#include "input/input_setup.h"
#include "input/input_state.h"
#include "platform/input_devices/input_devices.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window_input.h"
#include "rorodiv.h"

using namespace ror;

int ReadMousePosition(int32_t* outX, int32_t* outY)
{
    // Before the pointer has been seen it counts as resting on the client origin.
    const Rect& client = CoreState.ClientRectOnScreen;
    Point cursor{client.left, client.top};
    GetCursorPos(&cursor);
    const Point surface = ScreenToSurface(cursor);
    if (outX) *outX = surface.x;
    if (outY) *outY = surface.y;
    return 0;
}

int ReadMouseButtons()
{
    if (InputState.windowSystemInput == 1 || !InputState.mouse) {
        uint8_t windowState[256];
        GetKeyboardState(windowState);
        int buttons = 0;
        if (windowState[VK_LBUTTON] & 0x80) buttons |= MOUSE_LEFT;
        if (windowState[VK_RBUTTON] & 0x80) buttons |= MOUSE_RIGHT;
        if (windowState[VK_MBUTTON] & 0x80) buttons |= MOUSE_MIDDLE;
        return buttons;
    }
    MouseDeviceState state;
    if (ReadMouseDevice(InputState.mouse, &state) != 0) {
        if (AcquireDevice(InputState.mouse) != 0) return 0;
        if (ReadMouseDevice(InputState.mouse, &state) != 0) return 0;
    }
    int buttons = 0;
    for (int i = 0; i < 8; ++i) {
        if (state.buttons[i] & 0x80) buttons |= 1 << i;
    }
    return buttons;
}
