#include "window/main_window.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "core/time_source.h"
#include "graphics/device/device_state.h"
#include "graphics/graphics_setup.h"
#include "graphics/window_link.h"
#include "platform/system/clock.h"
#include "platform/window_system/cursor.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/ime.h"
#include "platform/window_system/message_queue.h"
#include "platform/system/system_info.h"
#include "platform/system/thread_id.h"
#include "platform/window_system/window.h"
#include "random/random.h"
#include "window/message_pump.h"
#include "window/text_input.h"
#include "window/window_mode.h"
#include "window/window_procedure.h"

#include <cstdio>

namespace ror {

namespace {

constexpr const char* kDefaultClassName = "D123987A";
constexpr const char* kDefaultTitle = "RoRav";
constexpr int32_t kSettleMs = 200;

WindowHandle CreateWindowed()
{
    LogWrite("ウインドウモード起動用のウインドウを作成します\n");
    int32_t width, height;
    RequestedScreenSize(&width, &height);
    const double scale = WindowScaleInEffect();
    Rect outer{0, 0, static_cast<int32_t>(width * scale), static_cast<int32_t>(height * scale)};
    AdjustWindowRect(&outer, kWindowedStyle, kWindowedExStyle);
    const int32_t outerWidth = outer.right - outer.left;
    const int32_t outerHeight = outer.bottom - outer.top;
    DisplayMode desktop;
    ReadDesktopMode(&desktop);
    const int32_t x = outer.left + (desktop.width - outerWidth) / 2;
    const int32_t y = outer.top + (desktop.height - outerHeight) / 2;
    return CreateWindowOfClass(CoreState.ClassName, CoreState.WindowTitle, kWindowedStyle, kWindowedExStyle, x, y,
                               outerWidth, outerHeight);
}

WindowHandle CreateFullScreen()
{
    LogWrite("フルスクリーンモード用のウインドウを作成します\n");
    int32_t width, height;
    RequestedScreenSize(&width, &height);
    return CreateWindowOfClass(CoreState.ClassName, CoreState.WindowTitle, kFullScreenStyle, kFullScreenExStyle, 0, 0,
                               width, height);
}

}  // namespace

int OpenMainWindow()
{
    ClearCoreStateForWindowStep();
    if (CoreState.ClassName[0] == '\0') {
        const char* name = CoreState.WindowTitle[0] != '\0' ? CoreState.WindowTitle : kDefaultClassName;
        std::snprintf(CoreState.ClassName, sizeof CoreState.ClassName, "%s", name);
    }
    CoreState.MainThreadId = CurrentThreadId();

    MemoryStatus memory;
    ReadMemoryStatus(&memory);
    LogWriteFormat("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", static_cast<double>(memory.totalPhysical) / 1048576.0,
                   static_cast<double>(memory.availablePhysical) / 1048576.0);

    DisplayMode desktop;
    ReadDesktopMode(&desktop);
    CoreState.desktopWidth = desktop.width;
    CoreState.desktopHeight = desktop.height;
    CoreState.desktopColorBits = desktop.colorBits;

    ProbeTimers(PumpMessages);
    SeedRandom(static_cast<uint32_t>(NowMilliseconds()));

    SetScreenSaverEnabled(0);
    CoreState.screenSaverOff = 1;

    if (CheckSecondInstance() != 0) return -1;

    CoreState.creating = 1;
    LogWrite("ウインドウクラスを登録します... ");
    if (RegisterWindowClass(CoreState.ClassName, MainWindowProcedure,
                            CoreState.allowSecondCopy ? ClassLockRule::TakeIfFree : ClassLockRule::Exclusive) != 0) {
        CoreState.QuitFlag = 1;
        return LogWrite("ウインドウクラスの登録に失敗しました\n");
    }
    CoreState.classRegistered = 1;
    LogWrite("登録に成功しました\n");

    if (CoreState.WindowTitle[0] == '\0') {
        std::snprintf(CoreState.WindowTitle, sizeof CoreState.WindowTitle, "%s", kDefaultTitle);
    }
    // Only a window that the hardware path will draw in carries a GL surface; the software
    // path keeps a plain window and presents through its surface.
    DecideHardwarePath();
    SetHighDpiWindows(CoreState.highDpi);
    WindowHandle window = CoreState.Windowed ? CreateWindowed() : CreateFullScreen();
    if (!window && HardwarePathDecided()) {
        ForgetHardwarePath();
        window = CoreState.Windowed ? CreateWindowed() : CreateFullScreen();
    }
    if (!window) {
        CoreState.QuitFlag = 1;
        LogWrite("ウインドウの作成に失敗しました\n");
        if (*WindowFailureReason()) LogWriteFormat("\t原因: %s\n", WindowFailureReason());
        return -1;
    }
    LogWrite("ウインドウの作成に成功しました\n");
    // Without a lock another copy cannot find this one: it runs, but says so.
    // An allowed second copy runs without the lock that the first one holds.
    if (!ClassHoldsInstanceLock(CoreState.ClassName) && !CoreState.allowSecondCopy) {
        LogWrite("二重起動検査用のロックファイルを作成できませんでした、二重起動は検出されません\n");
    }
    CoreState.MainWindow = window;

    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    CoreState.ClosePosted = 0;
    CoreState.Active = 1;
    if (!CoreState.Windowed) {
        LogWrite("カーソルを不可視にしました\n");
        SetCursor(CursorShape::None);
    }
    LogWrite("ＩＭＥを無効にしました\n");
    if (!TextInput.keepInputMethodOn) SetInputMethodEnabled(0);
    if (CoreState.Windowed) ReadClientRectOnScreen();
    CoreState.characterSet = OemCodePage() == 932 ? 2 : 1;
    SetCursorVisibility(CoreState.Windowed ? 1 : 0);

    BringWindowToTop(window);
    const int32_t start = NowMilliseconds();
    do {
        PumpMessages();
    } while (((NowMilliseconds() - start) & 0x7FFFFFFF) < kSettleMs);

    FitWindow();
    if (CoreState.Windowed && (CoreState.desktopFullScreen || CoreState.resizable)) ApplyWindowStyles();
    CoreState.creating = 0;
    return 0;
}

int CloseMainWindow()
{
    if (!CoreState.MainWindow && !CoreState.screenSaverOff && !CoreState.classRegistered) {
        ReleaseWindowSystem();
        return 0;
    }
    if (CoreState.screenSaverOff) {
        SetScreenSaverEnabled(1);
        CoreState.screenSaverOff = 0;
    }
    if (CoreState.MainWindow) {
        SetInputMethodEnabled(1);
        SetCursor(CursorShape::Arrow);
        SetCursorVisibility(1);
        if (!CoreState.ClosePosted) {
            CoreState.ClosePosted = 1;
            // A full queue must not leave the close unsaid.
            if (PostMessage(CoreState.MainWindow, WM_CLOSE, 0, 0) != 0) {
                SendMessage(CoreState.MainWindow, WM_CLOSE, 0, 0);
            }
        }
        while (PumpMessages() == 0) {}
    }
    // The quit that the window's end posted belongs to this run: a pass that ended on a full
    // batch leaves it queued, and the next run's first pump would end that run at once.
    DiscardQuitMessages();
    if (CoreState.classRegistered) {
        UnregisterWindowClass(CoreState.ClassName);
        CoreState.classRegistered = 0;
    }
    EndCharBuffer();
    EndTimerPeriod(TimerMinimumPeriod());
    CoreState.MainWindow = nullptr;
    ReleaseWindowSystem();
    return 0;
}

}  // namespace ror
