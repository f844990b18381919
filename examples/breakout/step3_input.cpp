// Breakout, step 3: input. The player moves the paddle and launches the ball (controls.h);
// three balls lost and the wall stays as it is until the window closes.
#include "controls.h"
#include "game_window.h"
#include "rorodiv.h"
#include "rules.h"
#include "shapes_view.h"

using namespace breakout;

int main()
{
    if (OpenGameWindow() != 0) return 1;
    const ShapeColors colors = MakeShapeColors();
    Game game;
    StartGame(&game);
    Controls controls;
    while (PumpMessages() == 0 && !controls.quit) {
        ReadControls(&game, &controls);
        StepBall(&game);
        ClearScreen();
        DrawFieldWithShapes(game, colors);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
