// Stand-in until the runtime core's window exists: no window, nothing started.
#include "graphics/window_link.h"

#include "core/app_log.h"

#include <cstdlib>

bool LayerStarted() { return false; }
bool LayerWindowed() { return true; }
double LayerWindowScale() { return 1.0; }
void WaitWhileWindowInactive() {}
void StartFrontScreenTimer() {}
void StopFrontScreenTimer() {}
void FitMainWindowToScreen() {}
void PumpMessagesOnce() {}
void FatalGraphics(const char* message)
{
    LogWrite(message);
    std::exit(-1);
}
int VideoSystemAvailable() { return 1; }
int ShowScreenPixels(const ScreenPixels&, const PixelRect&, const PixelRect&) { return -1; }
void WaitForVerticalBlank() {}
int SetFullscreenDisplayMode(int, int, int, int) { return -1; }
void RestoreDesktopDisplayMode() {}
int PlatformDisplayModeCount() { return 0; }
int PlatformDisplayMode(int, DisplayModeEntry*) { return -1; }
