// The first program of README.md: a window, a box under the pointer, a line of text.
#include "rorodiv.h"

int main()
{
    SetWindowTitle("My game");  // also the instance lock: a second copy refuses to start
    SetLogEnabled(1);           // "Log.txt" in the working folder reports every step
    ChangeWindowMode(1);        // windowed
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
    char renderer[64];                       // what draws: the GPU's name, or "Software"
    GetRendererName(renderer, sizeof renderer);
    const uint32_t white = PackColor(255, 255, 255);
    while (PumpMessages() == 0 && !IsKeyDown(KEYCODE_ESCAPE)) {
        ClearScreen();
        int32_t x, y;
        ReadMousePosition(&x, &y);
        DrawRect(x - 8, y - 8, x + 8, y + 8, PackColor(48, 48, 255), 1);
        DrawSegment(16, 16, 300, 16, white, 3);
        PrintTextFormat(16, 32, white, "MousePos(%3d,%3d)", x, y);
        PrintTextFormat(16, 48, white, "%s: %s", GetDrawingPath() == DRAWING_PATH_HARDWARE ? "OpenGL" : "Software path",
                        renderer);
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
