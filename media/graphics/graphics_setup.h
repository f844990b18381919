// What start-up, shutdown and the window layer call of the graphics layer.
#pragma once
#include "rorodiv.h"

#include <cstdint>

namespace ror {

using GraphicRestorer = void (*)();

// Start-up and shutdown.
int SetupGraphics();                               // 0, or -1 when no drawing path could be opened
int ReleaseGraphics();                             // 0
int SetGraphicRestorer(GraphicRestorer restorer);  // null: the built-in restore
int DeleteAllSoftImages();                         // every software-image handle (kind 14)

// The requested screen mode; 640 x 480 when none was set (either output may be null). 0.
int RequestedScreenSize(int32_t* width, int32_t* height);
int RequestedColorBits();
// -1 in any of the four mode values keeps the current value. 0.
int ChangeScreenMode(int32_t width, int32_t height, int32_t colorBits, int32_t force, int32_t refreshRate);

// The drawing state the window procedure reads and sets.
int WaitVsyncSetting();
int CurrentDrawTarget();  // a screen (DRAW_TARGET_…) or a graphic handle
// The back screen's pixels as 0xFFRRGGBB, row after row; `pixels` holds the screen's
// width x height values (RequestedScreenSize). 0; -1 before graphics are set up.
int ReadScreenPixels(uint32_t* pixels);

// The window procedure's requests.
int RestoreGraphics();       // after a full-screen window is activated again
int NoteWindowMoved();       // the client area moved on the desktop
int HardwarePathInUse();     // 1 on the hardware path
int GraphicsDeviceExists();  // 1 while the hardware device exists
int SetGraphicsDialogBoxMode(int32_t on);
int RestoreDesktopDisplayMode();  // full-screen software path, on deactivation

}  // namespace ror
