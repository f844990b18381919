// The software path's row work against memset/memcpy, pixman and SDL2, in one run.
// Every case moves the pixels of one 800 x 600 32-bit frame (the fills also of 1920 x 1080 and
// 2560 x 1440, where the frame no longer stays in the caches); compare items per second.
#include "graphics/blend_tables.h"
#include "graphics/draw_shapes.h"
#include "graphics/draw_state.h"
#include "graphics/software/memimg.h"
#include "graphics/software/memimg_blit.h"
#include "graphics/screen_mode.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <random>
#include <vector>

using namespace ror;

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int64_t kPixels = int64_t(kWidth) * kHeight;

struct Frame {
    MEMIMG screen{};
    explicit Frame(int width = kWidth, int height = kHeight)
    {
        ScreenSettings.width = width;
        ScreenSettings.height = height;
        ScreenSettings.colorBits = 32;
        ScreenSettings.graphicsReady = 1;
        BuildBlendTables();
        CreateMemImg(&screen, width, height, -1, 0, 1, 0, 0, 0, nullptr);
        SoftScreen.screen = screen;
        SoftScreen.target = &SoftScreen.screen;
        DrawState.drawArea = PixelRect{0, 0, width, height};
        DrawState.drawAreaEmpty = 0;
        DrawState.brightness[0] = DrawState.brightness[1] = DrawState.brightness[2] = 255;
        DrawState.blendMode = 0;
        DrawState.blendParam = 0;
        FillMemImg(&screen, nullptr, 0xFF204060);
    }
    ~Frame()
    {
        SoftScreen.target = nullptr;
        ReleaseMemImg(&screen);
        ScreenSettings.graphicsReady = 0;
    }
    uint32_t* Bits() const { return reinterpret_cast<uint32_t*>(screen.pixels); }
    int Pitch() const { return screen.base->pitch; }
};

// A sprite-like alpha image: opaque discs with soft edges on a transparent field.
void FillSpriteAlpha(const MEMIMG& image, bool randomAlpha)
{
    std::mt19937 rng(42);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(MemImgRow(&image, y));
        for (int x = 0; x < image.width; ++x) {
            uint32_t a;
            if (randomAlpha) {
                a = rng() & 0xFF;
            } else {
                const int cx = (x % 100) - 50, cy = (y % 100) - 50;
                const int d2 = cx * cx + cy * cy;
                a = d2 < 30 * 30 ? 255 : d2 < 40 * 40 ? uint32_t(255 - (d2 - 900) * 255 / 700) : 0;
            }
            row[x] = (a << 24) | (rng() & 0xFFFFFF);
        }
    }
}

// pixman wants premultiplied colour; the same pixels, premultiplied.
std::vector<uint32_t> Premultiplied(const MEMIMG& image)
{
    std::vector<uint32_t> out(size_t(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(MemImgRow(&image, y));
        for (int x = 0; x < image.width; ++x) {
            const uint32_t v = row[x], a = v >> 24;
            const uint32_t r = ((v >> 16) & 0xFF) * a / 255, g = ((v >> 8) & 0xFF) * a / 255, b = (v & 0xFF) * a / 255;
            out[size_t(y) * image.width + x] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return out;
}

// ---- Opaque box fill, at 800 x 600, 1920 x 1080 and 2560 x 1440 ----
// SDL_FillRect stores with non-temporal (streaming) instructions, which bypass the caches: a
// loss while the frame fits in them, a gain once it no longer does.

void FillSizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"w", "h"})->Args({kWidth, kHeight})->Args({1920, 1080})->Args({2560, 1440});
}

void BM_FillBox_Ours(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    Frame f(w, h);
    const PixelRect all{0, 0, w, h};
    for (auto _ : state) {
        PaintBoxMemImg(&f.screen, &all, 0xFF112233);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_FillBox_Ours)->Apply(FillSizes);

void BM_FillBox_Memset(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    Frame f(w, h);
    for (auto _ : state) {
        std::memset(f.Bits(), 0x5A, size_t(w) * size_t(h) * 4);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_FillBox_Memset)->Apply(FillSizes);

void BM_FillBox_Pixman(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    Frame f(w, h);
    for (auto _ : state) {
        pixman_fill(f.Bits(), f.Pitch() / 4, 32, 0, 0, w, h, 0xFF112233);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_FillBox_Pixman)->Apply(FillSizes);

void BM_FillBox_SdlFillRect(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    Frame f(w, h);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(f.Bits(), w, h, 32, f.Pitch(), SDL_PIXELFORMAT_ARGB8888);
    for (auto _ : state) {
        SDL_FillRect(s, nullptr, 0xFF112233);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(s);
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_FillBox_SdlFillRect)->Apply(FillSizes);

// ---- Alpha-blended box (mode 1, parameter 128) ----

void BM_AlphaBox_Ours(benchmark::State& state)
{
    Frame f;
    DrawState.blendMode = 1;
    DrawState.blendParam = 128;
    const PixelRect all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        PaintBoxMemImg(&f.screen, &all, 0xFF336699);
        benchmark::ClobberMemory();
    }
    DrawState.blendMode = 0;
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_AlphaBox_Ours);

void BM_AlphaBox_PixmanOver(benchmark::State& state)
{
    Frame f;
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, f.Bits(), f.Pitch());
    const pixman_color_t colour{0x3333 / 2, 0x6666 / 2, 0x9999 / 2, 0x8080};
    pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, solid, nullptr, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(solid);
    pixman_image_unref(dst);
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_AlphaBox_PixmanOver);

// ---- Alpha image drawn with transparency (the OVER case) ----

void AlphaImageOurs(benchmark::State& state, bool randomAlpha, bool withRuns)
{
    Frame f;
    MEMIMG src{};
    CreateMemImg(&src, kWidth, kHeight, -1, 0, 1, 0, 1, 1, nullptr);
    FillSpriteAlpha(src, randomAlpha);
    if (withRuns) BuildRunTable(src.base);
    for (auto _ : state) {
        PutImageMemImg(&f.screen, &src, 0, 0, 1, nullptr);
        benchmark::ClobberMemory();
    }
    ReleaseMemImg(&src);
    state.SetItemsProcessed(state.iterations() * kPixels);
}

void AlphaImagePixman(benchmark::State& state, bool randomAlpha)
{
    Frame f;
    MEMIMG src{};
    CreateMemImg(&src, kWidth, kHeight, -1, 0, 1, 0, 1, 0, nullptr);
    FillSpriteAlpha(src, randomAlpha);
    std::vector<uint32_t> pre = Premultiplied(src);
    ReleaseMemImg(&src);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, f.Bits(), f.Pitch());
    pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, pre.data(), kWidth * 4);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(s);
    pixman_image_unref(dst);
    state.SetItemsProcessed(state.iterations() * kPixels);
}

void BM_AlphaImageSprite_Ours(benchmark::State& state) { AlphaImageOurs(state, false, true); }
void BM_AlphaImageSprite_OursNoRuns(benchmark::State& state) { AlphaImageOurs(state, false, false); }
void BM_AlphaImageSprite_PixmanOver(benchmark::State& state) { AlphaImagePixman(state, false); }
void BM_AlphaImageRandom_Ours(benchmark::State& state) { AlphaImageOurs(state, true, false); }
void BM_AlphaImageRandom_PixmanOver(benchmark::State& state) { AlphaImagePixman(state, true); }
BENCHMARK(BM_AlphaImageSprite_Ours);
BENCHMARK(BM_AlphaImageSprite_OursNoRuns);
BENCHMARK(BM_AlphaImageSprite_PixmanOver);
BENCHMARK(BM_AlphaImageRandom_Ours);
BENCHMARK(BM_AlphaImageRandom_PixmanOver);

// ---- Opaque image without transparency ----

void BM_OpaqueImage_Ours(benchmark::State& state)
{
    Frame f;
    MEMIMG src{};
    CreateMemImg(&src, kWidth, kHeight, -1, 0, 1, 0, 0, 0, nullptr);
    FillMemImg(&src, nullptr, 0xFF445566);
    for (auto _ : state) {
        PutImageMemImg(&f.screen, &src, 0, 0, 0, nullptr);
        benchmark::ClobberMemory();
    }
    ReleaseMemImg(&src);
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_OpaqueImage_Ours);

void BM_OpaqueImage_Memcpy(benchmark::State& state)
{
    Frame f;
    std::vector<uint32_t> src(size_t(kPixels), 0xFF445566);
    for (auto _ : state) {
        std::memcpy(f.Bits(), src.data(), size_t(kPixels) * 4);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_OpaqueImage_Memcpy);

void BM_OpaqueImage_SdlBlit(benchmark::State& state)
{
    Frame f;
    std::vector<uint32_t> pixels(size_t(kPixels), 0xFF445566);
    SDL_Surface* src =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kWidth, kHeight, 32, kWidth * 4, SDL_PIXELFORMAT_XRGB8888);
    SDL_Surface* dst =
        SDL_CreateRGBSurfaceWithFormatFrom(f.Bits(), kWidth, kHeight, 32, f.Pitch(), SDL_PIXELFORMAT_XRGB8888);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    for (auto _ : state) {
        SDL_BlitSurface(src, nullptr, dst, nullptr);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_OpaqueImage_SdlBlit);

void BM_OpaqueImage_PixmanSrc(benchmark::State& state)
{
    Frame f;
    std::vector<uint32_t> pixels(size_t(kPixels), 0xFF445566);
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, pixels.data(), kWidth * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, f.Bits(), f.Pitch());
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_OpaqueImage_PixmanSrc);

// ---- One frame of the game's field ----
// Clear, 96 cell fills and every cell edge as a 3-pixel band (the worst case: each cell its own
// country): the drawing alone. The whole frame with the window is GameFrame (game_bench.cpp).

void BM_FieldFrame(benchmark::State& state)
{
    Frame f;
    constexpr int kCell = 50, kLeft = 16, kTop = 16;
    for (auto _ : state) {
        FillMemImg(&f.screen, nullptr, 0xFF000000);
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 12; ++col)
                DrawRect(kLeft + col * kCell, kTop + row * kCell, kLeft + (col + 1) * kCell, kTop + (row + 1) * kCell,
                         (row + col) % 3 == 0 ? 0xFF0000FFu : 0xFF800000u, 1);
        for (int row = 0; row <= 8; ++row)
            DrawSegment(kLeft, kTop + row * kCell, kLeft + 12 * kCell, kTop + row * kCell, 0xFFFFFFFF, 3);
        for (int col = 0; col <= 12; ++col)
            DrawSegment(kLeft + col * kCell, kTop, kLeft + col * kCell, kTop + 8 * kCell, 0xFFFFFFFF, 3);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FieldFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
