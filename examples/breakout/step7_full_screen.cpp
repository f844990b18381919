// Breakout, step 7: full screen. F11 switches between the window and the whole display. A
// switch changes the display mode, and with it every graphic and font handle goes (the default
// font comes back by itself): the game loads its pictures and its title font again, and makes
// its colours anew for the new screen. Sounds and music stay.
#include "controls.h"
#include "game_window.h"
#include "hud.h"
#include "rorodiv.h"
#include "rules.h"
#include "sounds.h"
#include "sprites_view.h"

using namespace breakout;

namespace {

// 0, or -1 when the pictures or the font cannot be loaded again.
int SwitchScreen(bool* windowed, Sprites* sprites, Hud* hud)
{
    *windowed = !*windowed;
    ChangeWindowMode(*windowed ? 1 : 0);
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    return LoadSprites(sprites) != 0 || LoadHud(hud) != 0 ? -1 : 0;
}

}  // namespace

int main()
{
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
            if (SwitchScreen(&windowed, &sprites, &hud) != 0) break;
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
