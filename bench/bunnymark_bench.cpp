// "Bunnymark": N textured 32 x 32 sprites with alpha, one texture, each moving and bouncing
// off the window's edges, drawn every frame in an 800 x 600 real X11 window and presented
// (vsync off). Plain (PutGraphic; SDL_RenderCopy) and turned and scaled (PutGraphicQuad, or
// with turned:2 PutGraphicTurned; SDL_RenderCopyExF). The layer on both drawing paths against SDL2's renderer, software and
// accelerated, in one run. Under Xvfb the GL is Mesa's llvmpipe, a CPU rasteriser that draws
// in threads of its own: sprites_per_s counts the wall time, cpu_us_per_1000 only the calling
// thread's CPU time (what the caller pays to hand the sprites over).
//   Bunnymark/path:P/turned:T/count:N     path 1 = device (GL), 0 = software
//   SdlBunnymark/software:S/turned:T/count:N
#include "bench_window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr int kWidth = 800, kHeight = 600, kSide = 32;
// Frames drawn before the clock starts: the first presents make the window's buffers.
constexpr int kWarmUpFrames = 5;

struct Bunny {
    float x, y, vx, vy, angle, spin, scale;
};

// The same herd every run, from a fixed sequence.
std::vector<Bunny> Herd(int count)
{
    std::vector<Bunny> herd(static_cast<size_t>(count));
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1 << 24);
    };
    for (Bunny& b : herd) {
        b.x = next() * (kWidth - kSide);
        b.y = next() * (kHeight - kSide);
        b.vx = next() * 8 - 4;
        b.vy = next() * 8 - 4;
        b.angle = next() * 6.2831853f;
        b.spin = next() * 0.1f - 0.05f;
        b.scale = 0.5f + next();
    }
    return herd;
}

void Move(Bunny& b)
{
    b.x += b.vx;
    b.y += b.vy;
    if (b.x < 0 || b.x > kWidth - kSide) b.vx = -b.vx, b.x = std::clamp(b.x, 0.0f, float(kWidth - kSide));
    if (b.y < 0 || b.y > kHeight - kSide) b.vy = -b.vy, b.y = std::clamp(b.y, 0.0f, float(kHeight - kSide));
    b.angle += b.spin;
}

// The sprite: an opaque disc with a soft edge on a transparent field, in 0xAARRGGBB.
std::vector<uint32_t> SpritePixels()
{
    std::vector<uint32_t> pixels(kSide * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const float dx = x - 15.5f, dy = y - 15.5f, d = std::sqrt(dx * dx + dy * dy);
            const int alpha = std::clamp(int((16.0f - d) * 128.0f), 0, 255);
            pixels[size_t(y * kSide + x)] =
                uint32_t(alpha) << 24 | uint32_t(200 + x) << 16 | uint32_t(120 + y * 3) << 8 | 90u;
        }
    return pixels;
}

// The layer's raw "BGRA" picture of the sprite.
int LoadSprite()
{
    const std::vector<uint32_t> pixels = SpritePixels();
    std::vector<uint8_t> file(16 + pixels.size() * 4);
    const uint32_t header[4] = {0x41524742u, 0x08080808u, uint32_t(kSide), uint32_t(kSide)};
    std::memcpy(file.data(), header, sizeof header);
    std::memcpy(file.data() + 16, pixels.data(), pixels.size() * 4);
    return LoadGraphicFromMemory(file.data(), int32_t(file.size()));
}

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void Report(benchmark::State& state, int count, double cpuSeconds)
{
    const double sprites = double(state.iterations()) * count;
    state.SetItemsProcessed(int64_t(sprites));
    state.counters["sprites_per_s"] = benchmark::Counter(sprites, benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_1000"] = benchmark::Counter(cpuSeconds * 1e6 / (sprites / 1000.0));
}

void Bunnymark(benchmark::State& state)
{
    const int device = int(state.range(0)), turned = int(state.range(1)), count = int(state.range(2));
    if (!StartLayerInWindow(state, device, kWidth, kHeight)) return;
    const int sprite = LoadSprite();
    std::vector<Bunny> herd = Herd(count);
    auto frame = [&] {
        ClearScreen();
        for (Bunny& b : herd) {
            Move(b);
            if (!turned) {
                PutGraphic(int(b.x), int(b.y), sprite, 1);
                continue;
            }
            if (turned == 2) {
                PutGraphicTurned(b.x + 16.0f, b.y + 16.0f, b.scale, b.angle * 57.29578f, sprite, 1, 0);
                continue;
            }
            const float half = 16.0f * b.scale, c = std::cos(b.angle) * half, s = std::sin(b.angle) * half;
            const float cx = b.x + 16.0f, cy = b.y + 16.0f;
            const float corners[4][2] = {{cx - c + s, cy - s - c},
                                         {cx + c + s, cy + s - c},
                                         {cx + c - s, cy + s + c},
                                         {cx - c - s, cy - s + c}};
            PutGraphicQuad(corners, sprite, 1);
        }
        PresentScreen();
        if (device) SyncDevice();
    };
    for (int i = 0; i < kWarmUpFrames; ++i) frame();
    const double cpuBefore = ThreadCpuSeconds();
    for (auto _ : state) frame();
    Report(state, count, ThreadCpuSeconds() - cpuBefore);
    DestroyGraphic(sprite);
    EndMediaLayer();
    SetUseHardware(1);
}
BENCHMARK(Bunnymark)
    ->ArgsProduct({{1, 0}, {0, 1, 2}, {1000, 10000}})
    ->ArgNames({"path", "turned", "count"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void SdlBunnymark(benchmark::State& state)
{
    const bool software = state.range(0) != 0;
    const int turned = int(state.range(1)), count = int(state.range(2));
    SdlRendererWindow sdl;
    if (!sdl.Open(state, software, kWidth, kHeight)) return;
    SDL_Texture* texture =
        SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, kSide, kSide);
    const std::vector<uint32_t> pixels = SpritePixels();
    SDL_UpdateTexture(texture, nullptr, pixels.data(), kSide * 4);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    std::vector<Bunny> herd = Herd(count);
    auto frame = [&] {
        SDL_SetRenderDrawColor(sdl.renderer, 0, 0, 0, 255);
        SDL_RenderClear(sdl.renderer);
        for (Bunny& b : herd) {
            Move(b);
            if (!turned) {
                const SDL_Rect to{int(b.x), int(b.y), kSide, kSide};
                SDL_RenderCopy(sdl.renderer, texture, nullptr, &to);
                continue;
            }
            const float half = 16.0f * b.scale;
            const SDL_FRect to{b.x + 16.0f - half, b.y + 16.0f - half, 2 * half, 2 * half};
            SDL_RenderCopyExF(sdl.renderer, texture, nullptr, &to, double(b.angle) * 57.29578, nullptr, SDL_FLIP_NONE);
        }
        SDL_RenderPresent(sdl.renderer);
        if (!software) sdl.Sync();
    };
    for (int i = 0; i < kWarmUpFrames; ++i) frame();
    const double cpuBefore = ThreadCpuSeconds();
    for (auto _ : state) frame();
    Report(state, count, ThreadCpuSeconds() - cpuBefore);
    SDL_DestroyTexture(texture);
}
BENCHMARK(SdlBunnymark)
    ->ArgsProduct({{1, 0}, {0, 1}, {1000, 10000}})
    ->ArgNames({"software", "turned", "count"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
