// Text: the default font, fonts by handle, edged and anti-aliased glyphs, Japanese and ASCII,
// all written as ordinary UTF-8 string literals.
#include "rorodiv.h"

int main()
{
    SetUseUtf8Texts(1);  // before start-up: every text in and out is UTF-8
    SetWindowTitle("Text – テキスト");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
    const uint32_t white = PackColor(255, 255, 255), yellow = PackColor(255, 230, 80);
    const int big = CreateFontToHandle(nullptr, 40, 5, FONT_NORMAL, -1, -1, 0);
    const int smooth = CreateFontToHandle(nullptr, 32, 3, FONT_ANTIALIAS, -1, -1, 0);
    const int edged = CreateFontToHandle(nullptr, 32, 3, FONT_EDGE | FONT_ANTIALIAS, -1, 2, 0);
    while (PumpMessages() == 0 && !IsKeyDown(KEYCODE_ESCAPE)) {
        ClearScreen();
        DrawRect(0, 0, 800, 600, PackColor(40, 60, 90), 1);
        PrintText(20, 20, "The default font: ASCII and 日本語のテキスト", white);
        PrintTextWithFont(20, 70, "Size 40: ゲームの文字", white, big);
        PrintTextWithFont(20, 140, "Anti-aliased: なめらかな文字 ABC", white, smooth);
        PrintTextWithFont(20, 200, "Edged: 縁取りの文字 XYZ", yellow, edged, PackColor(160, 0, 0));
        PrintTextFormat(20, 270, white, "書式つき: %d ポイント, %d ms", GetFontSizeOfHandle(big),
                        NowMilliseconds() % 1000);
        PresentScreen();
    }
    ReleaseFontHandle(big);
    ReleaseFontHandle(smooth);
    ReleaseFontHandle(edged);
    EndMediaLayer();
    return 0;
}
