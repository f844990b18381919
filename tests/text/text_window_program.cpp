// Text in a real window on the software path, to look at: the mouse line at the top right,
// Japanese lines, and the font types. Draws and presents frames until the window closes, or
// for the number of frames given as the first argument.
//   text_window_program [FRAMES]
#include "platform/system/clock.h"
#include "rorodiv.h"

#include <cstdlib>

using namespace ror;

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::atoi(argv[1]) : -1;
    SetWindowTitle("Text");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetUseHardware(0);
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return 1;
    const uint32_t white = PackColor(255, 255, 255);
    const uint32_t yellow = PackColor(255, 255, 0);
    const int edged = CreateFontToHandle(nullptr, 24, 6, FONT_EDGE, -1, 2, 0);
    const int smooth = CreateFontToHandle(nullptr, 24, 6, FONT_ANTIALIAS, -1, -1, 0);
    const int bold = CreateFontToHandle(nullptr, 16, 9, FONT_NORMAL, -1, -1, 1);
    SetDrawTarget(-2);
    for (int frame = 0; frames < 0 || frame < frames; ++frame) {
        if (PumpMessages() != 0) break;
        ClearScreen();
        PrintTextFormat(608, 32, white, "MousePos(%3d,%3d)", 5, 7);
        PrintText(16, 32, "日本語の表示：ひらがな、カタカナ、漢字。ｶﾀｶﾅ", white);
        PrintText(16, 64, "The quick brown fox jumps over the lazy dog 0123456789", yellow);
        PrintTextWithFont(16, 112, "縁付きの文字 Edge", white, edged, PackColor(255, 0, 0));
        PrintTextWithFont(16, 160, "アンチエイリアス Smooth", white, smooth);
        PrintTextWithFont(16, 208, "太字の斜体 Bold italic", PackColor(128, 255, 128), bold);
        SetBlendMode(1, 128);
        PrintText(16, 240, "半透明の文字 Half blended", white);
        SetBlendMode(0, 0);
        PresentScreen();
        SystemSleep(16);
    }
    EndMediaLayer();
    return 0;
}
