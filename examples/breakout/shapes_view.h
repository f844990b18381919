// Breakout drawn with rectangles alone: the wall, the paddle and the ball (step 2).
#pragma once
#include "rorodiv.h"
#include "rules.h"

namespace breakout {

// Colour values follow the screen's pixel layout, so they are made after start-up.
struct ShapeColors {
    uint32_t paddle, ball, rows[kRows];
};

inline ShapeColors MakeShapeColors()
{
    return ShapeColors{PackColor(200, 200, 220),
                       PackColor(255, 255, 255),
                       {PackColor(200, 40, 40), PackColor(220, 120, 30), PackColor(200, 200, 40),
                        PackColor(40, 170, 70), PackColor(40, 100, 210)}};
}

inline void DrawWallWithShapes(const Game& game, const ShapeColors& colors)
{
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column) {
            if (!game.bricks[row][column]) continue;
            const int x = kWallLeft + column * kBrickWidth, y = kWallTop + row * kBrickHeight;
            DrawRect(x, y, x + kBrickWidth - 4, y + kBrickHeight - 4, colors.rows[row], 1);
        }
}

inline void DrawFieldWithShapes(const Game& game, const ShapeColors& colors)
{
    DrawWallWithShapes(game, colors);
    DrawRect(game.paddleX, kPaddleTop, game.paddleX + kPaddleWidth, kPaddleTop + kPaddleHeight, colors.paddle, 1);
    const int ballX = int(game.ballX), ballY = int(game.ballY);
    DrawRect(ballX, ballY, ballX + kBallSize, ballY + kBallSize, colors.ball, 1);
}

}  // namespace breakout
