#include "platform/window_system/screen_surface.h"

#include "platform/window_system/window.h"
#include "platform/window_system/window_record.h"
#include "platform/window_system/window_sdl.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sched.h>

namespace ror {

namespace {

// The window surface whose rows a frame lives in, and whom to tell before they go.
struct LentRowsRecord {
    SDL_Window* window;
    SDL_Surface* surface;
    uint8_t* pixels;
    TakeBackFrame takeBack;
};
LentRowsRecord Lent;

void TakeBackLentRows(int alive)
{
    const TakeBackFrame takeBack = Lent.takeBack;
    if (Lent.pixels != nullptr && takeBack != nullptr) takeBack(alive);
    Lent = LentRowsRecord{};
}

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

SDL_Rect ToSdl(const Rect& r) { return SDL_Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; }

int64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// A 16-bit 5-6-5 frame widened to 32 bits with the fields' top bits repeated below, so that
// full fields become 255 (white stays white); kept between presents.
struct WideFrame {
    SDL_Surface* surface;
};
WideFrame Wide;

// A 5-6-5 frame as 32-bit pixels in the kept wide surface, described in `out`. 0 / -1.
int WidenFrame(const FramePixels& f, FramePixels* out)
{
    if (Wide.surface == nullptr || Wide.surface->w != f.width || Wide.surface->h != f.height) {
        SDL_FreeSurface(Wide.surface);
        Wide.surface = SDL_CreateRGBSurfaceWithFormat(0, f.width, f.height, 32, SDL_PIXELFORMAT_XRGB8888);
        if (Wide.surface == nullptr) return -1;
    }
    for (int y = 0; y < f.height; ++y) {
        const auto* in = reinterpret_cast<const uint16_t*>(f.pixels + intptr_t(y) * f.pitch);
        auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(Wide.surface->pixels) +
                                                intptr_t(y) * Wide.surface->pitch);
        for (int x = 0; x < f.width; ++x) {
            const uint32_t v = in[x];
            const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
            out[x] = 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
        }
    }
    const SDL_Surface* w = Wide.surface;
    *out = FramePixels{static_cast<const uint8_t*>(w->pixels),
                       w->pitch,
                       w->w,
                       w->h,
                       32,
                       w->format->Rmask,
                       w->format->Gmask,
                       w->format->Bmask};
    return 0;
}

}  // namespace

int VideoSystemReady() { return StartVideo() == 0 ? 1 : 0; }

namespace {

// Black bars around a frame placed inside the surface: a resized window's old pixels must not
// show beside it.
void ClearAround(SDL_Surface* surface, const Rect& d)
{
    const uint32_t black = SDL_MapRGB(surface->format, 0, 0, 0);
    const SDL_Rect bars[4] = {{0, 0, surface->w, d.top},
                              {0, d.bottom, surface->w, surface->h - d.bottom},
                              {0, d.top, d.left, d.bottom - d.top},
                              {d.right, d.top, surface->w - d.right, d.bottom - d.top}};
    for (const SDL_Rect& bar : bars)
        if (bar.w > 0 && bar.h > 0) SDL_FillRect(surface, &bar, black);
}

// Copies (or scales) the frame onto the surface; the layouts may differ.
void CopyFrame(SDL_Surface* surface, const FramePixels& frame, const Rect& source, const Rect& destination)
{
    if (destination.left > 0 || destination.top > 0 || destination.right < surface->w ||
        destination.bottom < surface->h)
        ClearAround(surface, destination);
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
        return;
    }
    SDL_Surface* wrapped = WrapFrame(frame);
    if (wrapped == nullptr) return;
    SDL_SetSurfaceBlendMode(wrapped, SDL_BLENDMODE_NONE);
    if (unscaled)
        SDL_BlitSurface(wrapped, &src, surface, &dst);
    else
        SDL_BlitScaled(wrapped, &src, surface, &dst);
    SDL_FreeSurface(wrapped);
}

// A window made for GL has no surface of its own: the frame goes through a streaming
// texture of SDL's renderer there (only when the device could not be made on it after all).
struct TexturePresenter {
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int width, height;
};
TexturePresenter Streaming;

void ReleaseStreaming()
{
    if (Streaming.texture) SDL_DestroyTexture(Streaming.texture);
    if (Streaming.renderer) SDL_DestroyRenderer(Streaming.renderer);
    Streaming = TexturePresenter{};
}

int PresentThroughTexture(SDL_Window* sdl, const FramePixels& frame, const Rect& source, const Rect& destination)
{
    if (Streaming.window != sdl) {
        ReleaseStreaming();
        // SDL's renderer makes its own context: not the core profile the device asked for.
        SDL_GL_ResetAttributes();
        Streaming.renderer = SDL_CreateRenderer(sdl, -1, 0);
        if (Streaming.renderer == nullptr) return -1;
        Streaming.window = sdl;
    }
    if (Streaming.texture == nullptr || Streaming.width != frame.width || Streaming.height != frame.height) {
        if (Streaming.texture) SDL_DestroyTexture(Streaming.texture);
        Streaming.texture = SDL_CreateTexture(Streaming.renderer, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING,
                                              frame.width, frame.height);
        if (Streaming.texture == nullptr) return -1;
        Streaming.width = frame.width;
        Streaming.height = frame.height;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(Streaming.texture, nullptr, &pixels, &pitch) != 0) return -1;
    SDL_Surface* locked =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels, frame.width, frame.height, 32, pitch, SDL_PIXELFORMAT_XRGB8888);
    if (locked != nullptr) {
        CopyFrame(locked, frame, Rect{0, 0, frame.width, frame.height}, Rect{0, 0, frame.width, frame.height});
        SDL_FreeSurface(locked);
    }
    SDL_UnlockTexture(Streaming.texture);
    const SDL_Rect src = ToSdl(source), dst = ToSdl(destination);
    SDL_SetRenderDrawColor(Streaming.renderer, 0, 0, 0, 255);
    SDL_RenderClear(Streaming.renderer);
    SDL_RenderCopy(Streaming.renderer, Streaming.texture, &src, &dst);
    SDL_RenderPresent(Streaming.renderer);
    return 0;
}

}  // namespace

int PresentFrameToWindow(WindowHandle window, const FramePixels& frame, const Rect& source, const Rect& destination)
{
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr) return -1;
    if (SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL) {
        if (frame.bits == 16) {
            FramePixels shown{};
            if (WidenFrame(frame, &shown) != 0) return -1;
            return PresentThroughTexture(sdl, shown, source, destination);
        }
        return PresentThroughTexture(sdl, frame, source, destination);
    }
    // The window's own pixel buffer (shared memory with the X server), not a texture of a 3D
    // renderer that SDL would otherwise load for the window surface.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // SDL makes the surface anew, freeing the old rows, when the window's size has changed:
    // the borrower copies them back first. A frame that lived in them is not shown this time
    // (its pixels are elsewhere now); the next present shows it.
    const bool lentHere = Lent.pixels != nullptr && Lent.window == sdl;
    const bool frameInLentRows = lentHere && frame.pixels == Lent.pixels;
    if (lentHere) {
        int width = 0, height = 0;
        SDL_GetWindowSize(sdl, &width, &height);
        if (width != Lent.surface->w || height != Lent.surface->h) {
            TakeBackLentRows(1);
            return frameInLentRows ? -1 : PresentFrameToWindow(window, frame, source, destination);
        }
    }
    SDL_Surface* surface = SDL_GetWindowSurface(sdl);
    if (lentHere && (surface != Lent.surface || surface == nullptr || surface->pixels != Lent.pixels)) {
        TakeBackLentRows(0);  // made anew all the same: the rows are gone
        if (frameInLentRows) return -1;
    }
    if (surface == nullptr) return -1;
    if (frameInLentRows) return SDL_UpdateWindowSurface(sdl) == 0 ? 0 : -1;  // drawn in place
    const bool is565 =
        frame.bits == 16 && frame.redMask == 0xF800 && frame.greenMask == 0x07E0 && frame.blueMask == 0x001F;
    if (is565 && surface->format->BytesPerPixel == 4) {
        FramePixels shown{};
        if (WidenFrame(frame, &shown) != 0) return -1;
        CopyFrame(surface, shown, source, destination);
    } else {
        CopyFrame(surface, frame, source, destination);
    }
    return SDL_UpdateWindowSurface(sdl) == 0 ? 0 : -1;
}

namespace {

// A window of the device path shows what its context draws and its surface is not to be
// taken: before the context has drawn, the window system's own background is made black.
int ClearGlWindowBlack(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info)) return -1;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11) {
        Display* display = info.info.x11.display;
        XSetWindowBackground(display, info.info.x11.window, BlackPixel(display, DefaultScreen(display)));
        XClearWindow(display, info.info.x11.window);
        XFlush(display);
        return 0;
    }
#endif
    return -1;
}

}  // namespace

int FillWindowBlack(WindowHandle window)
{
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr) return -1;
    if (SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL) return ClearGlWindowBlack(sdl);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Surface* surface = SDL_GetWindowSurface(sdl);
    if (surface == nullptr) return -1;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    return SDL_UpdateWindowSurface(sdl) == 0 ? 0 : -1;
}

uint8_t* LendWindowRows(WindowHandle window, const FramePixels& layout, TakeBackFrame takeBack)
{
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr || Lent.pixels != nullptr) return nullptr;
    SDL_Surface* surface = SDL_GetWindowSurface(sdl);
    if (surface == nullptr || SDL_MUSTLOCK(surface) || !SameLayout(surface, layout) || surface->w != layout.width ||
        surface->h != layout.height || surface->pitch != layout.pitch)
        return nullptr;
    Lent = LentRowsRecord{sdl, surface, static_cast<uint8_t*>(surface->pixels), takeBack};
    return Lent.pixels;
}

void ReturnWindowRows() { Lent = LentRowsRecord{}; }

void TakeBackRowsOfWindow(SDL_Window* window)
{
    if (Lent.pixels != nullptr && Lent.window == window) TakeBackLentRows(1);
}

void ReleasePresentBuffers()
{
    ReleaseStreaming();
    SDL_FreeSurface(Wide.surface);
    Wide.surface = nullptr;
}

int64_t DisplayRefreshPeriod()
{
    SDL_DisplayMode mode{};
    int rate = 60;
    if (VideoStarted() && SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) rate = mode.refresh_rate;
    return 1000000000 / rate;
}

void WaitForDisplayRefresh()
{
    sched_yield();
    const int64_t period = DisplayRefreshPeriod();
    const int64_t next = (MonotonicNanoseconds() / period + 1) * period;
    timespec until{time_t(next / 1000000000), long(next % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
}

int EnterFullscreenMode(WindowHandle window, int32_t width, int32_t height, int32_t bits, int32_t refreshRate)
{
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr) return -1;
    const int count = SDL_GetNumDisplayModes(0);
    bool sizeOffered = false;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w != width || mode.h != height) continue;
        sizeOffered = true;
        if (int(SDL_BYTESPERPIXEL(mode.format)) * 8 != bits) continue;
        if (refreshRate != 0 && mode.refresh_rate != refreshRate) continue;
        if (SDL_SetWindowDisplayMode(sdl, &mode) != 0) return -1;
        if (SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN) != 0) return -1;
        PostDisplayChange();
        return 0;
    }
    // Many desktops offer no mode changes at all: the full-screen styles have already put the
    // window borderless and topmost at the origin at the screen's size, and that is where the
    // frame goes. A size the display does offer, only not at this depth or rate, is refused.
    if (sizeOffered) return -1;
    PostDisplayChange();
    return 0;
}

int LeaveFullscreenMode(WindowHandle window)
{
    PlatformWindow* record = WindowRecord(window);
    if (record == nullptr) return -1;
    if (SDL_SetWindowFullscreen(record->sdl, 0) != 0) return -1;
    // The window system ignored the styles and places given while the window covered the
    // display; they take effect now.
    ApplyWindowStylesAndPlace(*record);
    PostDisplayChange();
    return 0;
}

}  // namespace ror
