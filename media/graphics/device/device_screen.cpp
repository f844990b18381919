// The device path's screen: clear, present, draw target and draw area.
#include "graphics/device/device_drawing.h"
#include "graphics/device/device_draw_state.h"
#include "graphics/device/device_graphics.h"
#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"
#include "core/core_state.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg.h"
#include "graphics/software/memimg_blit.h"
#include "graphics/screen_mode.h"
#include "platform/system/clock.h"
#include "platform/window_system/screen_surface.h"
#include "graphics/window_link.h"

namespace ror {

namespace {

// Where the draw target lies in its surface: a graphic derived from another draws into its
// part of the shared surface. Draw-target coordinates are relative to `left`, `top`.
struct TargetPlaceRecord {
    int32_t left, top, width, height;  // width 0: the whole surface (the screens)
};
TargetPlaceRecord TargetPlace;

}  // namespace

int DeviceOpenScreen()
{
    ForgetTexelState();
    TargetPlace = TargetPlaceRecord{};
    return InitDeviceState();
}

void DeviceReleaseScreen() { ReleaseDevice(); }

int DeviceClearScreen()
{
    if (!DeviceState.device) return 0;
    FlushBatch();
    EndSceneIfOpen();
    const int32_t* bg = DrawState.background;
    const uint32_t color =
        0xFF000000u | uint32_t(bg[0] & 0xFF) << 16 | uint32_t(bg[1] & 0xFF) << 8 | uint32_t(bg[2] & 0xFF);
    const TargetPlaceRecord& t = TargetPlace;
    const Rect part{t.left, t.top, t.left + t.width, t.top + t.height};
    ClearGlTarget(t.width > 0 ? &part : nullptr, color, DeviceState.zBuffer != 0);
    return 0;
}

int DevicePresentScreen()
{
    DeviceStateRecord& d = DeviceState;
    if (!d.device) return 0;
    FlushBatch();
    EndSceneIfOpen();
    const ScreenSettingsRecord& s = ScreenSettings;
    const Rect whole{0, 0, s.width, s.height};
    if (d.subBackBuffer) CopyGlSurface(d.subBackBuffer, whole, d.backBuffer, whole, 0);
    Rect source = whole, destination = whole;
    if (s.emulate320 && s.width == 640 && s.height == 480) {
        source = Rect{0, 0, 320, 240};
        destination = Rect{0, 0, 640, 480};
    } else {
        const PixelRect placed = ScreenPlacement();
        destination = Rect{placed.left, placed.top, placed.right, placed.bottom};
    }
    // SetWaitVsync after start-up takes effect at the next present, as on the software path;
    // a driver that refuses the interval is not asked again every frame.
    const int interval = DrawState.waitVsync ? 1 : 0;
    if (d.presentInterval != interval) {
        if (SetGlSwapInterval(interval) != 0 && interval) d.pacing.ignored = 1;
        d.presentInterval = interval;
        ForgetSwapTiming(&d.pacing);
    }
    // A swap that does not wait is paced by the display's refresh, as the software path is.
    if (interval && d.pacing.ignored) WaitForDisplayRefresh();
    PresentGlSurface(d.backBuffer, source, destination);
    if (interval) NoteWaitedSwap(&d.pacing, SystemCounter(), DisplayRefreshPeriod());
    return 0;
}

int DeviceReadScreenPixels(uint32_t* pixels)
{
    DeviceStateRecord& d = DeviceState;
    if (!d.device || pixels == nullptr) return -1;
    FlushBatch();
    const ScreenSettingsRecord& s = ScreenSettings;
    const int32_t screen = d.subBackBuffer ? d.subBackBuffer : d.backBuffer;
    if (ReadGlSurface(screen, Rect{0, 0, s.width, s.height}, pixels, s.width * 4) != 0) return -1;
    for (int32_t i = 0; i < s.width * s.height; ++i) pixels[i] |= 0xFF000000u;
    return 0;
}

int DeviceReadScreenPixel(int x, int y, uint32_t* argb)
{
    DeviceStateRecord& d = DeviceState;
    if (!d.device) return -1;
    FlushBatch();
    const int32_t screen = d.subBackBuffer ? d.subBackBuffer : d.backBuffer;
    if (ReadGlSurface(screen, Rect{x, y, x + 1, y + 1}, argb, 4) != 0) return -1;
    *argb |= 0xFF000000u;
    return 0;
}

int DeviceSetDrawTarget(int32_t, GraphicRecord* graphic)
{
    DeviceStateRecord& d = DeviceState;
    if (!d.device) return -1;
    int32_t surface = d.subBackBuffer ? d.subBackBuffer : d.backBuffer;
    if (graphic != nullptr) {
        surface = DeviceGraphicSurface(graphic);
        if (surface <= 0) return -1;
    }
    FlushBatch();
    EndSceneIfOpen();
    if (SetGlTarget(surface) != 0) return -1;
    d.renderTarget = surface;
    TargetPlace = graphic != nullptr
                      ? TargetPlaceRecord{graphic->offsetX, graphic->offsetY, graphic->width, graphic->height}
                      : TargetPlaceRecord{};
    SetGlDrawOrigin(TargetPlace.left, TargetPlace.top);
    return 0;
}

void DeviceSetDrawRegion(const PixelRect& area)
{
    if (!DeviceState.device) return;
    FlushBatch();
    if (area.right > area.left && area.bottom > area.top)
        SetGlViewport(TargetPlace.left + area.left, TargetPlace.top + area.top, area.right - area.left,
                      area.bottom - area.top);
}

void DeviceBlendStateChanged()
{
    if (!DeviceState.device) return;
    FlushBatch();
    UpdateDeviceDrawColor();
    ApplyDeviceBlend(DrawState.blendMode);
    // The device's blend was set again, so the textured draws must set theirs again.
    ForgetTexelState();
}

// The blended draws read the weights when they set the device up.
void DeviceSetBlendImage(GraphicRecord*)
{
    BuildRuleTable(DrawState.ruleTable, DrawState.blendBorder, DrawState.blendRange);
}

}  // namespace ror
