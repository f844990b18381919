// Clearing the draw target and showing the frame, on whichever path is installed.
#include "rorodiv.h"
#include "core/core_state.h"
#include "graphics/draw_ops.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "graphics/window_link.h"
#include "core/last_failure.h"

using namespace ror;

int ClearScreen() { return DrawOps.clearScreen(); }

int PresentScreen()
{
    if (!CoreState.Started) return FailedNotStarted(__func__);
    return DrawOps.presentScreen();
}

namespace ror {

int ReadScreenPixels(uint32_t* pixels)
{
    if (!ScreenSettings.graphicsReady || pixels == nullptr) return -1;
    return DrawOps.readScreenPixels(pixels);
}

void FrontScreenTimerFired()
{
    StopFrontScreenTimer();
    if (DrawState.drawTarget != DRAW_TARGET_FRONT_SCREEN) return;
    PresentScreen();
    StartFrontScreenTimer();
}

}  // namespace ror
