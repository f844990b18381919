// What graphics needs of the main window beyond plain calls: the wait while it is inactive,
// the front-screen timer, showing a frame in it and its display-mode changes.
#pragma once
#include "graphics/software/memimg.h"
#include "graphics/screen_mode.h"

#include <cstdint>

namespace ror {

// What graphics asks of or tells the window and input layers above it, filled by name at
// start-up by the layer that composes them; an empty entry means nobody listens.
struct GraphicsNoticeTable {
    void (*waitWhileInactive)();  // holds the caller while the main window is inactive
    int (*pumpMessages)();        // one round of the window's messages, after a mode change
    int (*fitWindow)();           // the screen's size changed: the window takes it on
    int (*graphicsRestored)();    // back from another program: input starts afresh on next use
};
extern GraphicsNoticeTable GraphicsNotices;

// The scale the frame is shown at in the window: 1.0 in full-screen mode, and for a stored
// value <= 0 (which is then stored as 1.0).
double WindowScaleInEffect();

// Where the screen of width x height lands in an area of the window's drawable pixels: as
// large as fits with its aspect kept and centred (bars beside or above it), or, for
// SCREEN_FIT_INTEGER, at the largest whole multiple that fits (the aspect fit when not even 1
// does).
PixelRect FitScreenIntoArea(int32_t width, int32_t height, int32_t areaWidth, int32_t areaHeight, int fit);
// Where the screen lands in the main window's drawable area now, in its pixels: the whole
// screen unscaled in full-screen mode; fitted into a resizable window or one that covers the
// desktop; else at the window scale from the top-left corner.
PixelRect ScreenPlacement();
// A point of the main window's client area (in the window system's units) in screen
// coordinates, by ScreenPlacement; points outside the screen's picture fall outside the screen
// (negative or past its size), rounded down.
void ClientPointToScreen(int32_t x, int32_t y, int32_t* screenX, int32_t* screenY);
// 1 when the frame is fitted into the window rather than shown at the window scale.
bool ScreenFittedIntoWindow();

void WaitWhileWindowInactive();
void StartFrontScreenTimer();
void StopFrontScreenTimer();

// Copies `source` of the pixels onto `destination` of the main window's client area (scaled
// when the sizes differ) and shows it. -1 when there is no window to show it in.
struct ScreenPixels {
    const uint8_t* pixels;
    int32_t pitch, width, height, bits;
    uint32_t redMask, greenMask, blueMask;
};
int ShowScreenPixels(const ScreenPixels& pixels, const PixelRect& source, const PixelRect& destination);
// The main window's own rows for a frame of this layout (pixels not read), so that drawing
// goes straight into the window and showing it copies nothing; null when the window's surface
// differs in size or layout. `takeBack` runs before the rows go away (alive 1: still readable).
uint8_t* BorrowWindowRows(const ScreenPixels& layout, void (*takeBack)(int alive));
void GiveBackWindowRows();
int SetFullscreenDisplayMode(int width, int height, int bits, int refreshRate);  // 0 / -1
void RestoreDesktopDisplay();
int PlatformDisplayMode(int index, DisplayModeEntry* out);  // 0 / -1

// Called by the adapter when the front-screen timer fires.
void FrontScreenTimerFired();

}  // namespace ror
