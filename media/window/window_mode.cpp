#include "window/window_mode.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "core/time_source.h"
#include "graphics/graphics_setup.h"
#include "graphics/window_link.h"
#include "input/input_setup.h"
#include "platform/window_system/cursor.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/window.h"
#include "window/message_pump.h"
#include "core/last_failure.h"

namespace ror {

namespace {

void ScaledScreenSize(double scale, int32_t* width, int32_t* height)
{
    RequestedScreenSize(width, height);
    *width = static_cast<int32_t>(*width * scale);
    *height = static_cast<int32_t>(*height * scale);
}

// The windowed style, with a sizing frame for a resizable window.
uint32_t WindowedStyle() { return kWindowedStyle | (CoreState.resizable ? WS_THICKFRAME : 0); }

// A borderless window over the whole desktop, above the others, in the desktop's own mode; the
// windowed place is kept for the way back.
int CoverDesktop()
{
    if (!CoreState.desktopShown) GetWindowRect(CoreState.MainWindow, &CoreState.placeBeforeDesktop);
    DisplayMode desktop{};
    if (ReadDesktopMode(&desktop) != 0) return -1;
    CoreState.desktopShown = 1;
    SetWindowStyles(CoreState.MainWindow, kFullScreenStyle, kFullScreenExStyle);
    const int placed = SetWindowPos(CoreState.MainWindow, WindowOrder::Topmost, 0, 0, desktop.width, desktop.height, 0);
    CoreState.ClientRectOnScreen = Rect{0, 0, desktop.width, desktop.height};
    return placed;
}

// Back to the framed window where it was before it covered the desktop.
int UncoverDesktop()
{
    if (!CoreState.desktopShown) return 0;
    CoreState.desktopShown = 0;
    const Rect& place = CoreState.placeBeforeDesktop;
    SetWindowStyles(CoreState.MainWindow, WindowedStyle(), kWindowedExStyle);
    const int placed = SetWindowPos(CoreState.MainWindow, WindowOrder::NotTopmost, place.left, place.top,
                                    place.right - place.left, place.bottom - place.top, 0);
    ReadClientRectOnScreen();
    return placed;
}

void ApplyWindowedStyles()
{
    LogWrite("ウインドウスタイルをウインドウモード用に変更します... ");
    CoreState.desktopShown = 0;
    uint32_t style = WindowedStyle() | (CoreState.visibleBitFlag ? WS_VISIBLE : 0);
    SetWindowStyles(CoreState.MainWindow, style, kWindowedExStyle);

    int32_t width, height;
    ScaledScreenSize(WindowScaleInEffect(), &width, &height);
    Rect outer{0, 0, width, height};
    AdjustWindowRect(&outer, style, kWindowedExStyle);
    const int32_t outerWidth = outer.right - outer.left;
    const int32_t outerHeight = outer.bottom - outer.top;
    const int32_t dx = (CoreState.desktopWidth - outerWidth) / 2;
    const int32_t dy = (CoreState.desktopHeight - outerHeight) / 2;
    outer.left += dx;
    outer.right += dx;
    outer.top += dy;
    outer.bottom += dy;
    SetWindowPos(CoreState.MainWindow, WindowOrder::Top, outer.left, outer.top, outerWidth, outerHeight, 0);

    ReadClientRectOnScreen();
    Rect& client = CoreState.ClientRectOnScreen;
    if (client.left < 0 || client.top < 0) {
        // The frame may go off the desktop, the client area must not.
        const int32_t moveX = -client.left;
        const int32_t moveY = -client.top;
        client = Rect{client.left + moveX, client.top + moveY, client.right + moveX, client.bottom + moveY};
        SetWindowPos(CoreState.MainWindow, WindowOrder::Top, outer.left + moveX, outer.top + moveY, outerWidth,
                     outerHeight, 0);
    }
    if (CoreState.desktopFullScreen) CoverDesktop();
    SetCursorVisibility(1);
    LogWrite("完了\n");
}

void ApplyFullScreenStyles()
{
    LogWrite("ウインドウスタイルをフルスクリーンモード用に変更します... ");
    CoreState.desktopShown = 0;
    SetWindowStyles(CoreState.MainWindow, kFullScreenStyle, kFullScreenExStyle);
    int32_t width, height;
    RequestedScreenSize(&width, &height);
    CoreState.ClientRectOnScreen = Rect{0, 0, width, height};
    ShowWindow(CoreState.MainWindow, SW_SHOW);
    UpdateWindow(CoreState.MainWindow);
    SetWindowPos(CoreState.MainWindow, WindowOrder::Topmost, 0, 0, width, height, SWP_NOREDRAW);
    SetCursorVisibility(0);
    LogWrite("完了\n");
}

}  // namespace

int ReadClientRectOnScreen()
{
    Rect client{};
    GetClientRect(CoreState.MainWindow, &client);
    Point topLeft{client.left, client.top};
    Point bottomRight{client.right, client.bottom};
    ClientToScreen(CoreState.MainWindow, &topLeft);
    ClientToScreen(CoreState.MainWindow, &bottomRight);
    CoreState.ClientRectOnScreen = Rect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    return 0;
}

}  // namespace ror

using namespace ror;

int GetWindowDrawableSize(int* width, int* height)
{
    if (!CoreState.Started) return FailedNotStarted(__func__);
    int32_t w = 0, h = 0;
    if (ReadDrawableSize(CoreState.MainWindow, &w, &h) != 0)
        return FailedSince(FailureMark(), FAILURE_DEVICE, __func__);
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
    return 0;
}

int SetWindowScale(double scale)
{
    if (!(scale > 0.0 && scale <= 16.0)) return FailedArgument(__func__);
    CoreState.windowScale = scale;
    if (CoreState.Started && CoreState.Windowed) FitWindow();
    return 0;
}

int SetWindowResizable(int enable)
{
    CoreState.resizable = enable != 0;
    if (!CoreState.Started || !CoreState.Windowed || CoreState.desktopShown) return 0;
    SetWindowStyles(CoreState.MainWindow, WindowedStyle(), kWindowedExStyle);
    // A window that may no longer be sized goes back to the screen at the window scale.
    if (!CoreState.resizable) FitWindow();
    return 0;
}

int SetScreenFitMode(int mode)
{
    if (mode != SCREEN_FIT_ASPECT && mode != SCREEN_FIT_INTEGER) return FailedArgument(__func__);
    CoreState.screenFit = mode;
    return 0;
}

int SetDesktopFullScreen(int enable)
{
    CoreState.desktopFullScreen = enable != 0;
    if (!CoreState.Started || !CoreState.Windowed) return 0;
    const int placed = CoreState.desktopFullScreen ? CoverDesktop() : UncoverDesktop();
    if (placed != 0) return FailedSince(FailureMark(), FAILURE_DEVICE, __func__);
    return 0;
}

int SetHighDpiDrawing(int enable)
{
    if (CoreState.Started) return FailedAfterStart(__func__);
    CoreState.highDpi = enable != 0;
    return 0;
}

int GetScreenPlacement(int* x, int* y, int* width, int* height)
{
    if (!CoreState.Started) return FailedNotStarted(__func__);
    const PixelRect placed = ScreenPlacement();
    if (x != nullptr) *x = placed.left;
    if (y != nullptr) *y = placed.top;
    if (width != nullptr) *width = placed.right - placed.left;
    if (height != nullptr) *height = placed.bottom - placed.top;
    return 0;
}

int ChangeWindowMode(int windowed)
{
    LogWrite("ChangeWindowMode実行 \n");
    windowed = windowed != 0;
    if (windowed == CoreState.Windowed) return 0;
    CoreState.visibleBitFlag = 1;
    CoreState.displayChangeSeen = 0;
    CoreState.Windowed = windowed;
    LogWrite(windowed ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
    if (!CoreState.MainWindow) return 0;

    CoreState.modeChangeInProgress = 1;
    ApplyWindowStyles();
    int result = ChangeScreenMode(-1, -1, -1, 1, -1);
    const int32_t start = NowMilliseconds();
    while (PumpMessages() == 0 && !CoreState.displayChangeSeen &&
           ((NowMilliseconds() - start) & 0x7FFFFFFF) < kDisplayChangeWaitMs) {}
    CoreState.modeChangeInProgress = 0;
    return result;
}

namespace ror {

int ApplyWindowStyles()
{
    if (!CoreState.MainWindow) return 0;
    if (CoreState.Windowed) {
        ApplyWindowedStyles();
    } else {
        ApplyFullScreenStyles();
    }
    SetActiveWindow(CoreState.MainWindow);
    PostMessage(CoreState.MainWindow, WM_SETCURSOR, reinterpret_cast<WParam>(CoreState.MainWindow), 0);
    return 0;
}

int FitWindow()
{
    if (!CoreState.MainWindow || CoreState.desktopShown) return 0;
    int32_t width, height;
    ScaledScreenSize(WindowScaleInEffect(), &width, &height);
    Rect outer{}, client{};
    GetWindowRect(CoreState.MainWindow, &outer);
    if (GetClientRect(CoreState.MainWindow, &client) != 0) return 0;
    CoreState.ClientRectOnScreen.right = CoreState.ClientRectOnScreen.left + client.right;
    CoreState.ClientRectOnScreen.bottom = CoreState.ClientRectOnScreen.top + client.bottom;
    const int32_t right = outer.right - client.right + width;
    const int32_t bottom = outer.bottom - client.bottom + height;
    MoveWindow(CoreState.MainWindow, outer.left, outer.top, right - outer.left, bottom - outer.top, 1);
    if (CoreState.Windowed && !CoreState.visibleBitFlag) {
        CoreState.visibleBitFlag = 1;
        ApplyWindowStyles();
    }
    return 0;
}

int SetCursorVisibility(int request)
{
    CoreState.cursorRequest = request;
    const int show = request == 1;
    if (show == CoreState.cursorShown) return 0;
    if (show) {
        while (CursorDisplayCount() < 0) ShowCursor(1);
    } else {
        while (CursorDisplayCount() >= 0) ShowCursor(0);
    }
    if (CoreState.MainWindow) {
        PostMessage(CoreState.MainWindow, WM_SETCURSOR, reinterpret_cast<WParam>(CoreState.MainWindow), 0);
    }
    CoreState.cursorShown = show;
    return 0;
}

int RefreshFullScreenCursor()
{
    if (CoreState.Windowed) return 0;
    int32_t x = 0, y = 0;
    ReadMousePosition(&x, &y);
    if (HardwarePathInUse()) {
        if (y > 60) SetCursorVisibility(CoreState.cursorRequest);
    } else {
        CoreState.pointerNearTop = y < 60;
        SetGraphicsDialogBoxMode(0);
        SetCursorVisibility(CoreState.cursorRequest);
    }
    return 0;
}

}  // namespace ror
