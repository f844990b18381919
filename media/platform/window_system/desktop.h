// The desktop: its display mode, the modes the display offers, the screen saver and the
// code page of the system's texts.
#pragma once
#include <cstdint>

namespace ror {

struct DisplayMode {
    int32_t width;
    int32_t height;
    int32_t colorBits;    // bytes per pixel x 8: a depth-24 visual stored in 32 bits is 32
    int32_t refreshRate;  // Hz, 0 when unknown
};

// The desktop of the first display. 0 / -1 (no video system).
int ReadDesktopMode(DisplayMode* out);
// The modes of the first display; -1 / 0 when there is no video system or no such mode.
int CountDisplayModes();
int ReadDisplayMode(int index, DisplayMode* out);
// 1 when the display offers a mode of that size (any depth and rate).
int DisplayHasModeOfSize(int32_t width, int32_t height);

// Screen saver and display power saving: on (1) or off (0). 0 / -1.
int SetScreenSaverEnabled(int enabled);
int ScreenSaverEnabled();

// The code page of the system's own texts: the layer's texts are cp932.
int OemCodePage();

}  // namespace ror
