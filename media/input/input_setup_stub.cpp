// Placeholders until the input layer lands: no devices, the pointer from the window system.
#include "input/input_setup.h"

#include "core/core_state.h"
#include "platform/window_input.h"

int SetupInput() { return 0; }
int ShutdownInput() { return 0; }
int ReacquireInputDevices() { return 0; }
int ApplyPadVibration() { return 0; }
int StepPadVibration() { return 0; }

int ReadMousePosition(int32_t* outX, int32_t* outY)
{
    Point pointer{0, 0};
    GetPointerInClient(CoreState.MainWindow, &pointer);
    if (outX) *outX = pointer.x;
    if (outY) *outY = pointer.y;
    return 0;
}
