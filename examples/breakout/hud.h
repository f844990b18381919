// The words on the screen (step 5): the score and the balls left in the default font, and a
// large title with a prompt, centred by measuring them first.
#pragma once
#include "rorodiv.h"
#include "rules.h"

namespace breakout {

struct Hud {
    int titleFont = -1;  // a font handle: anti-aliased, 40 pixels
    uint32_t white = 0, gold = 0;
};

// 0, or -1 when the font cannot be made.
inline int LoadHud(Hud* hud)
{
    hud->titleFont = CreateFontToHandle(nullptr, 40, 6, FONT_ANTIALIAS, -1, -1, 0);
    hud->white = PackColor(255, 255, 255);
    hud->gold = PackColor(255, 208, 64);
    return hud->titleFont == -1 ? -1 : 0;
}

// text drawn with its middle at the field's middle, `y` pixels from the top, in a font handle
// or, for -1, the default font.
inline void PrintCentred(int y, const char* text, uint32_t color, int font)
{
    int width = 0;
    GetTextWidth(text, font, &width);
    const int x = (kFieldWidth - width) / 2;
    if (font == -1)
        PrintText(x, y, text, color);
    else
        PrintTextWithFont(x, y, text, color, font);
}

inline void DrawHud(const Game& game, const Hud& hud)
{
    PrintTextFormat(12, 12, hud.white, "Score %d", game.score);
    PrintTextFormat(kFieldWidth - 100, 12, hud.white, "Balls %d", game.lives);
    if (game.lives == 0) {
        PrintCentred(200, "GAME OVER", hud.gold, hud.titleFont);
    } else if (!game.ballMoving) {
        PrintCentred(200, "BREAKOUT", hud.gold, hud.titleFont);
        PrintCentred(260, "Space or a click launches the ball", hud.white, -1);
    }
}

}  // namespace breakout
