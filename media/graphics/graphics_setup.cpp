// What start-up, shutdown and the window layer ask of the graphics layer beyond set-up.
#include "graphics/graphics_setup.h"

#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "graphics/image_graphic.h"
#include "graphics/window_link.h"
#include "text/font_handles.h"
#include "rorodiv.h"
#include "core/last_failure.h"

#include <algorithm>
#include <cstring>

namespace ror {

namespace {
GraphicRestorer Restorer;
}  // namespace

int SetGraphicRestorer(GraphicRestorer restorer)
{
    Restorer = restorer;
    return 0;
}

int DeleteAllSoftImages() { return 0; }  // no software-image handles are made yet

int RequestedColorBits() { return ScreenSettings.colorBits != 0 ? ScreenSettings.colorBits : 16; }
int WaitVsyncSetting() { return DrawState.waitVsync; }
int CurrentDrawTarget() { return DrawState.drawTarget; }
int NoteWindowMoved() { return 0; }
int HardwarePathInUse() { return ScreenSettings.hardwarePath; }
int GraphicsDeviceExists() { return DeviceState.device; }

}  // namespace ror

using namespace ror;

int GetDrawingPath()
{
    if (!ScreenSettings.graphicsReady) return DRAWING_PATH_NONE;
    return ScreenSettings.hardwarePath ? DRAWING_PATH_HARDWARE : DRAWING_PATH_SOFTWARE;
}

int GetRendererName(char* buffer, int size)
{
    const int path = GetDrawingPath();
    if (buffer == nullptr || size < 1) return FailedArgument(__func__);
    if (path == DRAWING_PATH_NONE) return FailedNotStarted(__func__);
    const char* name = path == DRAWING_PATH_HARDWARE ? DeviceState.renderer : "Software";
    const size_t length = std::min(std::strlen(name), size_t(size - 1));
    std::memcpy(buffer, name, length);
    buffer[length] = '\0';
    return 0;
}

namespace ror {

// Over the full-screen window's top edge the device ends its scene, so that what is drawn so far
// is shown; a GL window needs no dialog-box mode beyond that.
int SetGraphicsDialogBoxMode(int32_t)
{
    if (!DeviceState.device) return 0;
    FlushBatch();
    EndSceneIfOpen();
    return 0;
}
int RestoreDesktopDisplayMode() { return RestoreDisplayChange(); }

// Back from another program in full screen: the display mode is set again, every font is made
// again in its own slot (callers' handles stay valid), the device's graphics are restored, and
// input is shut down so that the next key query sets it up afresh. The software path keeps its
// images in memory, so nothing of it needs restoring.
int RestoreGraphics()
{
    const int result = ReapplyDisplayChange();
    RebuildAllFonts();
    if (ScreenSettings.graphicsReady && ScreenSettings.hardwarePath && DeviceState.device)
        (Restorer != nullptr ? Restorer : RestoreGraphicsFromFiles)();
    if (GraphicsNotices.graphicsRestored != nullptr) GraphicsNotices.graphicsRestored();
    return result;
}

}  // namespace ror
