// What the benchmarks in a real X11 window share: the layer started on one drawing path, and
// SDL2's own renderer in a window of the same size as the peer.
#pragma once
#include "graphics/device/device_state.h"
#include "graphics/screen_mode.h"
#include "platform/gl/gl_device.h"
#include "rorodiv.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

// The layer in a width x height window on the device path (1, the GL; llvmpipe accepted) or
// the software path (0), vsync off, drawing into the back screen; false, with the reason, when
// that path does not come up.
inline bool StartLayerInWindow(benchmark::State& state, int device, int width, int height)
{
    if (std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("needs an X server");
        return false;
    }
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ROR_ACCEPT_CPU_GL", "1", 1);
    SetWindowTitle("Vexholm device benchmark");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetScreenMode(width, height, 32, 60);
    SetUseHardware(device);
    SetWaitVsync(0);
    if (InitMediaLayer() != 0) {
        state.SkipWithError("the layer did not start");
        return false;
    }
    if (ror::ScreenSettings.hardwarePath != device) {
        EndMediaLayer();
        state.SkipWithError("the device path did not come up");
        return false;
    }
    SetWaitVsync(0);
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    return true;
}

// Waits until the device has drawn what it was given: one pixel read back.
inline void SyncDevice()
{
    uint32_t pixel = 0;
    ror::ReadGlSurface(ror::DeviceState.backBuffer, ror::Rect{0, 0, 1, 1}, &pixel, 4);
}

// SDL2's renderer on its OpenGL driver (accelerated) or its software one, vsync off.
struct SdlRendererWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    bool Open(benchmark::State& state, bool software = false, int width = 800, int height = 600)
    {
        if (std::getenv("DISPLAY") == nullptr) {
            state.SkipWithError("needs an X server");
            return false;
        }
        setenv("SDL_VIDEODRIVER", "x11", 1);
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, software ? "software" : "opengl");
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        // Under load Xvfb now and then refuses a new connection ("x11 not available"): ask again.
        int started = SDL_InitSubSystem(SDL_INIT_VIDEO);
        for (int attempt = 0; started != 0 && attempt < 5; ++attempt) {
            SDL_Delay(200);
            started = SDL_InitSubSystem(SDL_INIT_VIDEO);
        }
        if (started != 0) {
            state.SkipWithError(SDL_GetError());
            return false;
        }
        window = SDL_CreateWindow("SDL renderer benchmark", 0, 0, width, height, software ? 0 : SDL_WINDOW_OPENGL);
        renderer = window ? SDL_CreateRenderer(window, -1, software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED)
                          : nullptr;
        if (renderer == nullptr) {
            state.SkipWithError(software ? "no software SDL renderer" : "no accelerated SDL renderer");
            return false;
        }
        return true;
    }
    void Sync() const
    {
        uint32_t pixel = 0;
        SDL_Rect one{0, 0, 1, 1};
        SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    }
    ~SdlRendererWindow()
    {
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};
