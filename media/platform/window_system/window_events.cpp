// Turns SDL's events into messages of the layer's windows and keeps the key and pointer
// state that the messages imply.
#include "platform/system/codepage.h"
#include "platform/window_system/desktop.h"
#include "platform/window_system/ime.h"
#include "platform/window_system/message_queue.h"
#include "platform/system/thread_id.h"
#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window.h"
#include "platform/window_system/pointer_query.h"
#include "platform/window_system/window_input.h"
#include "platform/window_system/window_record.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace ror {

namespace {

struct InputRecord {
    uint8_t keys[256];
    uint8_t keysByCode[256];        // the same bits per physical key, by key code
    PlatformWindow* pointerWindow;  // where the pointer was last seen
    int composing;
    char composition[1024];
    int compositionCursor;
    int imeDisabled;
    int textUtf8;  // typed text goes out as UTF-8 bytes rather than cp932
    // The composition as the input method sent it, for drawing in either text mode.
    char compositionUtf8[64];
    int compositionStart;   // the caret, in characters
    int compositionLength;  // the characters marked from the caret (the clause being converted)
};

InputRecord Input;

constexpr uint8_t kHeld = 0x80;
constexpr uint8_t kToggled = 0x01;

bool Held(uint8_t key) { return (Input.keys[key] & kHeld) != 0; }

void SetHeldIn(uint8_t* keys, uint8_t key, bool down)
{
    if (down) {
        if (!(keys[key] & kHeld)) keys[key] ^= kToggled;
        keys[key] |= kHeld;
    } else {
        keys[key] &= static_cast<uint8_t>(~kHeld);
    }
}

void SetHeld(uint8_t key, bool down) { SetHeldIn(Input.keys, key, down); }

void UpdateSidelessKeys()
{
    SetHeld(VK_SHIFT, Held(VK_LSHIFT) || Held(VK_RSHIFT));
    SetHeld(VK_CONTROL, Held(VK_LCONTROL) || Held(VK_RCONTROL));
    SetHeld(VK_MENU, Held(VK_LMENU) || Held(VK_RMENU));
}

WParam MouseKeyFlags()
{
    WParam flags = 0;
    if (Held(VK_LBUTTON)) flags |= MK_LBUTTON;
    if (Held(VK_RBUTTON)) flags |= MK_RBUTTON;
    if (Held(VK_MBUTTON)) flags |= MK_MBUTTON;
    if (Held(VK_XBUTTON1)) flags |= MK_XBUTTON1;
    if (Held(VK_XBUTTON2)) flags |= MK_XBUTTON2;
    if (Held(VK_SHIFT)) flags |= MK_SHIFT;
    if (Held(VK_CONTROL)) flags |= MK_CONTROL;
    return flags;
}

// The window an event belongs to; keyboard events without one go to the first window.
PlatformWindow* TargetWindow(uint32_t sdlId)
{
    if (PlatformWindow* window = WindowOfSdlId(sdlId)) return window;
    for (PlatformWindow& window : Windows) {
        if (window.inUse) return &window;
    }
    return nullptr;
}

void Post(PlatformWindow* window, uint32_t message, WParam wParam, LParam lParam)
{
    if (window) PostMessage(window, message, wParam, lParam);
}

void PostToAll(uint32_t message, WParam wParam, LParam lParam)
{
    for (PlatformWindow& window : Windows) {
        if (window.inUse) PostMessage(&window, message, wParam, lParam);
    }
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    PlatformWindow* window = WindowOfSdlId(event.windowID);
    if (!window) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED: window->needsPaint = 1; break;
    case SDL_WINDOWEVENT_MOVED: Post(window, WM_MOVE, 0, MakeLParam(event.data1, event.data2)); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        Post(window, WM_SIZE, SIZE_RESTORED, MakeLParam(event.data1, event.data2));
        break;
    case SDL_WINDOWEVENT_MINIMIZED: Post(window, WM_SIZE, SIZE_MINIMIZED, 0); break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        int width = 0, height = 0;
        SDL_GetWindowSize(window->sdl, &width, &height);
        WParam kind = event.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED : SIZE_RESTORED;
        Post(window, WM_SIZE, kind, MakeLParam(width, height));
        break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Post(window, WM_ACTIVATEAPP, 1, 0);
        Post(window, WM_ACTIVATE, WA_ACTIVE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Post(window, WM_ACTIVATE, WA_INACTIVE, 0);
        Post(window, WM_ACTIVATEAPP, 0, 0);
        break;
    case SDL_WINDOWEVENT_CLOSE: Post(window, WM_CLOSE, 0, 0); break;
    default: break;
    }
}

void TranslateKey(const SDL_KeyboardEvent& event)
{
    const KeyMapping* key = FindKeyMapping(event.keysym.scancode);
    if (!key) return;
    bool down = event.state == SDL_PRESSED;
    SetHeldIn(Input.keysByCode, key->scanCode, down);
    if (key->virtualKey == 0) return;
    bool wasHeld = Held(key->virtualKey);
    SetHeld(key->virtualKey, down);
    UpdateSidelessKeys();

    WParam virtualKey = key->virtualKey;
    if (virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT) virtualKey = VK_SHIFT;
    if (virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL) virtualKey = VK_CONTROL;
    if (virtualKey == VK_LMENU || virtualKey == VK_RMENU) virtualKey = VK_MENU;
    bool alt = Held(VK_MENU);
    bool system = (alt && !Held(VK_CONTROL)) || virtualKey == VK_F1 + 9 || (!down && virtualKey == VK_MENU);
    // Repeat count 1, scan code, extended-key bit, Alt as context, previous state, transition.
    LParam lParam = 1 | (LParam(key->scanCode & 0x7F) << 16) | ((key->scanCode & 0x80) ? LParam(1) << 24 : 0) |
                    (alt ? LParam(1) << 29 : 0) | ((wasHeld || !down) ? LParam(1) << 30 : 0) |
                    (!down ? LParam(1) << 31 : 0);
    uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    Post(TargetWindow(event.windowID), message, virtualKey, lParam);
}

void EndComposition(PlatformWindow* window)
{
    if (!Input.composing) return;
    Input.composing = 0;
    Input.composition[0] = '\0';
    Input.compositionCursor = 0;
    Input.compositionUtf8[0] = '\0';
    Input.compositionStart = 0;
    Input.compositionLength = 0;
    Post(window, WM_IME_ENDCOMPOSITION, 0, 0);
}

void TranslateText(const SDL_TextInputEvent& event)
{
    PlatformWindow* window = TargetWindow(event.windowID);
    EndComposition(window);
    char text[sizeof event.text * 2];
    int length = Input.textUtf8 ? std::snprintf(text, sizeof text, "%s", event.text)
                                : Utf8ToCp932(event.text, text, sizeof text);
    for (int i = 0; i < length; ++i) Post(window, WM_CHAR, static_cast<uint8_t>(text[i]), 1);
}

void TranslateEditing(const SDL_TextEditingEvent& event)
{
    PlatformWindow* window = TargetWindow(event.windowID);
    if (Input.imeDisabled) return;
    if (event.text[0] == '\0') {
        EndComposition(window);
        return;
    }
    if (!Input.composing) {
        Input.composing = 1;
        Post(window, WM_IME_STARTCOMPOSITION, 0, 0);
    }
    Utf8ToCp932(event.text, Input.composition, sizeof Input.composition);
    std::snprintf(Input.compositionUtf8, sizeof Input.compositionUtf8, "%s", event.text);
    Input.compositionStart = event.start > 0 ? event.start : 0;
    Input.compositionLength = event.length > 0 ? event.length : 0;
    // SDL gives the caret in characters; the layer counts bytes of the cp932 text.
    char head[sizeof Input.composition];
    char utf8Head[sizeof event.text];
    std::snprintf(utf8Head, sizeof utf8Head, "%s", event.text);
    char* cut = utf8Head;
    for (int characters = 0; *cut && characters < event.start; ++characters) {
        ++cut;
        while ((*cut & 0xC0) == 0x80) ++cut;
    }
    *cut = '\0';
    Input.compositionCursor = Utf8ToCp932(utf8Head, head, sizeof head);
    if (Input.compositionCursor < 0) Input.compositionCursor = 0;
    Post(window, WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_CURSORPOS);
}

void NotePointer(PlatformWindow* window, int32_t x, int32_t y)
{
    if (!window) return;
    window->pointerKnown = 1;
    window->pointerX = x;
    window->pointerY = y;
    Input.pointerWindow = window;
}

void TranslateButton(const SDL_MouseButtonEvent& event)
{
    struct ButtonRow {
        uint8_t sdlButton, virtualKey;
        uint32_t downMessage, upMessage;
        WParam extra;
    };
    static constexpr ButtonRow kButtons[] = {
        {SDL_BUTTON_LEFT, VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, 0},
        {SDL_BUTTON_RIGHT, VK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, 0},
        {SDL_BUTTON_MIDDLE, VK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, 0},
        {SDL_BUTTON_X1, VK_XBUTTON1, WM_XBUTTONDOWN, WM_XBUTTONUP, 1},
        {SDL_BUTTON_X2, VK_XBUTTON2, WM_XBUTTONDOWN, WM_XBUTTONUP, 2},
    };
    for (const ButtonRow& row : kButtons) {
        if (row.sdlButton != event.button) continue;
        bool down = event.state == SDL_PRESSED;
        SetHeld(row.virtualKey, down);
        PlatformWindow* window = WindowOfSdlId(event.windowID);
        NotePointer(window, event.x, event.y);
        Post(window, down ? row.downMessage : row.upMessage, MouseKeyFlags() | (row.extra << 16),
             MakeLParam(event.x, event.y));
        return;
    }
}

void TranslateWheel(const SDL_MouseWheelEvent& event)
{
    PlatformWindow* window = WindowOfSdlId(event.windowID);
    if (!window) return;
    const int sign = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
    Point screen{window->pointerX, window->pointerY};
    ClientToScreen(window, &screen);
    // Up (away from the user) and right are positive in both.
    struct Roll {
        int steps;
        uint32_t message;
    };
    for (const Roll roll : {Roll{event.y, WM_MOUSEWHEEL}, Roll{event.x, WM_MOUSEHWHEEL}}) {
        if (roll.steps == 0) continue;
        // The message carries 16 bits: a roll beyond them is cut to the most they hold.
        constexpr int kMostSteps = 32767 / WHEEL_DELTA;
        const int steps = roll.steps > kMostSteps ? kMostSteps : roll.steps < -kMostSteps ? -kMostSteps : roll.steps;
        const int delta = sign * steps * WHEEL_DELTA;
        Post(window, roll.message, MouseKeyFlags() | (WParam(uint16_t(int16_t(delta))) << 16),
             MakeLParam(screen.x, screen.y));
    }
}

void Translate(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT: PostToAll(WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
    case SDL_DISPLAYEVENT: PostDisplayChange(); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: TranslateKey(event.key); break;
    case SDL_TEXTINPUT: TranslateText(event.text); break;
    case SDL_TEXTEDITING: TranslateEditing(event.edit); break;
    case SDL_MOUSEMOTION: {
        PlatformWindow* window = WindowOfSdlId(event.motion.windowID);
        NotePointer(window, event.motion.x, event.motion.y);
        Post(window, WM_MOUSEMOVE, MouseKeyFlags(), MakeLParam(event.motion.x, event.motion.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: TranslateButton(event.button); break;
    case SDL_MOUSEWHEEL: TranslateWheel(event.wheel); break;
    default: break;
    }
}

}  // namespace

void PollWindowSystemEvents()
{
    if (!VideoStarted() || CurrentThreadId() != EventThreadId()) return;
    // Events wait in SDL's larger queue while ours is nearly full: a post to a full queue
    // would lose the message, and one text event can post a message per byte.
    constexpr int kRoomForOneEvent = 2 * sizeof(SDL_TextInputEvent::text);
    SDL_Event event;
    while (MessageRoom() >= kRoomForOneEvent && SDL_PollEvent(&event)) Translate(event);
}

int GetKeyboardState(uint8_t state[256])
{
    std::memcpy(state, Input.keys, sizeof Input.keys);
    return 0;
}

int GetKeyStateByKeyCode(uint8_t state[256])
{
    std::memcpy(state, Input.keysByCode, sizeof Input.keysByCode);
    return 0;
}

int GetCursorPos(Point* out)
{
    PlatformWindow* window = Input.pointerWindow;
    if (!window || !window->inUse) {
        window = nullptr;
        for (PlatformWindow& record : Windows) {
            if (record.inUse) {
                window = &record;
                break;
            }
        }
    }
    if (!window) return -1;
    // Where the pointer is now, outside the window too; the last motion seen inside a window
    // only where the window system cannot be asked.
    int32_t x = 0, y = 0;
    if (QueryPointerInWindow(window->sdl, &x, &y) == 0) {
        *out = Point{x, y};
    } else {
        if (!window->pointerKnown) return -1;
        *out = Point{window->pointerX, window->pointerY};
    }
    return ClientToScreen(window, out);
}

int GetPointerInClient(WindowHandle handle, Point* out)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window || !window->pointerKnown) return -1;
    *out = Point{window->pointerX, window->pointerY};
    return 0;
}

uint32_t HeldMouseButtons()
{
    return static_cast<uint32_t>(MouseKeyFlags() & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2));
}

int ReadCompositionString(char* out, int size)
{
    if (size <= 0) return 0;
    int length = static_cast<int>(std::strlen(Input.composition));
    if (length > size - 1) length = size - 1;
    std::memcpy(out, Input.composition, length);
    out[length] = '\0';
    return length;
}

int CompositionCursor() { return Input.compositionCursor; }

int ReadCompositionUtf8(char* out, int size, int* caret, int* marked)
{
    *caret = Input.composing ? Input.compositionStart : 0;
    *marked = Input.composing ? Input.compositionLength : 0;
    if (size <= 0) return 0;
    if (!Input.composing) {
        out[0] = '\0';
        return 0;
    }
    return std::snprintf(out, size_t(size), "%s", Input.compositionUtf8);
}

void SetTextMessagesUtf8(int enabled) { Input.textUtf8 = enabled ? 1 : 0; }

int StartTextInput(WindowHandle handle)
{
    if (!WindowRecord(handle)) return -1;
    if (!SDL_IsTextInputActive()) SDL_StartTextInput();
    return 0;
}

int SetCandidateWindowArea(WindowHandle handle, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (!WindowRecord(handle)) return -1;
    SDL_Rect area{x, y, width, height};
    SDL_SetTextInputRect(&area);
    return 0;
}

int SetInputMethodEnabled(int enabled)
{
    Input.imeDisabled = enabled ? 0 : 1;
    if (!enabled) EndComposition(nullptr);
    return 0;
}

int InputMethodOpen() { return Input.imeDisabled ? 0 : 1; }

int PostDisplayChange()
{
    DisplayMode mode;
    if (ReadDesktopMode(&mode) != 0) return -1;
    PostToAll(WM_DISPLAYCHANGE, static_cast<WParam>(mode.colorBits), MakeLParam(mode.width, mode.height));
    return 0;
}

int RequestWindowClose(WindowHandle handle)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = window->sdlId;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    return SDL_PushEvent(&event) == 1 ? 0 : -1;
}

}  // namespace ror
