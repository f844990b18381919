#include "platform/screen_surface.h"

#include "platform/window_record.h"
#include "platform/window_sdl.h"

#include <SDL.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sched.h>

namespace {

SDL_Surface* WrapFrame(const FramePixels& f)
{
    return SDL_CreateRGBSurfaceFrom(const_cast<uint8_t*>(f.pixels), f.width, f.height, f.bits, f.pitch, f.redMask,
                                    f.greenMask, f.blueMask, 0);
}

bool SameLayout(const SDL_Surface* surface, const FramePixels& f)
{
    const SDL_PixelFormat* p = surface->format;
    return p->BitsPerPixel == f.bits && p->BytesPerPixel * 8 == f.bits && p->Rmask == f.redMask &&
           p->Gmask == f.greenMask && p->Bmask == f.blueMask;
}

SDL_Rect ToSdl(const Rect& r)
{
    return SDL_Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace

int VideoSystemReady()
{
    return StartVideo() == 0 ? 1 : 0;
}

int PresentFrameToWindow(WindowHandle window, const FramePixels& frame, const Rect& source, const Rect& destination)
{
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr) return -1;
    SDL_Surface* surface = SDL_GetWindowSurface(sdl);
    if (surface == nullptr) return -1;
    const SDL_Rect src = ToSdl(source);
    SDL_Rect dst = ToSdl(destination);
    const bool unscaled = src.w == dst.w && src.h == dst.h;
    if (unscaled && SameLayout(surface, frame) && SDL_MUSTLOCK(surface) == 0) {
        // The common case: the frame's rows are the surface's rows.
        const int width = SDL_min(src.w, surface->w - dst.x), height = SDL_min(src.h, surface->h - dst.y);
        const int bytes = frame.bits / 8;
        for (int y = 0; y < height && width > 0; ++y)
            std::memcpy(static_cast<uint8_t*>(surface->pixels) + intptr_t(dst.y + y) * surface->pitch + dst.x * bytes,
                        frame.pixels + intptr_t(src.y + y) * frame.pitch + src.x * bytes, size_t(width) * bytes);
    } else {
        SDL_Surface* wrapped = WrapFrame(frame);
        if (wrapped == nullptr) return -1;
        SDL_SetSurfaceBlendMode(wrapped, SDL_BLENDMODE_NONE);
        if (unscaled)
            SDL_BlitSurface(wrapped, &src, surface, &dst);
        else
            SDL_BlitScaled(wrapped, &src, surface, &dst);
        SDL_FreeSurface(wrapped);
    }
    return SDL_UpdateWindowSurface(sdl) == 0 ? 0 : -1;
}

void WaitForDisplayRefresh()
{
    sched_yield();
    SDL_DisplayMode mode{};
    int rate = 60;
    if (VideoStarted() && SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) rate = mode.refresh_rate;
    const int64_t period = 1000000000 / rate;
    const int64_t next = (MonotonicNanoseconds() / period + 1) * period;
    timespec until{time_t(next / 1000000000), long(next % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

int EnterFullscreenMode(WindowHandle window, int32_t width, int32_t height, int32_t bits, int32_t refreshRate)
{
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr) return -1;
    // Only a mode the display offers counts; SDL would otherwise pick the closest one.
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w != width || mode.h != height || int(SDL_BYTESPERPIXEL(mode.format)) * 8 != bits) continue;
        if (refreshRate != 0 && mode.refresh_rate != refreshRate) continue;
        if (SDL_SetWindowDisplayMode(sdl, &mode) != 0) return -1;
        return SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN) == 0 ? 0 : -1;
    }
    return -1;
}

int LeaveFullscreenMode(WindowHandle window)
{
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr) return -1;
    return SDL_SetWindowFullscreen(sdl, 0) == 0 ? 0 : -1;
}
