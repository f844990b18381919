// Breakout, step 2: drawing. The rules (rules.h) move the ball; the frame draws the wall, the
// paddle and the ball as rectangles. No player yet: the paddle follows the ball by itself.
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
    LaunchBall(&game);
    while (PumpMessages() == 0 && !IsKeyDown(KEYCODE_ESCAPE)) {
        MovePaddle(&game, int(game.ballX) - kPaddleWidth / 2);
        if (StepBall(&game) == Hit::BallLost) LaunchBall(&game);
        ClearScreen();
        DrawFieldWithShapes(game, colors);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
