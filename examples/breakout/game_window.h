// The start-up of step 1 as one function, for the steps after it: a 640 x 480 window whose
// frames go to the back screen.
#pragma once
#include "rorodiv.h"
#include "rules.h"

namespace breakout {

// 0, or -1 when the layer cannot start (Log.txt says why).
inline int OpenGameWindow()
{
    SetWindowTitle("Breakout");
    ChangeWindowMode(1);
    SetScreenMode(kFieldWidth, kFieldHeight, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    return 0;
}

}  // namespace breakout
