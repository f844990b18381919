// The graphics layer's ties to the runtime core, the main window and the display.
#include "graphics/window_link.h"

#include "core/core_state.h"
#include "graphics/draw_state.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/screen_surface.h"

namespace ror {

namespace {

void OnFrontScreenTimer(WindowHandle, uint32_t, uintptr_t, uint32_t) { FrontScreenTimerFired(); }

}  // namespace

GraphicsNoticeTable GraphicsNotices{};

double WindowScaleInEffect()
{
    if (!CoreState.Windowed) return 1.0;
    if (CoreState.windowScale <= 0) CoreState.windowScale = 1.0;
    return CoreState.windowScale;
}

void WaitWhileWindowInactive()
{
    // Only a running layer waits; during start-up the window may not be active yet.
    if (CoreState.Started && GraphicsNotices.waitWhileInactive != nullptr) GraphicsNotices.waitWhileInactive();
}

void StartFrontScreenTimer()
{
    if (CoreState.MainWindow)
        SetTimer(CoreState.MainWindow, kFrontScreenTimerId, kFrontScreenPeriodMs, OnFrontScreenTimer);
}

void StopFrontScreenTimer()
{
    if (CoreState.MainWindow) KillTimer(CoreState.MainWindow, kFrontScreenTimerId);
}

int ShowScreenPixels(const ScreenPixels& p, const PixelRect& source, const PixelRect& destination)
{
    if (!CoreState.MainWindow) return -1;
    const FramePixels frame{p.pixels, p.pitch, p.width, p.height, p.bits, p.redMask, p.greenMask, p.blueMask};
    return PresentFrameToWindow(CoreState.MainWindow, frame, Rect{source.left, source.top, source.right, source.bottom},
                                Rect{destination.left, destination.top, destination.right, destination.bottom});
}

uint8_t* BorrowWindowRows(const ScreenPixels& p, void (*takeBack)(int alive))
{
    if (!CoreState.MainWindow) return nullptr;
    const FramePixels layout{nullptr, p.pitch, p.width, p.height, p.bits, p.redMask, p.greenMask, p.blueMask};
    return LendWindowRows(CoreState.MainWindow, layout, takeBack);
}

void GiveBackWindowRows() { ReturnWindowRows(); }

int SetFullscreenDisplayMode(int width, int height, int bits, int refreshRate)
{
    if (!CoreState.MainWindow) return -1;
    return EnterFullscreenMode(CoreState.MainWindow, width, height, bits, refreshRate);
}

void RestoreDesktopDisplay()
{
    if (CoreState.MainWindow) LeaveFullscreenMode(CoreState.MainWindow);
}

int PlatformDisplayMode(int index, DisplayModeEntry* out)
{
    DisplayMode mode;
    if (ReadDisplayMode(index, &mode) != 0) return -1;
    *out = DisplayModeEntry{mode.width, mode.height, mode.colorBits, mode.refreshRate};
    return 0;
}

}  // namespace ror
