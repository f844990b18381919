// A movie played over the whole screen while the caller waits, as games show an opening.
#include "movie/movies.h"

#include <algorithm>

#include "core/last_failure.h"
#include "graphics/draw_state.h"
#include "graphics/screen_mode.h"
#include "rorodiv.h"

namespace ror {

namespace {

// True when a key or a mouse button went down since the last look (the events are taken).
bool SkipAsked()
{
    bool asked = false;
    InputEvent event;
    while (ReadInputEvent(&event) == 0)
        if ((event.kind == INPUT_EVENT_KEY_DOWN && !event.repeat) || event.kind == INPUT_EVENT_BUTTON_DOWN)
            asked = true;
    return asked;
}

}  // namespace

}  // namespace ror

using namespace ror;

int PlayMovieFullScreen(const char* path, int skippable)
{
    if (path == nullptr || (skippable != 0 && skippable != 1)) return FailedArgument(__func__);
    if (!ScreenSettings.graphicsReady) return FailedNotStarted(__func__);
    const int movie = LoadMovieGraphic(path);
    if (movie == -1) return -1;
    int width = 0, height = 0, screenWidth = 0, screenHeight = 0;
    GetGraphicSize(movie, &width, &height);
    GetScreenSize(&screenWidth, &screenHeight);
    // As large as the screen allows with the picture's proportions, in the middle.
    const double scale = std::min(double(screenWidth) / width, double(screenHeight) / height);
    const int shownWidth = int(width * scale), shownHeight = int(height * scale);
    const int left = (screenWidth - shownWidth) / 2, top = (screenHeight - shownHeight) / 2;
    const int target = DrawState.drawTarget;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    SkipAsked();  // only what comes after the start skips
    StartMovie(movie);
    int result = 0;
    while (IsMoviePlaying(movie) == 1) {
        if (PumpMessages() != 0) {
            result = -1;  // the window closed
            break;
        }
        if (skippable && SkipAsked()) break;
        ClearScreen();
        PutGraphicStretched(left, top, left + shownWidth, top + shownHeight, movie, 0);
        PresentScreen();
    }
    DestroyGraphic(movie);
    SetDrawTarget(target);
    return result;
}
