// Movies: "opening.ogv" (made beside the program by the build) plays over the whole screen
// first, as a game's opening; a key or click skips it. Then it loops in a graphic that is
// drawn turned and half blended over a chequered floor, beside its plain picture. Space
// pauses and plays, S stops, Left and Right seek a second, Escape ends.
#include "rorodiv.h"

#include <cmath>

int main()
{
    SetWindowTitle("Movie");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetAllowSecondCopy(1);
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);

    if (PlayMovieFullScreen("opening.ogv", 1) != 0) {
        EndMediaLayer();
        return -1;
    }
    const int movie = LoadMovieGraphic("opening.ogv");
    if (movie == -1) {
        EndMediaLayer();
        return -1;
    }
    int width = 0, height = 0, numerator = 0, denominator = 1;
    GetGraphicSize(movie, &width, &height);
    GetMovieFrameRate(movie, &numerator, &denominator);
    SetMovieLoop(movie, 1);
    StartMovie(movie);
    bool quit = false;
    float angle = 0;
    while (PumpMessages() == 0 && !quit) {
        InputEvent event;
        while (ReadInputEvent(&event) == 0) {
            if (event.kind != INPUT_EVENT_KEY_DOWN) continue;
            const int64_t now = GetMovieTime(movie), length = GetMovieLength(movie);
            switch (event.code) {
            case KEYCODE_ESCAPE: quit = true; break;
            case KEYCODE_SPACE: IsMoviePlaying(movie) ? PauseMovie(movie) : StartMovie(movie); break;
            case KEYCODE_S: StopMovie(movie); break;
            case KEYCODE_LEFT: SeekMovie(movie, now > 1000 ? now - 1000 : 0); break;
            case KEYCODE_RIGHT: SeekMovie(movie, now + 1000 < length ? now + 1000 : length); break;
            }
        }
        ClearScreen();
        for (int y = 0; y < 600; y += 40)
            for (int x = 0; x < 800; x += 40)
                if ((x + y) / 40 % 2 == 0) DrawRect(x, y, x + 40, y + 40, PackColor(70, 70, 90), 1);
        PutGraphic(20, 20, movie, 0);
        SetBlendMode(BLEND_ALPHA, 170);
        PutGraphicTurned(520, 370, 1.4f, angle, movie, 0, 0);
        SetBlendMode(BLEND_NONE, 0);
        if (IsMoviePlaying(movie) == 1) angle += 0.01f;
        const uint32_t white = PackColor(255, 255, 255);
        PrintTextFormat(360, 24, white, "%d x %d, %.2f frames a second", width, height,
                        double(numerator) / denominator);
        PrintTextFormat(360, 52, white, "%s  %.1f / %.1f s", IsMoviePlaying(movie) == 1 ? "playing" : "paused",
                        GetMovieTime(movie) / 1000.0, GetMovieLength(movie) / 1000.0);
        PrintTextFormat(360, 80, PackColor(170, 170, 170), "Space: play/pause  S: stop  Left/Right: seek");
        PresentScreen();
    }
    DestroyGraphic(movie);
    EndMediaLayer();
    return 0;
}
