// Showing the software path's frame in a window, the display's refresh, and full-screen
// display modes, over the window's SDL surface.
#pragma once
#include "platform/window_system/messages.h"

#include <cstdint>

namespace ror {

struct FramePixels {
    const uint8_t* pixels;
    int32_t pitch, width, height;
    int32_t bits;                           // 16 or 32
    uint32_t redMask, greenMask, blueMask;  // the layout; bits outside them are ignored
};

// 1 when the video system runs (started on first use).
int VideoSystemReady();
// Copies `source` of the frame onto `destination` of the window's client area, scaled when
// the sizes differ, and shows the window's surface. -1 when the window has no surface.
int PresentFrameToWindow(WindowHandle window, const FramePixels& frame, const Rect& source, const Rect& destination);
// Fills the window's client area black and shows it (a window not yet showing frames); a
// window drawn by OpenGL gets a black background from the window system. 0 / -1.
int FillWindowBlack(WindowHandle window);
// Lending the window's own pixel rows to the frame, so that a present is only the window's
// update. Possible when the window's surface has exactly the frame's size, pitch and layout
// (`layout.pixels` is not read); gives the rows, or null. One window lends at a time. Before the
// rows go away (the window resized or destroyed) `takeBack` is called, with `alive` 1 while the
// rows may still be read; after it the lender forgets them. A frame whose pixels are the lent
// rows is presented without a copy.
using TakeBackFrame = void (*)(int alive);
uint8_t* LendWindowRows(WindowHandle window, const FramePixels& layout, TakeBackFrame takeBack);
// The borrower gives the rows back itself (no call of its `takeBack`).
void ReturnWindowRows();
// Frees what presenting keeps between frames.
void ReleasePresentBuffers();
// The display's refresh period in nanoseconds (of 60 Hz when its rate is unknown).
int64_t DisplayRefreshPeriod();
// Waits until the next refresh boundary of the display.
void WaitForDisplayRefresh();
// Full screen at a display mode of that size, depth and rate (0 = any rate); when the display
// offers no mode of that size at all, the window stays as it is (the desktop keeps its mode)
// and 0 is returned. 0 / -1.
int EnterFullscreenMode(WindowHandle window, int32_t width, int32_t height, int32_t bits, int32_t refreshRate);
// Back to the desktop's mode in a window. 0 / -1.
int LeaveFullscreenMode(WindowHandle window);

}  // namespace ror
