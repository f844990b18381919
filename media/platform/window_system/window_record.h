// Inside the platform layer: the record behind a WindowHandle and the video system's state.
#pragma once
#include "platform/system/instance_lock.h"
#include "platform/window_system/messages.h"

#include <cstdint>

struct SDL_Window;

namespace ror {

struct PlatformWindow {
    int inUse;
    SDL_Window* sdl;
    uint32_t sdlId;
    int classSlot;
    uint32_t thread;  // the creating thread: its queue gets the window's messages
    uint32_t style;
    uint32_t exStyle;
    int needsPaint;
    int destroying;  // WM_DESTROY is being sent
    int pointerKnown;
    int32_t pointerX;  // last pointer position in client coordinates
    int32_t pointerY;
    // A place asked for while the window covered the display, applied when it leaves it.
    int placePending;
    int32_t placeX, placeY, placeWidth, placeHeight;
    uint32_t placeFlags;
};

constexpr int kMaxWindows = 16;
extern PlatformWindow Windows[kMaxWindows];

// Starts SDL's video on first use; the thread that starts it receives its events. 0 / -1.
int StartVideo();
int VideoStarted();
uint32_t EventThreadId();

PlatformWindow* WindowRecord(WindowHandle window);  // null unless the window exists
// Gives the window system the record's styles and any place asked for while it ignored them.
void ApplyWindowStylesAndPlace(PlatformWindow& window);
PlatformWindow* WindowOfSdlId(uint32_t sdlId);

// The window manager's frame around a client area, as last reported for a shown window.
struct WindowFrame {
    int32_t left, top, right, bottom;
};
WindowFrame LastWindowFrame();

}  // namespace ror
