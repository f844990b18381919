// Windowed and full-screen mode: the switch, the styles of each mode, fitting the window to
// the screen mode and the window scale, and the cursor's visibility.
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

constexpr uint32_t kWindowedStyle = 0x80CA0000;    // popup, caption, system menu, minimise box
constexpr uint32_t kWindowedExStyle = 0x300;       // window edge, client edge
constexpr uint32_t kFullScreenStyle = 0x80000000;  // popup
constexpr uint32_t kFullScreenExStyle = 0x8;       // topmost

// How long ChangeWindowMode waits for the display-change notification that the switch
// should bring; a switch that changes no display mode brings none.
constexpr int32_t kDisplayChangeWaitMs = 2000;

// 1 windowed, 0 full-screen. Before start-up it only records the choice. 0, or after
// start-up the result of the screen-mode change.
int ApplyWindowStyles();
int FitWindow();
// ClientRectOnScreen from the main window's client area. 0.
int ReadClientRectOnScreen();
// Request 1 shows the cursor, anything else hides it.
int SetCursorVisibility(int request);
int RefreshFullScreenCursor();

}  // namespace ror
