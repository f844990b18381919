// The graphics layer's ties to the runtime core, the main window and the display.
#include "graphics/window_link.h"

#include "core/core_state.h"
#include "graphics/draw_state.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/screen_surface.h"
#include "platform/window_system/window.h"
#include "rorodiv.h"

#include <algorithm>
#include <cmath>

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

PixelRect FitScreenIntoArea(int32_t width, int32_t height, int32_t areaWidth, int32_t areaHeight, int fit)
{
    if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return PixelRect{0, 0, width, height};
    const int64_t whole = std::min(areaWidth / width, areaHeight / height);
    int64_t w = 0, h = 0;
    if (fit == SCREEN_FIT_INTEGER && whole >= 1) {
        w = width * whole;
        h = height * whole;
    } else if (int64_t(areaWidth) * height <= int64_t(areaHeight) * width) {
        w = areaWidth;
        h = std::max<int64_t>(1, (int64_t(areaWidth) * height + width / 2) / width);
    } else {
        h = areaHeight;
        w = std::max<int64_t>(1, (int64_t(areaHeight) * width + height / 2) / height);
    }
    const int32_t left = int32_t((areaWidth - w) / 2), top = int32_t((areaHeight - h) / 2);
    return PixelRect{left, top, left + int32_t(w), top + int32_t(h)};
}

bool ScreenFittedIntoWindow() { return CoreState.Windowed && (CoreState.resizable || CoreState.desktopShown); }

namespace {

// The drawable area of the main window in pixels and its client width in the window system's
// units; false when there is no window to ask.
bool ReadWindowArea(int32_t* areaWidth, int32_t* areaHeight, int32_t* clientWidth)
{
    Rect client{};
    if (!CoreState.MainWindow || ReadDrawableSize(CoreState.MainWindow, areaWidth, areaHeight) != 0 ||
        GetClientRect(CoreState.MainWindow, &client) != 0 || client.right <= 0 || *areaWidth <= 0 || *areaHeight <= 0)
        return false;
    *clientWidth = client.right;
    return true;
}

}  // namespace

PixelRect ScreenPlacement()
{
    int32_t width = 0, height = 0, areaWidth = 0, areaHeight = 0, clientWidth = 0;
    RequestedScreenSize(&width, &height);
    if (!CoreState.Windowed || !ReadWindowArea(&areaWidth, &areaHeight, &clientWidth))
        return PixelRect{0, 0, width, height};
    if (ScreenFittedIntoWindow()) return FitScreenIntoArea(width, height, areaWidth, areaHeight, CoreState.screenFit);
    const double scale = WindowScaleInEffect() * areaWidth / clientWidth;
    return PixelRect{0, 0, int32_t(scale * width), int32_t(scale * height)};
}

void ClientPointToScreen(int32_t x, int32_t y, int32_t* screenX, int32_t* screenY)
{
    int32_t width = 0, height = 0, areaWidth = 0, areaHeight = 0, clientWidth = 0;
    RequestedScreenSize(&width, &height);
    const PixelRect p = ScreenPlacement();
    const double pixels = ReadWindowArea(&areaWidth, &areaHeight, &clientWidth) ? double(areaWidth) / clientWidth : 1.0;
    const double shownWidth = std::max(1, p.right - p.left), shownHeight = std::max(1, p.bottom - p.top);
    *screenX = int32_t(std::floor((x * pixels - p.left) * width / shownWidth));
    *screenY = int32_t(std::floor((y * pixels - p.top) * height / shownHeight));
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
