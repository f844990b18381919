// Placeholders until the graphics layer lands: the requested mode is recorded, nothing draws.
#include "graphics/graphics_setup.h"

namespace {
struct StubGraphics {
    int32_t waitVsync = 1;
    int32_t drawTarget = -2;
};
StubGraphics Graphics;
}  // namespace

int SetupGraphics() { return 0; }
int ReleaseGraphics() { return 0; }
int SetGraphicRestorer(GraphicRestorer) { return 0; }
int DeleteAllSoftImages() { return 0; }

int RequestedScreenSize(int32_t* width, int32_t* height)
{
    if (width) *width = 640;
    if (height) *height = 480;
    return 0;
}

int RequestedColorBits() { return 16; }
int ChangeScreenMode(int32_t, int32_t, int32_t, int32_t, int32_t) { return 0; }

int SetWaitVsync(int32_t flag)
{
    Graphics.waitVsync = flag != 0;
    return 0;
}

int WaitVsyncSetting() { return Graphics.waitVsync; }

int SetDrawTarget(int32_t handle)
{
    Graphics.drawTarget = handle;
    return 0;
}

int CurrentDrawTarget() { return Graphics.drawTarget; }
int PresentScreen() { return 0; }
int RestoreGraphics() { return 0; }
int NoteWindowMoved() { return 0; }
int HardwarePathInUse() { return 0; }
int GraphicsDeviceExists() { return 0; }
int SetGraphicsDialogBoxMode(int32_t) { return 0; }
int RestoreDesktopDisplayMode() { return 0; }
