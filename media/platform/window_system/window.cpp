#include "platform/window_system/window.h"
#include "base/log_texts.h"
#include "platform/system/service_faults.h"

#include "platform/system/codepage.h"
#include "platform/window_system/cursor.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_setup.h"
#include "platform/window_system/message_queue.h"
#include "platform/system/thread_id.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window_record.h"
#include "platform/window_system/window_sdl.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ror {

PlatformWindow Windows[kMaxWindows];

namespace {

constexpr int kMaxClasses = 8;
constexpr size_t kMaxClassName = 255;

struct WindowClassRecord {
    int inUse;
    char name[kMaxClassName + 1];
    WindowProcedure procedure;
    int windowCount;
    InstanceLock lock;  // held while windowCount > 0
    ClassLockRule lockRule;
};

struct WindowSystemState {
    int videoStarted;
    uint32_t eventThread;
    WindowClassRecord classes[kMaxClasses];
    WindowFrame frame;
    int highDpi;
    char failureReason[256];  // cp932; why video or the last window could not be made
};

WindowSystemState WindowSystem;

// Keeps the window system's own words (UTF-8) for the caller's log.
void NoteFailure(const char* utf8)
{
    if (Utf8ToCp932(utf8, WindowSystem.failureReason, sizeof WindowSystem.failureReason) < 0)
        std::snprintf(WindowSystem.failureReason, sizeof WindowSystem.failureReason, "%s", utf8);
}

// A display SDL could not reach leaves no error of its own once it has fallen back to a
// stand-in driver: name the address it tried.
void NoteNoDisplay()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    char* text = WindowSystem.failureReason;
    const size_t size = sizeof WindowSystem.failureReason;
    if (display && *display)
        std::snprintf(text, size, PickLogText("DISPLAY=%s の X サーバーに接続できません"), display);
    else if (wayland && *wayland)
        std::snprintf(text, size, PickLogText("WAYLAND_DISPLAY=%s の Wayland サーバーに接続できません"), wayland);
    else
        std::snprintf(text, size, "%s",
                      PickLogText("表示先がありません(DISPLAY も WAYLAND_DISPLAY も設定されていません)"));
}

int FindClassSlot(const char* name)
{
    for (int i = 0; i < kMaxClasses; ++i) {
        if (WindowSystem.classes[i].inUse && std::strcmp(WindowSystem.classes[i].name, name) == 0) return i;
    }
    return -1;
}

void ApplyStyles(PlatformWindow& window)
{
    SDL_SetWindowBordered(window.sdl, (window.style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(window.sdl, (window.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowAlwaysOnTop(window.sdl, (window.exStyle & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
}

void NoteFrame(PlatformWindow& window)
{
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window.sdl, &top, &left, &bottom, &right) == 0) {
        WindowSystem.frame = WindowFrame{left, top, right, bottom};
    }
}

// The frame of this window: what the window manager reports for it, none without a caption.
WindowFrame FrameOf(const PlatformWindow& window)
{
    if (!(window.style & WS_CAPTION)) return WindowFrame{};
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window.sdl, &top, &left, &bottom, &right) != 0) return WindowFrame{};
    return WindowFrame{left, top, right, bottom};
}

void PlaceClientArea(PlatformWindow& window, const WindowFrame& frame, int32_t x, int32_t y, int32_t width,
                     int32_t height, uint32_t flags)
{
    // A full-screen window covers its display; placing it would only set the display mode
    // again and report another size change. The place is kept for when it leaves full screen.
    if (SDL_GetWindowFlags(window.sdl) & SDL_WINDOW_FULLSCREEN) {
        window.placePending = 1;
        window.placeX = x;
        window.placeY = y;
        window.placeWidth = width;
        window.placeHeight = height;
        window.placeFlags = flags;
        return;
    }
    if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(window.sdl, x + frame.left, y + frame.top);
    if (!(flags & SWP_NOSIZE)) {
        int clientWidth = width - frame.left - frame.right;
        int clientHeight = height - frame.top - frame.bottom;
        SDL_SetWindowSize(window.sdl, clientWidth > 1 ? clientWidth : 1, clientHeight > 1 ? clientHeight : 1);
    }
}

// Whether the driver in use shows something, or is a stand-in the caller named in
// SDL_VIDEODRIVER (a comma-separated list).
bool VideoDriverAcceptable(const char* driver)
{
    if (!driver) return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return true;
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const size_t length = std::strlen(driver);
    for (const char* at = requested; at && *at;) {
        const char* end = std::strchr(at, ',');
        const size_t itemLength = end ? size_t(end - at) : std::strlen(at);
        if (itemLength == length && SDL_strncasecmp(at, driver, length) == 0) return true;
        at = end ? end + 1 : nullptr;
    }
    return false;
}

}  // namespace

void ApplyWindowStylesAndPlace(PlatformWindow& window)
{
    ApplyStyles(window);
    if (!window.placePending) return;
    window.placePending = 0;
    PlaceClientArea(window, FrameOf(window), window.placeX, window.placeY, window.placeWidth, window.placeHeight,
                    window.placeFlags);
}

int StartVideo()
{
    if (WindowSystem.videoStarted) return 0;
    // The layer's message loop handles close requests; a signal must not turn into a quit.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        NoteFailure(SDL_GetError());
        return -1;
    }
    // Without a reachable display SDL falls back to a driver that shows nothing; a program
    // would then run invisibly and never end. Those drivers serve only whoever asks for them.
    if (!VideoDriverAcceptable(SDL_GetCurrentVideoDriver())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        NoteNoDisplay();
        return -1;
    }
    WindowSystem.videoStarted = 1;
    WindowSystem.eventThread = CurrentThreadId();
    return 0;
}

int VideoStarted() { return WindowSystem.videoStarted; }

uint32_t EventThreadId() { return WindowSystem.eventThread; }

WindowFrame LastWindowFrame() { return WindowSystem.frame; }

PlatformWindow* WindowRecord(WindowHandle window)
{
    for (PlatformWindow& record : Windows) {
        if (&record == window) return record.inUse ? &record : nullptr;
    }
    return nullptr;
}

PlatformWindow* WindowOfSdlId(uint32_t sdlId)
{
    for (PlatformWindow& record : Windows) {
        if (record.inUse && record.sdlId == sdlId) return &record;
    }
    return nullptr;
}

SDL_Window* SdlWindowOf(WindowHandle window)
{
    PlatformWindow* record = WindowRecord(window);
    return record ? record->sdl : nullptr;
}

int RegisterWindowClass(const char* name, WindowProcedure procedure, ClassLockRule lockRule)
{
    size_t length = std::strlen(name);
    if (length == 0 || length > kMaxClassName || !procedure || FindClassSlot(name) >= 0) return -1;
    for (WindowClassRecord& record : WindowSystem.classes) {
        if (record.inUse) continue;
        record = WindowClassRecord{};
        record.inUse = 1;
        std::memcpy(record.name, name, length + 1);
        record.procedure = procedure;
        record.lock = kNoInstanceLock;
        record.lockRule = lockRule;
        return 0;
    }
    return -1;
}

int UnregisterWindowClass(const char* name)
{
    int slot = FindClassSlot(name);
    if (slot < 0 || WindowSystem.classes[slot].windowCount > 0) return -1;
    WindowSystem.classes[slot] = WindowClassRecord{};
    return 0;
}

int FindWindowOfClass(const char* name)
{
    int slot = FindClassSlot(name);
    if (slot >= 0 && WindowSystem.classes[slot].windowCount > 0) return 1;
    return IsInstanceLockHeld(name);
}

const char* WindowFailureReason() { return WindowSystem.failureReason; }

int ClassHoldsInstanceLock(const char* name)
{
    const int slot = FindClassSlot(name);
    return slot >= 0 && WindowSystem.classes[slot].lock.file >= 0 ? 1 : 0;
}

WindowHandle CreateWindowOfClass(const char* className, const char* caption, uint32_t style, uint32_t exStyle,
                                 int32_t x, int32_t y, int32_t width, int32_t height)
{
    int slot = FindClassSlot(className);
    WindowSystem.failureReason[0] = '\0';
    if (slot < 0 || ServiceCallFails(PlatformService::Window) || StartVideo() != 0) return nullptr;
    PlatformWindow* window = nullptr;
    for (PlatformWindow& record : Windows) {
        if (!record.inUse) {
            window = &record;
            break;
        }
    }
    if (!window) return nullptr;
    WindowClassRecord& windowClass = WindowSystem.classes[slot];
    // Where no lock can be made the window is still made, unguarded (ClassHoldsInstanceLock says so).
    if (windowClass.windowCount == 0 && AcquireInstanceLock(className, &windowClass.lock) == -1 &&
        windowClass.lockRule == ClassLockRule::Exclusive) {
        return nullptr;
    }

    char title[1024];
    if (Cp932ToUtf8(caption ? caption : "", title, sizeof title) < 0) title[0] = '\0';
    WindowFrame frame = (style & WS_CAPTION) ? WindowSystem.frame : WindowFrame{};
    int clientWidth = width - frame.left - frame.right;
    int clientHeight = height - frame.top - frame.bottom;
    SDL_Window* sdl = SDL_CreateWindow(title, x + frame.left, y + frame.top, clientWidth > 1 ? clientWidth : 1,
                                       clientHeight > 1 ? clientHeight : 1,
                                       SDL_WINDOW_HIDDEN | (GlCapableWindows() ? SDL_WINDOW_OPENGL : 0) |
                                           (WindowSystem.highDpi ? SDL_WINDOW_ALLOW_HIGHDPI : 0));
    if (!sdl) {
        NoteFailure(SDL_GetError());
        if (windowClass.windowCount == 0) ReleaseInstanceLock(&windowClass.lock);
        return nullptr;
    }
    *window = PlatformWindow{};
    window->inUse = 1;
    window->sdl = sdl;
    window->sdlId = SDL_GetWindowID(sdl);
    window->classSlot = slot;
    window->thread = CurrentThreadId();
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->needsPaint = 1;
    ++windowClass.windowCount;
    ApplyStyles(*window);
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

int DestroyWindow(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    if (window->destroying) return 0;
    window->destroying = 1;
    SendMessage(handle, WM_DESTROY, 0, 0);
    window = WindowRecord(handle);  // the procedure may have destroyed it already
    if (!window) return 0;
    DiscardWindowMessages(handle);
    TakeBackRowsOfWindow(window->sdl);
    // The context's objects are released while their window still exists to make it current.
    CloseGlContextOf(handle);
    SDL_DestroyWindow(window->sdl);
    WindowClassRecord& windowClass = WindowSystem.classes[window->classSlot];
    if (--windowClass.windowCount == 0) ReleaseInstanceLock(&windowClass.lock);
    *window = PlatformWindow{};
    return 0;
}

int IsWindow(WindowHandle window) { return WindowRecord(window) ? 1 : 0; }

int ShowWindow(WindowHandle handle, int command)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(window->sdl);
        window->style &= ~WS_VISIBLE;
        return 0;
    case SW_MINIMIZE: SDL_MinimizeWindow(window->sdl); return 0;
    case SW_RESTORE: SDL_RestoreWindow(window->sdl); [[fallthrough]];
    default:
        SDL_ShowWindow(window->sdl);
        window->style |= WS_VISIBLE;
        window->needsPaint = 1;
        NoteFrame(*window);
        return 0;
    }
}

int UpdateWindow(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    if (window->needsPaint && (window->style & WS_VISIBLE)) SendMessage(handle, WM_PAINT, 0, 0);
    return 0;
}

int ValidateWindow(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    window->needsPaint = 0;
    return 0;
}

int SetWindowText(WindowHandle handle, const char* caption)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    char title[1024];
    if (Cp932ToUtf8(caption, title, sizeof title) < 0) return -1;
    SDL_SetWindowTitle(window->sdl, title);
    return 0;
}

int SetWindowStyles(WindowHandle handle, uint32_t style, uint32_t exStyle)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    bool show = (style & WS_VISIBLE) && !(window->style & WS_VISIBLE);
    window->style = (style & ~WS_VISIBLE) | (window->style & WS_VISIBLE);
    window->exStyle = exStyle;
    ApplyStyles(*window);
    if (show) ShowWindow(handle, SW_SHOW);
    return 0;
}

int WindowShowsFrame(WindowHandle handle)
{
    SDL_Window* sdl = SdlWindowOf(handle);
    if (!sdl) return 0;
    return (SDL_GetWindowFlags(sdl) & (SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN)) ? 0 : 1;
}

uint32_t GetWindowStyle(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    return window ? window->style : 0;
}

uint32_t GetWindowExStyle(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    return window ? window->exStyle : 0;
}

int SetWindowPos(WindowHandle handle, WindowOrder order, int32_t x, int32_t y, int32_t width, int32_t height,
                 uint32_t flags)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    if (order == WindowOrder::Topmost || order == WindowOrder::NotTopmost) {
        SDL_SetWindowAlwaysOnTop(window->sdl, order == WindowOrder::Topmost ? SDL_TRUE : SDL_FALSE);
    }
    PlaceClientArea(*window, FrameOf(*window), x, y, width, height, flags);
    if (order == WindowOrder::Top || order == WindowOrder::Topmost) SDL_RaiseWindow(window->sdl);
    if (!(flags & SWP_NOREDRAW)) window->needsPaint = 1;
    return 0;
}

int MoveWindow(WindowHandle handle, int32_t x, int32_t y, int32_t width, int32_t height, int repaint)
{
    return SetWindowPos(handle, WindowOrder::Keep, x, y, width, height, repaint ? 0 : SWP_NOREDRAW);
}

int GetClientRect(WindowHandle handle, Rect* out)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    int width = 0, height = 0;
    SDL_GetWindowSize(window->sdl, &width, &height);
    *out = Rect{0, 0, width, height};
    return 0;
}

int ReadDrawableSize(WindowHandle handle, int32_t* width, int32_t* height)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    int w = 0, h = 0;
    SDL_GetWindowSizeInPixels(window->sdl, &w, &h);
    *width = w;
    *height = h;
    return 0;
}

int SetHighDpiWindows(int enable)
{
    WindowSystem.highDpi = enable != 0;
    return 0;
}

int GetWindowRect(WindowHandle handle, Rect* out)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &width, &height);
    WindowFrame frame = FrameOf(*window);
    *out = Rect{x - frame.left, y - frame.top, x + width + frame.right, y + height + frame.bottom};
    return 0;
}

int ClientToScreen(WindowHandle handle, Point* point)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    int x = 0, y = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    point->x += x;
    point->y += y;
    return 0;
}

int AdjustWindowRect(Rect* rect, uint32_t style, uint32_t)
{
    if (!(style & WS_CAPTION)) return 0;
    WindowFrame frame = WindowSystem.frame;
    rect->left -= frame.left;
    rect->top -= frame.top;
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return 0;
}

int BringWindowToTop(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    SDL_RaiseWindow(window->sdl);
    return 0;
}

int SetActiveWindow(WindowHandle handle) { return BringWindowToTop(handle); }

uint32_t WindowThreadId(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    return window ? window->thread : 0;
}

WindowProcedure WindowProcedureOf(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    return window ? WindowSystem.classes[window->classSlot].procedure : nullptr;
}

WindowHandle FindWindowNeedingPaint(uint32_t thread, WindowHandle filter)
{
    for (PlatformWindow& record : Windows) {
        if (!record.inUse || !record.needsPaint || record.thread != thread || !(record.style & WS_VISIBLE)) continue;
        if (filter == nullptr || filter == &record) return &record;
    }
    return nullptr;
}

MessageResult DefWindowProc(WindowHandle window, uint32_t message, WParam wParam, LParam)
{
    switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessage(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F1 + 3) SendMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
        return 0;
    case WM_PAINT: ValidateWindow(window); return 0;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR:
        SetCursor(CursorShape::Arrow);  // the class cursor
        return 0;
    default: return 0;
    }
}

int ReleaseWindowSystem()
{
    if (!WindowSystem.videoStarted) return 0;
    for (const PlatformWindow& record : Windows) {
        if (record.inUse) return -1;
    }
    for (const WindowClassRecord& record : WindowSystem.classes) {
        if (record.inUse) return -1;
    }
    ReleaseCursorSystem();
    UnloadGlLibrary();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    WindowSystem.videoStarted = 0;
    WindowSystem.eventThread = 0;
    return 0;
}

}  // namespace ror
