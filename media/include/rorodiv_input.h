// Input events, the mouse wheel and pads by name: what IsKeyDown and ReadMouseButtons cannot
// tell, because they answer only what is held at the moment they are asked.
#pragma once
#include <cstdint>

#include "rorodiv_api.h"

// Input events. Every key press and release, mouse button press and release and wheel roll
// the window receives goes, in the order it came, into a queue of 1024 events, so a tap or a
// click shorter than a frame is still seen. The queue fills while messages are pumped
// (PumpMessages, and IsKeyDown, which pumps); it is emptied at start-up and shutdown. When
// it is full the oldest event is dropped for the newest, and the drop is counted: a game
// that reads it late sees the latest events. All of these run on the thread that pumps the
// messages (the one that called InitMediaLayer), before start-up too.
constexpr int INPUT_EVENT_NONE = 0;
constexpr int INPUT_EVENT_KEY_DOWN = 1;       // code: the key code (KEYCODE_...)
constexpr int INPUT_EVENT_KEY_UP = 2;         // code: the key code
constexpr int INPUT_EVENT_BUTTON_DOWN = 3;    // code: MOUSE_LEFT, MOUSE_RIGHT, MOUSE_MIDDLE, 8 or 16
constexpr int INPUT_EVENT_BUTTON_UP = 4;      // code: as for BUTTON_DOWN
constexpr int INPUT_EVENT_WHEEL = 5;          // wheelX, wheelY: the steps of this roll
constexpr int INPUT_EVENT_POINTER_MOVE = 6;   // only after SetPointerMoveEvents(1)
constexpr int INPUT_EVENT_PAD_CONNECTED = 7;  // code: the pad's number
constexpr int INPUT_EVENT_PAD_REMOVED = 8;    // code: the number the pad had
struct InputEvent {
    int32_t kind;            // INPUT_EVENT_...
    int32_t code;            // see the kinds above; 0 where none applies
    int32_t x, y;            // the pointer then, in the coordinates of ReadMousePosition
    int32_t wheelX, wheelY;  // wheel steps: to the right and away from the player count positive
    int32_t repeat;          // KEY_DOWN: 1 when the key was already held (the key repeats), else 0
    int32_t time;            // when the window system delivered it, on the clock of NowMilliseconds
};
// Takes the oldest event into *out: 0; -1 (with *out cleared to INPUT_EVENT_NONE when out is
// not null) when the queue is empty or out is null.
ROR_API int ReadInputEvent(InputEvent* out);
// The number of events waiting in the queue (0..1024).
ROR_API int GetInputEventCount();
// How many events were dropped because the queue was full, since start-up or the last
// ClearInputEvents.
ROR_API int GetDroppedInputEventCount();
// Empties the queue and sets the drop count to 0. 0.
ROR_API int ClearInputEvents();
// enable 1: pointer motion also goes into the queue (INPUT_EVENT_POINTER_MOVE; several moves
// with nothing between them may arrive as the last of them). 0, the default, leaves it out.
// A setting, kept across start-up and shutdown. 0.
ROR_API int SetPointerMoveEvents(int enable);

// The mouse wheel: the steps rolled since the previous call (a game that calls it once a
// frame gets the frame's amount), vertical away from the player and horizontal to the right
// positive. Either output may be null. 0.
ROR_API int ReadMouseWheel(int32_t* outVertical, int32_t* outHorizontal);
