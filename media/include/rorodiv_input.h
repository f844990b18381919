/// @file
/// Input events, the mouse wheel and pads by name: what IsKeyDown and ReadMouseButtons cannot
/// tell, because they answer only what is held at the moment they are asked.
#pragma once
#include <cstdint>

#include "rorodiv_api.h"

/// Input events. Every key press and release, mouse button press and release and wheel roll
/// the window receives goes, in the order it came, into a queue of 1024 events, so a tap or a
/// click shorter than a frame is still seen. The queue fills while messages are pumped
/// (PumpMessages, and IsKeyDown, which pumps); it is emptied at start-up and shutdown. When
/// it is full the oldest event is dropped for the newest, and the drop is counted: a game
/// that reads it late sees the latest events. All of these run on the thread that pumps the
/// messages (the one that called InitMediaLayer), before start-up too.
constexpr int INPUT_EVENT_NONE = 0;
constexpr int INPUT_EVENT_KEY_DOWN = 1;       ///< code: the key code (KEYCODE_...)
constexpr int INPUT_EVENT_KEY_UP = 2;         ///< code: the key code
constexpr int INPUT_EVENT_BUTTON_DOWN = 3;    ///< code: MOUSE_LEFT, MOUSE_RIGHT, MOUSE_MIDDLE, 8 or 16
constexpr int INPUT_EVENT_BUTTON_UP = 4;      ///< code: as for BUTTON_DOWN
constexpr int INPUT_EVENT_WHEEL = 5;          ///< wheelX, wheelY: the steps of this roll
constexpr int INPUT_EVENT_POINTER_MOVE = 6;   ///< only after SetPointerMoveEvents(1)
constexpr int INPUT_EVENT_PAD_CONNECTED = 7;  ///< code: the pad's number
constexpr int INPUT_EVENT_PAD_REMOVED = 8;    ///< code: the number the pad had
/// One input event, as ReadInputEvent gives it.
struct InputEvent {
    int32_t kind;  ///< INPUT_EVENT_...
    int32_t code;  ///< see the kinds above; 0 where none applies
    /// @{
    /// Keys, buttons, wheel, moves: the pointer then, as ReadMousePosition gives it.
    int32_t x, y;
    /// @}
    /// @{
    /// Wheel steps: to the right and away from the player count positive.
    int32_t wheelX, wheelY;
    /// @}
    int32_t repeat;  ///< KEY_DOWN: 1 when the key was already held (the key repeats), else 0
    int32_t time;    ///< when the window system delivered it, on the clock of NowMilliseconds
};
/// Takes the oldest event into *out: 0; -1 (with *out cleared to INPUT_EVENT_NONE when out is
/// not null) when the queue is empty or out is null.
ROR_API int ReadInputEvent(InputEvent* out);
/// The number of events waiting in the queue (0..1024).
ROR_API int GetInputEventCount();
/// How many events were dropped because the queue was full, since start-up or the last
/// ClearInputEvents.
ROR_API int GetDroppedInputEventCount();
/// Empties the queue and sets the drop count to 0. 0.
ROR_API int ClearInputEvents();
/// enable 1: pointer motion also goes into the queue (INPUT_EVENT_POINTER_MOVE; several moves
/// with nothing between them may arrive as the last of them). 0, the default, leaves it out.
/// A setting, kept across start-up and shutdown. 0.
ROR_API int SetPointerMoveEvents(int enable);

/// The mouse wheel: the steps rolled since the previous call (a game that calls it once a
/// frame gets the frame's amount), vertical away from the player and horizontal to the right
/// positive. Either output may be null. 0.
ROR_API int ReadMouseWheel(int32_t* outVertical, int32_t* outHorizontal);

/// Pads by name: the controls of a pad by their place on a standard pad, through the window
/// system's mappings of known pads (SDL's game-controller database), as a complement of
/// ReadJoypadInput's numbered buttons. Pads are numbered as for the joypad operations. A pad
/// plugged in while the game runs gets the first free number and an INPUT_EVENT_PAD_CONNECTED
/// event; one pulled out frees its number with an INPUT_EVENT_PAD_REMOVED event, and the other
/// pads keep theirs (GetJoypadCount then counts up to the highest number in use). Both are
/// seen while messages are pumped, after start-up, with the input devices on.
constexpr uint32_t PAD_SOUTH = 1u << 0;            ///< the bottom face button (A on many pads, the cross on others)
constexpr uint32_t PAD_EAST = 1u << 1;             ///< the right face button
constexpr uint32_t PAD_WEST = 1u << 2;             ///< the left face button
constexpr uint32_t PAD_NORTH = 1u << 3;            ///< the top face button
constexpr uint32_t PAD_BACK = 1u << 4;             ///< back / select / share
constexpr uint32_t PAD_GUIDE = 1u << 5;            ///< the pad's home or logo button
constexpr uint32_t PAD_START = 1u << 6;            ///< start / options / menu
constexpr uint32_t PAD_LEFT_STICK = 1u << 7;       ///< the left stick pressed in
constexpr uint32_t PAD_RIGHT_STICK = 1u << 8;      ///< the right stick pressed in
constexpr uint32_t PAD_LEFT_SHOULDER = 1u << 9;    ///< the left shoulder button (not the trigger)
constexpr uint32_t PAD_RIGHT_SHOULDER = 1u << 10;  ///< the right shoulder button
constexpr uint32_t PAD_UP = 1u << 11;              ///< the d-pad pressed up
constexpr uint32_t PAD_DOWN = 1u << 12;            ///< the d-pad pressed down
constexpr uint32_t PAD_LEFT = 1u << 13;            ///< the d-pad pressed left
constexpr uint32_t PAD_RIGHT = 1u << 14;           ///< the d-pad pressed right
/// A pad's controls by their place on a standard pad, as ReadPadControls gives them.
struct PadControls {
    /// @{
    /// The sticks, -1000..1000 (right and down positive), with ReadJoypadInput's dead zone.
    int32_t leftX, leftY, rightX, rightY;
    /// @}
    /// @{
    /// The triggers, 0 released .. 1000 fully pressed.
    int32_t leftTrigger, rightTrigger;
    /// @}
    uint32_t buttons;  ///< PAD_... held
};
/// The pad's controls now: 0; -1 with *out cleared for a null out, a pad number in use by no
/// pad, before start-up, or a pad the window system has no mapping for (ReadJoypadInput still
/// reads it).
ROR_API int ReadPadControls(int pad, PadControls* out);
/// The pad's name (its mapping's name, else the one it reports), in the current text mode,
/// with its terminating zero, cut at a character's end to size - 1 bytes. 0; -1 with the
/// buffer untouched for a pad number in use by no pad, a null buffer or size below 1.
ROR_API int GetPadName(int pad, char* buffer, int size);
