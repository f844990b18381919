// Breakout, step 7: full screen. F11 switches between the window and the whole display. A
// switch changes the display mode, which by default releases every graphic and font handle;
// SetKeepGraphicsAcrossModeChange(1) keeps them, with their pixels, so the game only selects
// the back screen again. Its colours stay right: the switch keeps the screen's colour depth.
#include "controls.h"
#include "game_window.h"
#include "hud.h"
#include "rorodiv.h"
#include "rules.h"
#include "sounds.h"
#include "sprites_view.h"

using namespace breakout;

int main()
{
    SetKeepGraphicsAcrossModeChange(1);
    if (OpenGameWindow() != 0) return 1;
    bool windowed = true;
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
        if (controls.fullScreenAsked) {
            controls.fullScreenAsked = false;
            windowed = !windowed;
            ChangeWindowMode(windowed ? 1 : 0);
            SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // a mode change resets the drawing state
        }
        PlayHit(StepBall(&game), game, sounds);
        ClearScreen();
        DrawFieldWithSprites(game, sprites);
        DrawHud(game, hud);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
