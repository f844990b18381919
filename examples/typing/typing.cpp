// Typing: a sign-in form of three input lines (a name in any script, a hidden password of
// single-byte characters, an age of digits). Enter moves on, Escape empties the line; the
// input method composes inline at the caret, Ctrl+V pastes. Once the form is done the game
// reads the texts back, F2 puts the name on the clipboard, and the keys typed then are read
// one character at a time (Escape ends, Enter starts over).
#include "rorodiv.h"

#include <cstdio>
#include <cstring>

int main()
{
    SetUseUtf8Texts(1);
    SetWindowTitle("Typing – 名前の入力");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetScreenMode(640, 400, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
    const uint32_t white = PackColor(255, 255, 255), yellow = PackColor(255, 230, 80), grey = PackColor(150, 160, 180);
    const int font = CreateFontToHandle(nullptr, 24, -1, FONT_ANTIALIAS, -1, -1, 0);
    int lineHeight = 0;
    GetFontLineMetrics(font, &lineHeight, nullptr);

    struct Field {
        const char* label;
        int line;
    } fields[] = {{"Name / 名前", CreateInputLine(16, 0)},
                  {"Password", CreateInputLine(12, INPUT_LINE_HIDDEN | INPUT_LINE_SINGLE_BYTE)},
                  {"Age", CreateInputLine(3, INPUT_LINE_DIGITS)}};
    constexpr int kFields = 3;
    int current = 0;
    SetActiveInputLine(fields[0].line);
    char lastTyped[5] = "";
    bool running = true;
    while (running && PumpMessages() == 0) {
        // A line ended: Enter moves to the next, Escape empties it and keeps it.
        if (current < kFields) {
            const int state = GetInputLineState(fields[current].line);
            if (state == INPUT_LINE_CANCELLED) {
                SetInputLineText(fields[current].line, "");
                SetActiveInputLine(fields[current].line);
            } else if (state == INPUT_LINE_DONE && ++current < kFields) {
                SetActiveInputLine(fields[current].line);
            }
        } else {
            // The form is done: the typed characters are the game's.
            char typed[5];
            while (ReadTypedCharacter(typed, sizeof typed) > 0) {
                if (typed[0] == TYPED_ESCAPE) running = false;
                if (typed[0] == TYPED_ENTER) {
                    for (Field& field : fields) SetInputLineText(field.line, "");
                    current = 0;
                    ClearTypedCharacters();
                    SetActiveInputLine(fields[0].line);
                    lastTyped[0] = '\0';
                    break;
                }
                std::snprintf(lastTyped, sizeof lastTyped, "%s", typed[0] >= ' ' ? typed : "^");
            }
            if (IsKeyDown(KEYCODE_F2)) {
                char name[128];
                GetInputLineText(fields[0].line, name, sizeof name);
                WriteClipboardText(name);
            }
        }

        ClearScreen();
        DrawRect(0, 0, 640, 400, PackColor(30, 40, 60), 1);
        PrintTextWithFont(20, 16, "Sign in – サインイン", white, font);
        for (int i = 0; i < kFields; ++i) {
            const int y = 70 + 56 * i;
            const bool active = GetActiveInputLine() == fields[i].line;
            PrintText(20, y + 6, fields[i].label, grey);
            DrawRect(180, y, 600, y + lineHeight + 10, active ? PackColor(20, 30, 50) : PackColor(45, 55, 80), 1);
            DrawRect(180, y, 600, y + lineHeight + 10, active ? yellow : grey, 0);
            DrawInputLine(fields[i].line, 186, y + 5, active ? yellow : white, font);
        }
        if (current >= kFields) {
            char name[128], age[8];
            GetInputLineText(fields[0].line, name, sizeof name);
            GetInputLineText(fields[2].line, age, sizeof age);
            char welcome[200];
            std::snprintf(welcome, sizeof welcome, "Welcome, %s (%s)!", name, age[0] ? age : "?");
            PrintTextWithFont(20, 250, welcome, yellow, font);
            char clipboard[128] = "";
            const int size = ReadClipboardText(clipboard, sizeof clipboard);
            PrintTextFormat(20, 300, white, "F2: name to the clipboard (now: \"%s\", %d bytes)",
                            size > 0 ? clipboard : "", size > 0 ? size - 1 : 0);
            PrintTextFormat(20, 325, white, "Last key typed: %s   Enter: again   Escape: end", lastTyped);
        } else {
            PrintText(20, 300, "Enter: next   Escape: empty the line   Ctrl+V: paste", grey);
        }
        PresentScreen();
    }
    for (Field& field : fields) ReleaseInputLine(field.line);
    ReleaseFontHandle(font);
    EndMediaLayer();
    return 0;
}
