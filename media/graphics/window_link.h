// What graphics needs from the runtime core, the main window and the platform's display,
// gathered in one adapter so the drawing code names none of them directly.
#pragma once
#include "graphics/software/memimg.h"
#include "graphics/screen_mode.h"

#include <cstdint>

bool LayerStarted();          // start-up has begun and the layer has not ended
bool LayerWindowed();
double LayerWindowScale();    // the window's scale factor, 1.0 when unset; 1.0 in full screen
void WaitWhileWindowInactive();
void StartFrontScreenTimer();
void StopFrontScreenTimer();

// The display.
int VideoSystemAvailable();   // 1 when the video system can show windows
// Copies `source` of the pixels onto `destination` of the main window's client area (scaled
// when the sizes differ) and shows it. -1 when there is no window to show it in.
struct ScreenPixels {
    const uint8_t* pixels;
    int32_t pitch, width, height, bits;
    uint32_t redMask, greenMask, blueMask;
};
int ShowScreenPixels(const ScreenPixels& pixels, const PixelRect& source, const PixelRect& destination);
void ReleaseScreenPresenter();  // what presenting keeps between frames
void WaitForVerticalBlank();  // until the display's next refresh begins
int SetFullscreenDisplayMode(int width, int height, int bits, int refreshRate);  // 0 / -1
void RestoreDesktopDisplay();
int PlatformDisplayModeCount();
int PlatformDisplayMode(int index, DisplayModeEntry* out);  // 0 / -1

// Called by the adapter when the front-screen timer fires.
void FrontScreenTimerFired();
