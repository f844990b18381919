// Breakout, step 4: sprites from an archive. The wall, the paddle and the ball are pictures
// (sprites_view.h) read from "breakout_data.zaz".
#include "controls.h"
#include "game_window.h"
#include "rorodiv.h"
#include "rules.h"
#include "sprites_view.h"

using namespace breakout;

int main()
{
    if (OpenGameWindow() != 0) return 1;
    Sprites sprites;
    if (LoadSprites(&sprites) != 0) {
        EndMediaLayer();
        return 1;
    }
    Game game;
    StartGame(&game);
    Controls controls;
    while (PumpMessages() == 0 && !controls.quit) {
        ReadControls(&game, &controls);
        StepBall(&game);
        ClearScreen();
        DrawFieldWithSprites(game, sprites);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
