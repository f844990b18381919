#include "graphics/draw_state.h"
#include "rorodiv.h"

#include "graphics/blend_graphics.h"
#include "graphics/draw_ops.h"
#include "graphics/graphic_handles.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"
#include "core/last_failure.h"

#include <algorithm>
#include <utility>

namespace ror {

DrawStateRecord DrawState{DRAW_TARGET_FRONT_SCREEN,
                          {0, 0, 0, 0},
                          {0, 0, 0, 0},
                          0,
                          0,
                          0,
                          {255, 255, 255},
                          {0, 0, 0},
                          1,
                          -1,
                          0,
                          0,
                          nullptr,
                          {},
                          0};

int DrawTargetSize(int handle, int* width, int* height)
{
    if (handle == DRAW_TARGET_BACK_SCREEN || handle == DRAW_TARGET_FRONT_SCREEN) {
        RequestedScreenSize(width, height);
        return 0;
    }
    const GraphicRecord* g = ResolveGraphic(handle);
    if (g == nullptr) return -1;
    *width = g->width;
    *height = g->height;
    return 0;
}

}  // namespace ror

using namespace ror;

int SetDrawRegion(int x1, int y1, int x2, int y2)
{
    int width = 0, height = 0;
    if (DrawTargetSize(DrawState.drawTarget, &width, &height) != 0) return FailedArgument(__func__);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    x1 = std::clamp(x1, 0, width);
    x2 = std::clamp(x2, 0, width);
    y1 = std::clamp(y1, 0, height);
    y2 = std::clamp(y2, 0, height);
    DrawState.drawArea = PixelRect{x1, y1, x2, y2};
    DrawState.drawAreaF[0] = float(x1);
    DrawState.drawAreaF[1] = float(y1);
    DrawState.drawAreaF[2] = float(x2);
    DrawState.drawAreaF[3] = float(y2);
    DrawState.drawAreaEmpty = (x1 == x2 || y1 == y2) ? 1 : 0;
    DrawOps.setDrawRegion(DrawState.drawArea);
    return 0;
}

int SetBlendMode(int mode, int param)
{
    if (mode == DrawState.blendMode && param == DrawState.blendParam) return 0;
    WaitWhileWindowInactive();
    DrawState.blendMode = mode;
    DrawState.blendParam = std::clamp(param, 0, 255);
    DrawOps.blendStateChanged();
    return 0;
}

int SetDrawBrightness(int red, int green, int blue)
{
    red = std::clamp(red, 0, 255);
    green = std::clamp(green, 0, 255);
    blue = std::clamp(blue, 0, 255);
    uint8_t* b = DrawState.brightness;
    if (b[0] == red && b[1] == green && b[2] == blue) return 0;
    b[0] = uint8_t(red);
    b[1] = uint8_t(green);
    b[2] = uint8_t(blue);
    DrawOps.blendStateChanged();
    return 0;
}

int SetWaitVsync(int flag)
{
    DrawState.waitVsync = flag != 0 ? 1 : 0;
    return 0;
}

int SetDrawTarget(int handle)
{
    if (!ScreenSettings.graphicsReady) return FailedNotStarted(__func__);
    WaitWhileWindowInactive();
    GraphicRecord* graphic = nullptr;
    if (!IsScreenTarget(handle)) {
        graphic = ResolveGraphic(handle);
        if (graphic == nullptr) return FailedHandle(__func__, handle);
        if (!IsDrawableGraphic(graphic)) return FailedArgument(__func__);
    }
    int oldWidth = 0, oldHeight = 0, newWidth = 0, newHeight = 0;
    const bool oldSized = DrawTargetSize(DrawState.drawTarget, &oldWidth, &oldHeight) == 0;
    if (DrawOps.setDrawTarget(handle, graphic) != 0) return -1;
    DrawState.drawTarget = handle;
    if (handle == DRAW_TARGET_FRONT_SCREEN) StartFrontScreenTimer();
    if (DrawTargetSize(handle, &newWidth, &newHeight) != 0) return 0;  // the unsized screens
    if (!oldSized || oldWidth != newWidth || oldHeight != newHeight)
        SetDrawRegion(0, 0, newWidth, newHeight);
    else
        SetDrawRegion(DrawState.drawArea.left, DrawState.drawArea.top, DrawState.drawArea.right,
                      DrawState.drawArea.bottom);
    return 0;
}

namespace ror {

int ResetDrawState()
{
    const int32_t background[3] = {DrawState.background[0], DrawState.background[1], DrawState.background[2]};
    const int32_t smoothScaling = DrawState.smoothScaling;
    DrawState = DrawStateRecord{};
    DrawState.smoothScaling = smoothScaling;
    DrawState.background[0] = background[0];
    DrawState.background[1] = background[1];
    DrawState.background[2] = background[2];
    DrawState.waitVsync = 1;
    DrawState.blendImageHandle = -1;
    DrawState.brightness[0] = DrawState.brightness[1] = DrawState.brightness[2] = 255;
    DrawState.drawTarget = DRAW_TARGET_BACK_SCREEN;
    SetDrawTarget(DRAW_TARGET_FRONT_SCREEN);
    int width = 0, height = 0;
    RequestedScreenSize(&width, &height);
    SetDrawRegion(0, 0, width, height);
    return 0;
}

}  // namespace ror

int SetBlendImage(int handle, int border, int range)
{
    if (handle == DrawState.blendImageHandle && border == DrawState.blendBorder && range == DrawState.blendRange)
        return 0;
    GraphicRecord* g = nullptr;
    if (handle != -1) {
        g = ResolveGraphic(handle);
        // Only a blend image's levels can weigh a draw; anything else leaves the state as it was.
        if (g == nullptr) return FailedHandle(__func__, handle);
        if (!IsBlendGraphic(g)) return FailedArgument(__func__);
    }
    WaitWhileWindowInactive();
    DrawState.blendImageHandle = handle;
    DrawState.blendBorder = std::clamp(border, 0, 255);
    DrawState.blendRange = std::clamp(range, 0, 255);
    DrawOps.setBlendImage(g);
    return 0;
}
