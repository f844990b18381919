// What the window system knows of the keyboard and the pointer, kept from its events as they
// are turned into messages (so it matches the messages the program has seen).
#pragma once
#include "platform/window_system/messages.h"

#include <cstdint>

namespace ror {

// 256 bytes indexed by virtual key (VK_*): bit 0x80 while the key or mouse button is held,
// bit 0x01 toggled by each press. VK_SHIFT, VK_CONTROL and VK_MENU are held while either
// side is. 0.
int GetKeyboardState(uint8_t state[256]);
// The same state per physical key, indexed by the input layer's key codes (the numbering
// of the keyboard device's state: 0x01 Escape, 0x1E A, 0xC8 up arrow). 0.
int GetKeyStateByKeyCode(uint8_t state[256]);
// The pointer in screen coordinates: its last position inside one of the layer's windows
// plus that window's client origin. 0, or -1 before any pointer event.
int GetCursorPos(Point* out);
// The pointer relative to a window's client area, from the last motion seen there. 0 / -1.
int GetPointerInClient(WindowHandle window, Point* out);
// Held mouse buttons as MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2.
uint32_t HeldMouseButtons();

}  // namespace ror
