// Clearing the draw target and showing the frame in the window.
#include "graphics/draw_state.h"
#include "graphics/graphic_handles.h"
#include "graphics/memimg.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"

int ClearScreen()
{
    MEMIMG* target = &SoftScreen.screen;
    if (GraphicRecord* g = ResolveGraphic(DrawState.drawTarget)) target = &g->view;
    if (!ScreenSettings.graphicsReady || !IsValidMemImg(target)) return 0;
    const int32_t* bg = DrawState.background;
    FillMemImg(target, nullptr, PackColorForFormat(target->base->format, bg[0], bg[1], bg[2], 0));
    return 0;
}

int PresentScreen()
{
    if (!LayerStarted()) return -1;
    const MEMIMG& image = SoftScreen.screen;
    if (!ScreenSettings.graphicsReady || !IsValidMemImg(&image)) return 0;
    int width = 0, height = 0;
    RequestedScreenSize(&width, &height);
    const bool emulate = ScreenSettings.emulate320 && width == 640 && height == 480;
    PixelRect destination{0, 0, width, height};
    if (LayerWindowed()) {
        const double scale = LayerWindowScale();
        destination.right = int(scale * width);
        destination.bottom = int(scale * height);
    }
    if (DrawState.waitVsync) WaitForVerticalBlank();
    const ColorFormat* f = image.base->format;
    const ScreenPixels pixels{image.pixels, image.base->pitch, image.width, image.height, f->colorBits,
                              f->redMask, f->greenMask, f->blueMask};
    if (emulate)
        ShowScreenPixels(pixels, PixelRect{0, 0, 320, 240}, PixelRect{0, 0, 640, 480});
    else
        ShowScreenPixels(pixels, PixelRect{0, 0, image.width, image.height}, destination);
    return 0;
}

void FrontScreenTimerFired()
{
    StopFrontScreenTimer();
    if (DrawState.drawTarget != kFrontScreen) return;
    PresentScreen();
    StartFrontScreenTimer();
}
