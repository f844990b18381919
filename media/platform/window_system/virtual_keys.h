// Virtual-key codes of the layer's window system (WM_KEYDOWN, the 256-byte key state) and
// the table that maps the keys SDL knows onto them.
#pragma once
#include <cstdint>
#include <span>

namespace ror {

constexpr uint8_t VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_XBUTTON1 = 0x05,
                  VK_XBUTTON2 = 0x06;
constexpr uint8_t VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D;
constexpr uint8_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14;
constexpr uint8_t VK_KANA = 0x15, VK_KANJI = 0x19, VK_ESCAPE = 0x1B, VK_CONVERT = 0x1C, VK_NONCONVERT = 0x1D;
constexpr uint8_t VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24;
constexpr uint8_t VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;
constexpr uint8_t VK_SELECT = 0x29, VK_EXECUTE = 0x2B, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
                  VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' 0x41..0x5A.
constexpr uint8_t VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_SLEEP = 0x5F;
constexpr uint8_t VK_NUMPAD0 = 0x60;  // .. VK_NUMPAD9 = 0x69
constexpr uint8_t VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
                  VK_DIVIDE = 0x6F;
constexpr uint8_t VK_F1 = 0x70;  // .. VK_F24 = 0x87
constexpr uint8_t VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
constexpr uint8_t VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
                  VK_RMENU = 0xA5;
constexpr uint8_t VK_BROWSER_BACK = 0xA6, VK_BROWSER_FORWARD = 0xA7, VK_BROWSER_REFRESH = 0xA8, VK_BROWSER_STOP = 0xA9,
                  VK_BROWSER_SEARCH = 0xAA, VK_BROWSER_FAVORITES = 0xAB, VK_BROWSER_HOME = 0xAC, VK_VOLUME_MUTE = 0xAD,
                  VK_VOLUME_DOWN = 0xAE, VK_VOLUME_UP = 0xAF, VK_MEDIA_NEXT_TRACK = 0xB0, VK_MEDIA_PREV_TRACK = 0xB1,
                  VK_MEDIA_STOP = 0xB2, VK_MEDIA_PLAY_PAUSE = 0xB3, VK_LAUNCH_MAIL = 0xB4,
                  VK_LAUNCH_MEDIA_SELECT = 0xB5, VK_LAUNCH_APP1 = 0xB6, VK_LAUNCH_APP2 = 0xB7;
constexpr uint8_t VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
                  VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
                  VK_OEM_102 = 0xE2;

// One key: SDL's scan code (SDL_Scancode), its virtual key and its keyboard scan code in
// the 0-255 numbering where 0x80 marks an extended (E0-prefixed) key, which is also the
// numbering of the input layer's key codes (0x01 Escape, 0x1E A, 0xC8 up arrow).
struct KeyMapping {
    int32_t sdlScancode;
    uint8_t virtualKey;
    uint8_t scanCode;
};

std::span<const KeyMapping> KeyMappings();
// The row of an SDL scan code, or null for a key the layer does not know.
const KeyMapping* FindKeyMapping(int32_t sdlScancode);

}  // namespace ror
