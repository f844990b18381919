// Breakout, step 1: a window and its frame loop. Each frame clears the back screen, draws and
// shows it whole with PresentScreen, which also keeps the loop at the display's pace.
#include "rorodiv.h"

int main()
{
    SetWindowTitle("Breakout");
    ChangeWindowMode(1);              // a window rather than the whole display
    SetScreenMode(640, 480, 32, 60);  // the size the game draws at
    if (InitMediaLayer() != 0) return 1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);

    const uint32_t frameColor = PackColor(40, 80, 160);  // colours are made after start-up
    while (PumpMessages() == 0 && !IsKeyDown(KEYCODE_ESCAPE)) {
        ClearScreen();
        DrawRect(4, 4, 636, 476, frameColor, 0);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
