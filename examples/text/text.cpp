// Text: the default font, fonts by handle, edged and anti-aliased glyphs, text in many
// languages (characters the font lacks come from a fallback face), a font the game ships in an
// archive, kerning, and measuring: a centred title and a caret in an input line. Every text is an
// ordinary UTF-8 string literal.
#include "rorodiv.h"

int main()
{
    SetUseUtf8Texts(1);  // before start-up: every text in and out is UTF-8
    SetWindowTitle("Text – テキスト");
    SetLogEnabled(0);          // no "Log.txt": the log goes to the terminal instead,
    SetLogToStandardError(1);  // in UTF-8 like the terminal
    SetLogInUtf8(1);
    ChangeWindowMode(1);
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
    const uint32_t white = PackColor(255, 255, 255), yellow = PackColor(255, 230, 80);
    const int big = CreateFontToHandle(nullptr, 40, 5, FONT_NORMAL, -1, -1, 0);
    const int smooth = CreateFontToHandle(nullptr, 28, 3, FONT_ANTIALIAS, -1, -1, 0);
    const int edged = CreateFontToHandle(nullptr, 28, 3, FONT_EDGE | FONT_ANTIALIAS, -1, 2, 0);
    // The game's own font, packed into fonts.zaz beside the program: found under its family.
    const int fontFile = LoadFontFile("fonts/DejaVuSerif.ttf");
    char family[256] = "DejaVu Serif";
    if (fontFile != -1) GetFontFileFamily(fontFile, family);
    const int shipped = CreateFontToHandle(family, 26, 4, FONT_ANTIALIAS, -1, -1, 0);
    // The same face twice, the second with its kerning table: "AV" and "To" come closer.
    const int unkerned = CreateFontToHandle("DejaVu Sans", 26, 4, FONT_ANTIALIAS, -1, -1, 0);
    const int kerned = CreateFontToHandle("DejaVu Sans", 26, 4, FONT_ANTIALIAS, -1, -1, 0);
    SetFontKerningOfHandle(1, kerned);

    const char* title = "Vexholm – ヴェクスホルム";
    const char* input = "Name: Åsa Ødegård";
    while (PumpMessages() == 0 && !IsKeyDown(KEYCODE_ESCAPE)) {
        ClearScreen();
        DrawRect(0, 0, 800, 600, PackColor(40, 60, 90), 1);
        int width = 0;
        GetTextWidth(title, big, &width);
        PrintTextWithFont((800 - width) / 2, 16, title, white, big);  // centred by its width
        PrintText(20, 80, "The default font: ASCII and 日本語のテキスト", white);
        PrintTextWithFont(20, 110, "Anti-aliased: なめらかな文字 ABC", white, smooth);
        PrintTextWithFont(20, 150, "Edged: 縁取りの文字 XYZ", yellow, edged, PackColor(160, 0, 0));
        PrintTextWithFont(20, 200, "café Übung ©®± Ωλπ Привет 한국어 ★♪→€", white, smooth);
        PrintTextWithFont(20, 250,
                          fontFile != -1 ? "From fonts.zaz: DejaVu Serif, ÆØÅ ΩΣ"
                                         : "fonts.zaz not found: the system's face",
                          white, shipped);
        PrintTextWithFont(460, 300, "AVATAR To WAVE", white, unkerned);
        PrintTextWithFont(460, 334, "AVATAR To WAVE", yellow, kerned);
        // An input line with its caret after the character the clock points at.
        const int characters = int(NowMilliseconds() / 500 % 18);
        int caret = 0, lineHeight = 0;
        GetTextWidthUpTo(input, characters, smooth, &caret);
        GetFontLineMetrics(smooth, &lineHeight, nullptr);
        DrawRect(16, 300, 420, 300 + lineHeight + 8, PackColor(20, 30, 50), 1);
        PrintTextWithFont(20, 304, input, white, smooth);
        DrawRect(20 + caret, 304, 22 + caret, 304 + lineHeight, yellow, 1);
        PrintTextFormat(20, 360, white, "書式つき: %d ポイント, %d ms", GetFontSizeOfHandle(big),
                        NowMilliseconds() % 1000);
        PresentScreen();
    }
    ReleaseFontHandle(big);
    ReleaseFontHandle(smooth);
    ReleaseFontHandle(edged);
    ReleaseFontHandle(shipped);
    ReleaseFontHandle(unkerned);
    ReleaseFontHandle(kerned);
    if (fontFile != -1) RemoveFontFile(fontFile);
    EndMediaLayer();
    return 0;
}
