// Breakout drawn with pictures (step 4). They come from the folder "breakout_data", or, where
// the program has no such folder, from the archive "breakout_data.zaz" beside it: the build
// packs the folder with zazpack, and the code reads both the same way.
#pragma once
#include "rorodiv.h"
#include "rules.h"

namespace breakout {

struct Sprites {
    int ball = -1, paddle = -1;
    int bricks[kRows] = {-1, -1, -1, -1, -1};  // one picture per row, cut from one sheet
};

// 0, or -1 when a picture cannot be loaded (the log says which and why).
inline int LoadSprites(Sprites* sprites)
{
    sprites->ball = LoadGraphic("breakout_data\\ball.png");
    sprites->paddle = LoadGraphic("breakout_data\\paddle.png");
    const int cut = LoadDividedGraphic("breakout_data\\bricks.png", kRows, 1, kRows, kBrickWidth - 4, kBrickHeight - 4,
                                       sprites->bricks);
    return sprites->ball == -1 || sprites->paddle == -1 || cut == -1 ? -1 : 0;
}

inline void DrawFieldWithSprites(const Game& game, const Sprites& sprites)
{
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
            if (game.bricks[row][column])
                PutGraphic(kWallLeft + column * kBrickWidth, kWallTop + row * kBrickHeight, sprites.bricks[row], 1);
    PutGraphic(game.paddleX, kPaddleTop, sprites.paddle, 1);
    // The ball has a soft edge: drawn with transparency, its alpha channel blends it in.
    PutGraphic(int(game.ballX), int(game.ballY), sprites.ball, 1);
}

}  // namespace breakout
