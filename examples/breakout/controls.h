// The player's controls (step 3): the arrow keys and the mouse move the paddle; Space or a left
// click launches the ball; Escape ends the game; F11 asks for full screen (step 7). Held keys are polled once a frame; presses
// come from the input events, so a tap shorter than a frame is never lost.
#pragma once
#include "rorodiv.h"
#include "rules.h"

namespace breakout {

struct Controls {
    int32_t lastMouseX = -1;  // the mouse moves the paddle only when it moves itself
    bool quit = false;
    bool fullScreenAsked = false;  // F11 pressed since the game last looked
};

inline void ReadControls(Game* game, Controls* controls)
{
    InputEvent event;
    while (ReadInputEvent(&event) == 0) {
        if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_SPACE) LaunchBall(game);
        if (event.kind == INPUT_EVENT_BUTTON_DOWN && event.code == MOUSE_LEFT) LaunchBall(game);
        if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_ESCAPE) controls->quit = true;
        if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_F11) controls->fullScreenAsked = true;
    }
    constexpr int kPaddleSpeed = 8;
    if (IsKeyDown(KEYCODE_LEFT)) MovePaddle(game, game->paddleX - kPaddleSpeed);
    if (IsKeyDown(KEYCODE_RIGHT)) MovePaddle(game, game->paddleX + kPaddleSpeed);
    int32_t mouseX = 0;
    ReadMousePosition(&mouseX, nullptr);
    if (controls->lastMouseX != -1 && mouseX != controls->lastMouseX) MovePaddle(game, mouseX - kPaddleWidth / 2);
    controls->lastMouseX = mouseX;
}

}  // namespace breakout
