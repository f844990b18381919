// The core state of the media layer: one static record, zero at program start.
#pragma once
#include "platform/window_system/messages.h"

#include <cstdint>

namespace ror {

struct CoreStateRecord {
    // Settings made before start-up; the window step keeps them.
    int32_t Windowed;           // 1 windowed, 0 full-screen (the default)
    char WindowTitle[256];      // cp932 caption; empty until set
    char ClassName[256];        // window class; empty until the window step fills it
    double windowScale;         // client size / screen mode in windowed mode; <= 0 counts as 1.0
    int32_t allowSecondCopy;    // start even while a window of the same class runs elsewhere
    int32_t resizable;          // the user may size the window; the screen is fitted into it
    int32_t screenFit;          // SCREEN_FIT_...: how a sized window or the desktop takes the screen
    int32_t desktopFullScreen;  // a borderless window at the desktop's size while windowed
    int32_t highDpi;            // the window draws at the display's pixel size

    // Life cycle.
    int32_t Started;     // from the end of a successful start-up until shutdown's step 11
    int32_t Starting;    // while InitMediaLayer runs
    int32_t ComStarted;  // the component library was started by the layer

    // The main window (window step, pump, window procedure).
    WindowHandle MainWindow;
    uint32_t MainThreadId;
    int32_t QuitFlag;     // the window is gone or start-up failed: PumpMessages returns -1
    int32_t ClosePosted;  // the layer itself posted WM_CLOSE
    int32_t Active;       // the main window is the active application window
    Rect ClientRectOnScreen;
    int32_t desktopWidth;
    int32_t desktopHeight;
    int32_t desktopColorBits;
    int32_t creating;         // the window is being created: activation changes are ignored
    int32_t characterSet;     // 2 when the system's code page is 932, else 1
    int32_t classRegistered;  // the window step registered ClassName
    int32_t screenSaverOff;   // the window step switched the screen saver off
    int32_t painting;         // a windowed WM_PAINT is drawing
    int32_t hookStepGuard;    // the text-input step runs at the end of PumpMessages

    // Window mode switching.
    int32_t modeChangeInProgress;
    int32_t displayChangeSeen;
    int32_t visibleBitFlag;  // the windowed style carries WS_VISIBLE
    int32_t cursorRequest;   // 1 visible, anything else hidden
    int32_t cursorShown;
    int32_t pointerNearTop;   // full-screen software path: pointer in the top 60 lines
    int32_t desktopShown;     // the window covers the desktop now (desktopFullScreen in effect)
    Rect placeBeforeDesktop;  // the window's outer rectangle before it covered the desktop

    // Clocks and the system report; the report's results survive the window step.
    int32_t useCounter;        // NowMicroseconds reads the high-resolution counter
    int64_t counterFrequency;  // counts per second, 0 when there is no counter
    char osText[256];
    char cpuName[256];
    int32_t mmxUsable;
};

extern CoreStateRecord CoreState;

// The window step's reset: everything to zero except the settings, the start-up flags kept
// across it and the system report's results.
void ClearCoreStateForWindowStep();

}  // namespace ror
