// What start-up, shutdown and the window layer ask of the graphics layer beyond set-up.
#include "graphics/graphics_setup.h"

#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"

namespace {
GraphicRestorer Restorer;
}  // namespace

int SetGraphicRestorer(GraphicRestorer restorer)
{
    // The software path keeps its images in memory: nothing is lost that needs restoring.
    Restorer = restorer;
    return 0;
}

int DeleteAllSoftImages() { return 0; }  // no software-image handles are made yet

int RequestedColorBits() { return ScreenSettings.colorBits != 0 ? ScreenSettings.colorBits : 16; }
int WaitVsyncSetting() { return DrawState.waitVsync; }
int CurrentDrawTarget() { return DrawState.drawTarget; }
int RestoreGraphics() { return ReapplyDisplayChange(); }
int NoteWindowMoved() { return 0; }
int HardwarePathInUse() { return ScreenSettings.hardwarePath; }
int GraphicsDeviceExists() { return 0; }
int SetGraphicsDialogBoxMode(int32_t) { return 0; }
int RestoreDesktopDisplayMode() { return RestoreDisplayChange(); }
