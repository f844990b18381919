// Messages of the layer's window system, in the numbers the window procedure and the pump
// speak. The values are behaviour (tests and callers rely on them): keep them as they are.
#pragma once
#include <cstdint>

namespace ror {

struct PlatformWindow;
using WindowHandle = PlatformWindow*;
using WParam = uintptr_t;
using LParam = intptr_t;
using MessageResult = intptr_t;

using WindowProcedure = MessageResult (*)(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
// Called from dispatch when a timer that names one is due (its WM_TIMER carries it in lParam).
using TimerProcedure = void (*)(WindowHandle window, uint32_t message, uintptr_t timerId, uint32_t time);

struct Message {
    WindowHandle window;  // null for a message posted to the thread itself
    uint32_t message;
    WParam wParam;
    LParam lParam;
    uint32_t time;  // SystemMilliseconds() when it was queued
};

struct Rect {
    int32_t left, top, right, bottom;
};

struct Point {
    int32_t x, y;
};

// Window messages.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
// A key message's lParam bit (reserved by the messages' layout) that the window system sets
// when Ctrl was held as the key went down, so the character it makes does not depend on when
// the message is translated.
constexpr LParam kControlHeldBit = LParam(1) << 25;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
constexpr uint32_t WM_IME_ENDCOMPOSITION = 0x010E;
constexpr uint32_t WM_IME_COMPOSITION = 0x010F;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_XBUTTONDOWN = 0x020B;
constexpr uint32_t WM_XBUTTONUP = 0x020C;
constexpr uint32_t WM_MOUSEHWHEEL = 0x020E;
constexpr uint32_t WM_SIZING = 0x0214;
constexpr uint32_t WM_MOVING = 0x0216;
constexpr uint32_t WM_IME_SETCONTEXT = 0x0281;
constexpr uint32_t WM_IME_NOTIFY = 0x0282;
constexpr uint32_t MM_MCINOTIFY = 0x03B9;
constexpr uint32_t WM_NETWORK_SOCKET = 0x0505;  // the network layer's socket notification

// WM_ACTIVATE states.
constexpr WParam WA_INACTIVE = 0;
constexpr WParam WA_ACTIVE = 1;
// WM_SIZE kinds.
constexpr WParam SIZE_RESTORED = 0;
constexpr WParam SIZE_MINIMIZED = 1;
constexpr WParam SIZE_MAXIMIZED = 2;
// WM_SIZING edges.
constexpr WParam WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4, WMSZ_TOPRIGHT = 5, WMSZ_BOTTOM = 6,
                 WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8;
// WM_SYSCOMMAND requests.
constexpr WParam SC_CLOSE = 0xF060;
constexpr WParam SC_SCREENSAVE = 0xF140;
constexpr WParam SC_MONITORPOWER = 0xF170;
// Hit-test results.
constexpr MessageResult HTCLIENT = 1;
constexpr MessageResult HTCAPTION = 2;
constexpr MessageResult HTMENU = 5;
// Mouse-message key flags (wParam of WM_MOUSEMOVE and the button messages).
constexpr WParam MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10,
                 MK_XBUTTON1 = 0x20, MK_XBUTTON2 = 0x40;
constexpr int WHEEL_DELTA = 120;
// WM_IME_COMPOSITION parts and WM_IME_NOTIFY requests.
constexpr LParam GCS_COMPSTR = 0x0008;
constexpr LParam GCS_COMPCLAUSE = 0x0020;
constexpr LParam GCS_CURSORPOS = 0x0080;
constexpr LParam GCS_RESULTSTR = 0x0800;
constexpr WParam IMN_CHANGECANDIDATE = 3, IMN_CLOSECANDIDATE = 4, IMN_OPENCANDIDATE = 5, IMN_SETOPENSTATUS = 8,
                 IMN_SETCANDIDATEPOS = 9;

// Window styles.
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_THICKFRAME = 0x00040000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
// ShowWindow commands.
constexpr int SW_HIDE = 0, SW_SHOW = 5, SW_MINIMIZE = 6, SW_RESTORE = 9;
// PeekMessage options.
constexpr uint32_t PM_NOREMOVE = 0, PM_REMOVE = 1;

// Parts of a message value.
constexpr uint32_t LowWord(uintptr_t value) { return static_cast<uint32_t>(value & 0xFFFF); }
constexpr uint32_t HighWord(uintptr_t value) { return static_cast<uint32_t>((value >> 16) & 0xFFFF); }
constexpr int32_t SignedLowWord(uintptr_t value) { return static_cast<int16_t>(value & 0xFFFF); }
constexpr int32_t SignedHighWord(uintptr_t value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }
constexpr LParam MakeLParam(int32_t low, int32_t high)
{
    return static_cast<LParam>((static_cast<uint32_t>(low) & 0xFFFF) | ((static_cast<uint32_t>(high) & 0xFFFF) << 16));
}

}  // namespace ror
