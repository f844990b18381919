// The queue of input events behind ReadInputEvent and the wheel amount behind ReadMouseWheel,
// fed by the window procedure from the messages it receives and by the pads' steps.
#pragma once
#include "platform/window_system/messages.h"
#include "rorodiv.h"

#include <cstdint>

namespace ror {

constexpr int kInputEventCapacity = 1024;

struct InputEventsRecord {
    InputEvent events[kInputEventCapacity];  // a ring: the oldest at head
    int32_t head;
    int32_t count;
    int32_t dropped;
    int32_t wheelVertical;  // steps since the last ReadMouseWheel
    int32_t wheelHorizontal;
    int32_t pointerMoves;  // SetPointerMoveEvents
};

extern InputEventsRecord InputEvents;

// Empties the queue, the drop count and the wheel amount (start-up and shutdown); the
// setting for pointer moves stays.
void ResetInputEvents();
// Adds an event, dropping the oldest when the queue is full.
void QueueInputEvent(const InputEvent& event);
// Turns a message of the main window into its event, if it makes one.
void RecordInputMessage(uint32_t message, WParam wParam, LParam lParam);
// A point on the screen in the coordinates ReadMousePosition gives.
Point ScreenToSurface(Point screen);

}  // namespace ror
