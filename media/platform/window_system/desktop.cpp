#include "platform/window_system/desktop.h"

#include "platform/window_system/window_record.h"

#include <SDL.h>

namespace ror {

namespace {

DisplayMode ToDisplayMode(const SDL_DisplayMode& mode)
{
    return DisplayMode{mode.w, mode.h, static_cast<int32_t>(SDL_BYTESPERPIXEL(mode.format)) * 8, mode.refresh_rate};
}

}  // namespace

int ReadDesktopMode(DisplayMode* out)
{
    *out = DisplayMode{};
    SDL_DisplayMode mode{};
    if (StartVideo() != 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) return -1;
    *out = ToDisplayMode(mode);
    return 0;
}

int CountDisplayModes()
{
    if (StartVideo() != 0) return -1;
    int count = SDL_GetNumDisplayModes(0);
    return count < 0 ? -1 : count;
}

int ReadDisplayMode(int index, DisplayMode* out)
{
    *out = DisplayMode{};
    SDL_DisplayMode mode{};
    if (StartVideo() != 0 || SDL_GetDisplayMode(0, index, &mode) != 0) return -1;
    *out = ToDisplayMode(mode);
    return 0;
}

int DisplayHasModeOfSize(int32_t width, int32_t height)
{
    int count = CountDisplayModes();
    for (int i = 0; i < count; ++i) {
        DisplayMode mode;
        if (ReadDisplayMode(i, &mode) == 0 && mode.width == width && mode.height == height) return 1;
    }
    return 0;
}

int SetScreenSaverEnabled(int enabled)
{
    if (StartVideo() != 0) return -1;
    if (enabled) {
        SDL_EnableScreenSaver();
    } else {
        SDL_DisableScreenSaver();
    }
    return 0;
}

int ScreenSaverEnabled() { return VideoStarted() && SDL_IsScreenSaverEnabled() ? 1 : 0; }

int OemCodePage() { return 932; }

}  // namespace ror
