// The screen mode, the choice of drawing path, and graphics set-up and release.
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

struct ScreenSettingsRecord {
    int32_t width;        // 0 = not chosen (640 at set-up)
    int32_t height;       // 0 = not chosen (480 at set-up)
    int32_t colorBits;    // 8, 16 or 32; 0 = not chosen (16 at set-up)
    int32_t refreshRate;  // Hz for full-screen modes; 0 = the display's default
    int32_t graphicsReady;
    int32_t hardwarePath;
    int32_t softwareOnly;
    int32_t emulate320;
    int32_t keepGraphics;  // 1: a mode change keeps every graphic and font handle
};

extern ScreenSettingsRecord ScreenSettings;

int SetupGraphics();
int ReleaseGraphics();
int ChangeScreenMode(int width, int height, int colorBits, int force, int refreshRate);
int RequestedScreenSize(int* width, int* height);

// The full-screen software path's display change: undone while the window is inactive,
// made again when it is active.
int RestoreDisplayChange();
int ReapplyDisplayChange();

struct DisplayModeEntry {
    int32_t width, height, bits, refreshRate;
};
int DisplayModeCount();
DisplayModeEntry DisplayModeAt(int index);

}  // namespace ror
