// Breakout's rules: the field, the paddle, the ball and the wall of bricks, and what happens in
// one frame. Nothing here draws or reads input, so every step of the tutorial shares it.
#pragma once

namespace breakout {

constexpr int kFieldWidth = 640, kFieldHeight = 480;
constexpr int kColumns = 10, kRows = 5;
constexpr int kBrickWidth = 60, kBrickHeight = 20;  // a brick's cell; the brick leaves a gap of 4
constexpr int kWallLeft = 20, kWallTop = 60;
constexpr int kPaddleWidth = 80, kPaddleHeight = 12, kPaddleTop = 440;
constexpr int kBallSize = 12;
constexpr int kLives = 3;

struct Game {
    int paddleX;                   // the paddle's left edge
    float ballX, ballY;            // the ball's top-left corner
    float ballSpeedX, ballSpeedY;  // pixels per frame
    bool ballMoving;               // false while the ball waits on the paddle
    bool bricks[kRows][kColumns];  // true while the brick stands
    int score, lives, bricksLeft;
};

// What a frame's move of the ball ran into, for sounds and messages.
enum class Hit { Nothing, Side, Brick, Paddle, BallLost, WallCleared };

// The ball back on the paddle's middle, waiting to be launched.
inline void ServeBall(Game* game)
{
    game->ballMoving = false;
    game->ballX = float(game->paddleX + (kPaddleWidth - kBallSize) / 2);
    game->ballY = float(kPaddleTop - kBallSize);
}

inline void StartGame(Game* game)
{
    *game = Game{};
    game->paddleX = (kFieldWidth - kPaddleWidth) / 2;
    for (auto& row : game->bricks)
        for (bool& brick : row) brick = true;
    game->bricksLeft = kRows * kColumns;
    game->lives = kLives;
    ServeBall(game);
}

inline void LaunchBall(Game* game)
{
    if (game->ballMoving || game->lives == 0) return;
    game->ballMoving = true;
    game->ballSpeedX = 3.0f;
    game->ballSpeedY = -4.0f;
}

// The paddle's left edge at x, kept inside the field; a waiting ball rides along.
inline void MovePaddle(Game* game, int x)
{
    game->paddleX = x < 0 ? 0 : x > kFieldWidth - kPaddleWidth ? kFieldWidth - kPaddleWidth : x;
    if (!game->ballMoving) ServeBall(game);
}

// Knocks out the brick under the ball's centre, if one stands there.
inline bool HitBrick(Game* game)
{
    const int column = int(game->ballX + kBallSize / 2 - kWallLeft) / kBrickWidth;
    const int row = int(game->ballY + kBallSize / 2 - kWallTop) / kBrickHeight;
    if (game->ballX + kBallSize / 2 < kWallLeft || game->ballY + kBallSize / 2 < kWallTop) return false;
    if (column >= kColumns || row >= kRows || !game->bricks[row][column]) return false;
    game->bricks[row][column] = false;
    --game->bricksLeft;
    game->score += 10 * (kRows - row);
    return true;
}

// One frame of the ball: it moves, bounces off the sides, the top, the paddle and the bricks.
inline Hit StepBall(Game* game)
{
    if (!game->ballMoving) return Hit::Nothing;
    game->ballX += game->ballSpeedX;
    game->ballY += game->ballSpeedY;
    Hit hit = Hit::Nothing;
    if (game->ballX < 0 || game->ballX > kFieldWidth - kBallSize) {
        game->ballSpeedX = -game->ballSpeedX;
        game->ballX = game->ballX < 0 ? 0 : float(kFieldWidth - kBallSize);
        hit = Hit::Side;
    }
    if (game->ballY < 0) {
        game->ballSpeedY = -game->ballSpeedY;
        game->ballY = 0;
        hit = Hit::Side;
    }
    if (HitBrick(game)) {
        game->ballSpeedY = -game->ballSpeedY;
        hit = game->bricksLeft == 0 ? Hit::WallCleared : Hit::Brick;
        if (hit == Hit::WallCleared) {  // a new wall, and the ball back on the paddle
            for (auto& line : game->bricks)
                for (bool& brick : line) brick = true;
            game->bricksLeft = kRows * kColumns;
            ServeBall(game);
            return hit;
        }
    }
    const float bottom = game->ballY + kBallSize;
    if (game->ballSpeedY > 0 && bottom >= kPaddleTop && bottom <= kPaddleTop + kPaddleHeight &&
        game->ballX + kBallSize > game->paddleX && game->ballX < game->paddleX + kPaddleWidth) {
        // Where the ball meets the paddle steers it: the ends send it off at a slant.
        const float offset = (game->ballX + kBallSize / 2 - game->paddleX - kPaddleWidth / 2) / (kPaddleWidth / 2);
        game->ballSpeedX = 5.0f * offset;
        game->ballSpeedY = -game->ballSpeedY;
        hit = Hit::Paddle;
    }
    if (game->ballY > kFieldHeight) {
        --game->lives;
        ServeBall(game);
        hit = Hit::BallLost;
    }
    return hit;
}

}  // namespace breakout
