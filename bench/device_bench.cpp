// The hardware device path on OpenGL against the software path and against SDL2's own GL
// renderer, in one run, in a real X11 window (run under an X server; under Xvfb the GL is
// Mesa's llvmpipe, a CPU rasteriser, accepted here with ROR_ACCEPT_CPU_GL=1).
//   DeviceGameFrame/path/width: one frame of Vexholm (path 1 = device, 0 = software), with
//     the batch's draws per frame as a counter.
//   DeviceBatchBoxes, SdlRendererBoxes: 16 x 16 filled boxes per second.
//   DeviceBatchSprites, SdlRendererSprites: 32 x 32 textured quads per second.
// Every iteration ends by reading one pixel back, so the work is done, not only queued.
#include "bench_game_field.h"
#include "bench_window.h"
#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"
#include "graphics/device/device_state.h"
#include "graphics/device/vertex_batch.h"
#include "graphics/screen_mode.h"
#include "neighbour_table.h"
#include "platform/gl/gl_device.h"
#include "random/random.h"
#include "rorodiv.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace ror;

namespace {

constexpr int kBoxes = 2000;
constexpr int kSprites = 2000;

double Smallest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void DeviceGameFrame(benchmark::State& state)
{
    const int device = int(state.range(0)), width = int(state.range(1)), height = width == 800 ? 600 : 1080;
    if (!StartLayerInWindow(state, device, width, height)) return;
    SetUpHoveredField();
    const int64_t flushesBefore = VertexBatch.flushes;
    for (auto _ : state) {
        PumpMessages();
        ClearScreen();
        DrawField();
        PresentScreen();
        if (device) SyncDevice();
    }
    if (device)
        state.counters["draws_per_frame"] =
            benchmark::Counter(double(VertexBatch.flushes - flushesBefore) / double(state.iterations()));
    EndMediaLayer();
    SetUseHardware(1);
}
BENCHMARK(DeviceGameFrame)
    ->ArgsProduct({{1, 0}, {800, 1920}})
    ->ArgNames({"device", "width"})
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->ComputeStatistics("min", Smallest);

void DeviceBatchBoxes(benchmark::State& state)
{
    if (!StartLayerInWindow(state, 1, 800, 600)) return;
    const uint32_t colors[2] = {PackColor(200, 40, 40), PackColor(40, 40, 200)};
    for (auto _ : state) {
        for (int i = 0; i < kBoxes; ++i) {
            const int x = (i * 37) % 784, y = (i * 53) % 584;
            DrawRect(x, y, x + 16, y + 16, colors[i & 1], 1);
        }
        FlushBatch();
        SyncDevice();
    }
    state.SetItemsProcessed(state.iterations() * kBoxes);
    EndMediaLayer();
}
BENCHMARK(DeviceBatchBoxes)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", Smallest);

void DeviceBatchSprites(benchmark::State& state)
{
    if (!StartLayerInWindow(state, 1, 800, 600)) return;
    std::vector<uint32_t> texels(32 * 32);
    for (int i = 0; i < 32 * 32; ++i) texels[size_t(i)] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    const int32_t texture = CreateGlTexture(32, 32, GlPixelFormat::Rgba8, 1);
    UpdateGlTexture(texture, GlPixelFormat::Rgba8, 0, 0, 0, 32, 32, texels.data(), 32 * 4);
    for (auto _ : state) {
        for (int i = 0; i < kSprites; ++i) {
            const float x = float((i * 37) % 768) - 0.5f, y = float((i * 53) % 568) - 0.5f;
            auto* v = static_cast<DeviceTexturedVertex*>(ReserveBatch(1, kPrimTriangles, texture, 6));
            const DeviceTexturedVertex corners[4] = {{x, y, 0, 1, 0xFFFFFFFFu, 0, 0},
                                                     {x + 32, y, 0, 1, 0xFFFFFFFFu, 1, 0},
                                                     {x, y + 32, 0, 1, 0xFFFFFFFFu, 0, 1},
                                                     {x + 32, y + 32, 0, 1, 0xFFFFFFFFu, 1, 1}};
            v[0] = corners[0], v[1] = corners[1], v[2] = corners[2];
            v[3] = corners[3], v[4] = corners[2], v[5] = corners[1];
        }
        FlushBatch();
        SyncDevice();
    }
    state.SetItemsProcessed(state.iterations() * kSprites);
    DestroyGlTexture(texture);
    EndMediaLayer();
}
BENCHMARK(DeviceBatchSprites)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", Smallest);

void SdlRendererBoxes(benchmark::State& state)
{
    SdlRendererWindow sdl;
    if (!sdl.Open(state)) return;
    // Two colours alternate as in the batch case: one fill call per run of a colour.
    std::vector<SDL_Rect> rects[2];
    for (int i = 0; i < kBoxes; ++i) rects[i & 1].push_back(SDL_Rect{(i * 37) % 784, (i * 53) % 584, 16, 16});
    for (auto _ : state) {
        SDL_SetRenderDrawColor(sdl.renderer, 200, 40, 40, 255);
        SDL_RenderFillRects(sdl.renderer, rects[0].data(), int(rects[0].size()));
        SDL_SetRenderDrawColor(sdl.renderer, 40, 40, 200, 255);
        SDL_RenderFillRects(sdl.renderer, rects[1].data(), int(rects[1].size()));
        SDL_RenderFlush(sdl.renderer);
        sdl.Sync();
    }
    state.SetItemsProcessed(state.iterations() * kBoxes);
}
BENCHMARK(SdlRendererBoxes)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", Smallest);

void SdlRendererSprites(benchmark::State& state)
{
    SdlRendererWindow sdl;
    if (!sdl.Open(state)) return;
    SDL_Texture* texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 32, 32);
    std::vector<uint32_t> texels(32 * 32);
    for (int i = 0; i < 32 * 32; ++i) texels[size_t(i)] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    SDL_UpdateTexture(texture, nullptr, texels.data(), 32 * 4);
    for (auto _ : state) {
        for (int i = 0; i < kSprites; ++i) {
            const SDL_Rect to{(i * 37) % 768, (i * 53) % 568, 32, 32};
            SDL_RenderCopy(sdl.renderer, texture, nullptr, &to);
        }
        SDL_RenderFlush(sdl.renderer);
        sdl.Sync();
    }
    state.SetItemsProcessed(state.iterations() * kSprites);
    SDL_DestroyTexture(texture);
}
BENCHMARK(SdlRendererSprites)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", Smallest);

}  // namespace
