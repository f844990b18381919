#include "input/input_events.h"

#include "core/core_state.h"
#include "graphics/window_link.h"
#include "platform/window_system/message_queue.h"
#include "platform/window_system/window_input.h"
#include "core/last_failure.h"

namespace ror {

InputEventsRecord InputEvents;

namespace {

Point ClientToScreen(int32_t x, int32_t y)
{
    const Rect& client = CoreState.ClientRectOnScreen;
    return Point{client.left + x, client.top + y};
}

Point ClientOfLParam(LParam lParam)
{
    return ClientToScreen(SignedLowWord(static_cast<uintptr_t>(lParam)),
                          SignedHighWord(static_cast<uintptr_t>(lParam)));
}

// Where the pointer was last seen in the window, for the events that do not carry it.
Point LastPointer()
{
    Point client{0, 0};
    GetPointerInClient(CoreState.MainWindow, &client);
    return ClientToScreen(client.x, client.y);
}

// Key codes as the keyboard device numbers them: the scan code, 0x80 for an extended key.
int32_t KeyCodeOfLParam(LParam lParam)
{
    const auto bits = static_cast<uintptr_t>(lParam);
    return static_cast<int32_t>(((bits >> 16) & 0x7F) | (((bits >> 24) & 1) ? 0x80 : 0));
}

int32_t ButtonOfMessage(uint32_t message, WParam wParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return MOUSE_LEFT;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return MOUSE_RIGHT;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return MOUSE_MIDDLE;
    default: return HighWord(wParam) == 1 ? 8 : 16;  // the fourth and fifth buttons
    }
}

int32_t WheelSteps(WParam wParam) { return SignedHighWord(wParam) / WHEEL_DELTA; }

}  // namespace

Point ScreenToSurface(Point screen)
{
    if (!CoreState.Windowed) return screen;
    const Rect& client = CoreState.ClientRectOnScreen;
    const int32_t toolBarHeight = 0;  // this window system has no tool bar
    if (ScreenFittedIntoWindow() || CoreState.highDpi) {
        Point surface{};
        ClientPointToScreen(screen.x - client.left, screen.y - (client.top + toolBarHeight), &surface.x, &surface.y);
        return surface;
    }
    double scale = CoreState.windowScale;
    if (scale <= 0.0) scale = 1.0;
    // Truncation toward zero: 4 pixels left of the origin at scale 1.5 is -2.
    return Point{static_cast<int32_t>(static_cast<double>(screen.x - client.left) / scale),
                 static_cast<int32_t>(static_cast<double>(screen.y - (client.top + toolBarHeight)) / scale)};
}

void ResetInputEvents()
{
    const int32_t pointerMoves = InputEvents.pointerMoves;
    InputEvents.head = 0;
    InputEvents.count = 0;
    InputEvents.dropped = 0;
    InputEvents.wheelVertical = 0;
    InputEvents.wheelHorizontal = 0;
    InputEvents.pointerMoves = pointerMoves;
}

void QueueInputEvent(const InputEvent& event)
{
    if (InputEvents.count == kInputEventCapacity) {
        // The newest are kept: a game that reads late acts on what happened last.
        InputEvents.head = (InputEvents.head + 1) % kInputEventCapacity;
        --InputEvents.count;
        if (InputEvents.dropped < INT32_MAX) ++InputEvents.dropped;
    }
    InputEvents.events[(InputEvents.head + InputEvents.count) % kInputEventCapacity] = event;
    ++InputEvents.count;
}

void RecordInputMessage(uint32_t message, WParam wParam, LParam lParam)
{
    InputEvent event{};
    Point screen{};
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        event.kind = down ? INPUT_EVENT_KEY_DOWN : INPUT_EVENT_KEY_UP;
        event.code = KeyCodeOfLParam(lParam);
        // Bit 30: the key was down before this message.
        event.repeat = down && ((static_cast<uintptr_t>(lParam) >> 30) & 1) ? 1 : 0;
        screen = LastPointer();
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP: {
        const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
                          message == WM_XBUTTONDOWN;
        event.kind = down ? INPUT_EVENT_BUTTON_DOWN : INPUT_EVENT_BUTTON_UP;
        event.code = ButtonOfMessage(message, wParam);
        screen = ClientOfLParam(lParam);
        break;
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        event.kind = INPUT_EVENT_WHEEL;
        (message == WM_MOUSEWHEEL ? event.wheelY : event.wheelX) = WheelSteps(wParam);
        InputEvents.wheelVertical += event.wheelY;
        InputEvents.wheelHorizontal += event.wheelX;
        // The wheel's messages carry the pointer on the screen.
        screen = Point{SignedLowWord(static_cast<uintptr_t>(lParam)), SignedHighWord(static_cast<uintptr_t>(lParam))};
        break;
    }
    case WM_MOUSEMOVE:
        if (!InputEvents.pointerMoves) return;
        event.kind = INPUT_EVENT_POINTER_MOVE;
        screen = ClientOfLParam(lParam);
        break;
    default: return;
    }
    const Point surface = ScreenToSurface(screen);
    event.x = surface.x;
    event.y = surface.y;
    event.time = static_cast<int32_t>(DispatchedMessageTime() & 0x7FFFFFFF);
    QueueInputEvent(event);
}

}  // namespace ror

using namespace ror;

int ReadInputEvent(InputEvent* out)
{
    if (!out) return FailedArgument(__func__);
    // An empty queue is an answer, not a failure: the last failure stays as it was.
    if (InputEvents.count == 0) {
        *out = InputEvent{};
        return -1;
    }
    *out = InputEvents.events[InputEvents.head];
    InputEvents.head = (InputEvents.head + 1) % kInputEventCapacity;
    --InputEvents.count;
    return 0;
}

int GetInputEventCount() { return InputEvents.count; }

int GetDroppedInputEventCount() { return InputEvents.dropped; }

int ClearInputEvents()
{
    InputEvents.head = 0;
    InputEvents.count = 0;
    InputEvents.dropped = 0;
    return 0;
}

int SetPointerMoveEvents(int enable)
{
    InputEvents.pointerMoves = enable ? 1 : 0;
    return 0;
}

int ReadMouseWheel(int32_t* outVertical, int32_t* outHorizontal)
{
    if (outVertical) *outVertical = InputEvents.wheelVertical;
    if (outHorizontal) *outHorizontal = InputEvents.wheelHorizontal;
    InputEvents.wheelVertical = 0;
    InputEvents.wheelHorizontal = 0;
    return 0;
}
