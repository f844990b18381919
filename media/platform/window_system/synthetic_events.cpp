#include "platform/window_system/synthetic_events.h"

#include "platform/window_system/virtual_keys.h"
#include "platform/window_system/window_record.h"

#include <SDL.h>

#include <cstdio>

namespace ror {

namespace {

int Push(SDL_Event& event) { return SDL_PushEvent(&event) == 1 ? 0 : -1; }

// Text input and text editing share their first fields; editing adds the caret and selection.
int PushTextEvent(WindowHandle handle, SDL_EventType type, const char* utf8, int start, int length)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window || !utf8) return -1;
    SDL_Event event{};
    event.type = type;
    if (type == SDL_TEXTINPUT) {
        event.text.windowID = window->sdlId;
        std::snprintf(event.text.text, sizeof event.text.text, "%s", utf8);
    } else {
        event.edit.windowID = window->sdlId;
        std::snprintf(event.edit.text, sizeof event.edit.text, "%s", utf8);
        event.edit.start = start;
        event.edit.length = length;
    }
    return Push(event);
}

}  // namespace

int PushSyntheticKey(WindowHandle handle, int keyCode, int down)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    for (const KeyMapping& key : KeyMappings()) {
        if (key.scanCode != keyCode) continue;
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = window->sdlId;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = static_cast<SDL_Scancode>(key.sdlScancode);
        event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
        return Push(event);
    }
    return -1;
}

int PushSyntheticButton(WindowHandle handle, int button, int down, int32_t x, int32_t y)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = window->sdlId;
    event.button.button = static_cast<Uint8>(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    return Push(event);
}

int PushSyntheticWheel(WindowHandle handle, int32_t x, int32_t y)
{
    PlatformWindow* window = WindowRecord(handle);
    if (!window) return -1;
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = window->sdlId;
    event.wheel.x = x;
    event.wheel.y = y;
    event.wheel.preciseX = static_cast<float>(x);
    event.wheel.preciseY = static_cast<float>(y);
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    return Push(event);
}

int PushSyntheticText(WindowHandle window, const char* utf8)
{
    return PushTextEvent(window, SDL_TEXTINPUT, utf8, 0, 0);
}

int PushSyntheticComposition(WindowHandle window, const char* utf8, int start, int length)
{
    return PushTextEvent(window, SDL_TEXTEDITING, utf8, start, length);
}

}  // namespace ror
