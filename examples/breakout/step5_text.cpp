// Breakout, step 5: text. The score, the balls left and a centred title (hud.h) over the
// pictures of step 4.
#include "controls.h"
#include "hud.h"
#include "game_window.h"
#include "rorodiv.h"
#include "rules.h"
#include "sprites_view.h"

using namespace breakout;

int main()
{
    if (OpenGameWindow() != 0) return 1;
    Sprites sprites;
    Hud hud;
    if (LoadSprites(&sprites) != 0 || LoadHud(&hud) != 0) {
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
        DrawHud(game, hud);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
