// Windows of the layer's window system. Each window is an SDL window whose client area is
// the SDL window itself (the window manager's frame lies outside it). Windows are made
// from registered classes; a class holds a per-user lock named after it while a window of
// it exists, which is how another process finds it (FindWindowOfClass).
#pragma once
#include "platform/window_system/messages.h"

#include <cstdint>

namespace ror {

// What a class does when another process holds its lock as its first window is made.
enum class ClassLockRule {
    Exclusive,   // the window is not made
    TakeIfFree,  // the window is made without the lock, so the other process is not told
};

// Registers a class; its procedure receives the messages of its windows. 0, or -1 when a
// class of that name exists, the table is full or the name is empty or too long (255 bytes).
int RegisterWindowClass(const char* name, WindowProcedure procedure, ClassLockRule lockRule);
// 0, or -1 for an unknown class or one that still has windows.
int UnregisterWindowClass(const char* name);
// 1 when a window of the class exists, in this process or in another of this user, else 0.
int FindWindowOfClass(const char* name);

// 1 while the class holds its lock, so that another process finds its windows; 0 when its
// windows were made without it (no lock file could be made) or it has none.
int ClassHoldsInstanceLock(const char* name);

// The window system's reason (cp932) when video or the last window could not be made, "" before
// any such failure.
const char* WindowFailureReason();

// Creates a hidden window of a class. (x, y, width, height) is the outer rectangle; the
// caption is cp932. Null when the class is unknown, another process holds the class's
// lock and the class is Exclusive, or the window system cannot make the window.
WindowHandle CreateWindowOfClass(const char* className, const char* caption, uint32_t style, uint32_t exStyle,
                                 int32_t x, int32_t y, int32_t width, int32_t height);
// Sends WM_DESTROY, then destroys the window and drops its queued messages and timers. 0 / -1.
int DestroyWindow(WindowHandle window);
int IsWindow(WindowHandle window);  // 1 while the window exists

// SW_SHOW, SW_HIDE, SW_MINIMIZE, SW_RESTORE. 0 / -1.
int ShowWindow(WindowHandle window, int command);
// Paints the window now (sends WM_PAINT) when it needs painting. 0 / -1.
int UpdateWindow(WindowHandle window);
// Marks the window painted (what BeginPaint does for the procedure). 0 / -1.
int ValidateWindow(WindowHandle window);
int SetWindowText(WindowHandle window, const char* caption);  // cp932; 0 / -1

// Styles: WS_CAPTION gives a frame, WS_THICKFRAME lets the user size the window, WS_VISIBLE
// shows it, WS_EX_TOPMOST keeps it above others. 0 / -1.
int SetWindowStyles(WindowHandle window, uint32_t style, uint32_t exStyle);
uint32_t GetWindowStyle(WindowHandle window);
// 1 when the window system shows the window with a frame (not borderless, not full screen).
int WindowShowsFrame(WindowHandle window);
uint32_t GetWindowExStyle(WindowHandle window);

enum class WindowOrder { Keep, Top, Topmost, NotTopmost };
constexpr uint32_t SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOREDRAW = 0x8;
// Places the window by its outer rectangle. 0 / -1.
int SetWindowPos(WindowHandle window, WindowOrder order, int32_t x, int32_t y, int32_t width, int32_t height,
                 uint32_t flags);
int MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, int repaint);

// The client area's size in the display's pixels, which a high-DPI window makes larger than
// its client rectangle (in the window system's units). 0 / -1.
int ReadDrawableSize(WindowHandle window, int32_t* width, int32_t* height);
// enable 1: windows made from now on draw at the display's pixel size on a high-DPI display. 0.
int SetHighDpiWindows(int enable);
// The client rectangle (0, 0, width, height); the outer rectangle in screen coordinates. 0 / -1.
int GetClientRect(WindowHandle window, Rect* out);
int GetWindowRect(WindowHandle window, Rect* out);
int ClientToScreen(WindowHandle window, Point* point);
// Grows a client rectangle into the outer rectangle of a window with these styles: by the
// frame the window manager last reported, nothing when it reported none. 0.
int AdjustWindowRect(Rect* rect, uint32_t style, uint32_t exStyle);
int BringWindowToTop(WindowHandle window);
int SetActiveWindow(WindowHandle window);

// Posts WM_DISPLAYCHANGE (colour bits; width and height) with the desktop's mode to every
// window. The window system reports displays that come and go; code that changes the display
// mode itself calls this when done. 0 / -1.
int PostDisplayChange();

// Asks the window system to close the window, as its close box does (a close request
// event, which arrives as WM_CLOSE). 0 / -1.
int RequestWindowClose(WindowHandle window);

// The thread that created the window (its messages go to that thread's queue), 0 for none.
uint32_t WindowThreadId(WindowHandle window);

// The default processing of a message: WM_CLOSE destroys the window, SC_CLOSE and Alt+F4
// close it, WM_PAINT marks it painted, WM_SETCURSOR puts the arrow back; everything else
// has no effect. Its result.
MessageResult DefWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// For the message queue: the procedure of a window (null when it does not exist), turning
// the window system's events into messages (on the thread that made the windows; elsewhere
// it does nothing), and the window of a thread that needs painting.
WindowProcedure WindowProcedureOf(WindowHandle window);
void PollWindowSystemEvents();
WindowHandle FindWindowNeedingPaint(uint32_t thread, WindowHandle filter);

// Lets go of the window system when no window and no class is left (end of the layer). 0 / -1.
int ReleaseWindowSystem();

}  // namespace ror
