// Breakout, step 6: sound and music (sounds.h) with the game of step 5.
#include "controls.h"
#include "hud.h"
#include "game_window.h"
#include "rorodiv.h"
#include "rules.h"
#include "sounds.h"
#include "sprites_view.h"

using namespace breakout;

int main()
{
    if (OpenGameWindow() != 0) return 1;
    Sprites sprites;
    Hud hud;
    Sounds sounds;
    if (LoadSprites(&sprites) != 0 || LoadHud(&hud) != 0 || LoadSounds(&sounds) != 0) {
        EndMediaLayer();
        return 1;
    }
    Game game;
    StartGame(&game);
    Controls controls;
    while (PumpMessages() == 0 && !controls.quit) {
        ReadControls(&game, &controls);
        PlayHit(StepBall(&game), game, sounds);
        ClearScreen();
        DrawFieldWithSprites(game, sprites);
        DrawHud(game, hud);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
