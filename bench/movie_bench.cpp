// Movies: decoding and converting 1280 x 720 frames on one core, the layer's way (its
// container reader, libtheora, the SSE2 conversion) against libtheora's own decode with a
// plain conversion; and how far the picture is from the sound after a minute of playback.
#include "bench_window.h"
#include "file/file_access.h"
#include "graphics/graphic_handles.h"
#include "graphics/software/planar_convert.h"
#include "movie/movie_files.h"
#include "movie/movie_file.h"
#include "movie/movies.h"
#include "platform/system/clock.h"
#include "rorodiv.h"

#include <theora/theoradec.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace ror;

namespace {

// Two seconds of 1280 x 720 at 30 frames a second: the bars, a moving counter and a noisy band.
const std::string& HdMovie()
{
    static const std::string movie =
        TheoraMovie({.width = 1280, .height = 720, .frames = 60, .rate = 30, .noise = true});
    return movie;
}

void BM_MovieDecodeAndConvertLayer(benchmark::State& state)
{
    InstallDefaultStreams();
    const std::string& bytes = HdMovie();
    MemoryStream* memory = OpenMemoryStream(bytes.data(), int32_t(bytes.size()));
    MovieInfo info{};
    MovieFile* file = OpenMovieFile({&kPlainMemoryStreamOps, StreamValue(memory)}, &info);
    if (file == nullptr) {
        state.SkipWithError("the movie did not open");
        return;
    }
    std::vector<uint32_t> pixels(size_t(info.width) * info.height);
    PlanarPicture picture{};
    for (auto _ : state) {
        if (ReadMovieFrame(file, &picture) != 1) {
            RewindMovieFile(file);
            ReadMovieFrame(file, &picture);
        }
        ConvertPlanarRows(picture, 0, picture.height, pixels.data(), picture.width);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations());
    CloseMovieFile(file);
    CloseMemoryStream(StreamValue(memory));
}

// libtheora driven directly over packets taken out of the file beforehand, and each pixel
// converted with the studio-range formula in floating point.
void BM_MovieDecodeAndConvertTheoraPlain(benchmark::State& state)
{
    const std::string& bytes = HdMovie();
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, long(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer);
    ogg_sync_wrote(&sync, long(bytes.size()));
    ogg_stream_state stream;
    ogg_stream_init(&stream, 7);
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1)
        if (ogg_page_serialno(&page) == 7) ogg_stream_pagein(&stream, &page);
    std::vector<std::vector<unsigned char>> packets;
    ogg_packet packet;
    while (ogg_stream_packetout(&stream, &packet) == 1)
        packets.emplace_back(packet.packet, packet.packet + packet.bytes);
    th_info info;
    th_comment comment;
    th_setup_info* setup = nullptr;
    th_info_init(&info);
    th_comment_init(&comment);
    size_t next = 0;
    for (; next < packets.size(); ++next) {
        ogg_packet header{packets[next].data(), long(packets[next].size()), next == 0, 0, 0, ogg_int64_t(next)};
        if (th_decode_headerin(&info, &comment, &setup, &header) <= 0) break;
    }
    th_dec_ctx* decoder = th_decode_alloc(&info, setup);
    const size_t firstData = next;
    const int width = int(info.pic_width), height = int(info.pic_height);
    std::vector<uint32_t> pixels(size_t(width) * height);
    auto clamp = [](float v) { return uint32_t(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
    for (auto _ : state) {
        if (next == packets.size()) {
            th_decode_free(decoder);
            decoder = th_decode_alloc(&info, setup);
            next = firstData;
        }
        ogg_packet data{packets[next].data(), long(packets[next].size()), 0, 0, -1, ogg_int64_t(next)};
        ++next;
        th_decode_packetin(decoder, &data, nullptr);
        th_ycbcr_buffer planes;
        th_decode_ycbcr_out(decoder, planes);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const float c = 1.164383f * (planes[0].data[y * planes[0].stride + x] - 16);
                const float d = planes[1].data[(y / 2) * planes[1].stride + x / 2] - 128.0f;
                const float e = planes[2].data[(y / 2) * planes[2].stride + x / 2] - 128.0f;
                pixels[size_t(y) * width + x] = 0xFF000000u | clamp(c + 1.596027f * e) << 16 |
                                                clamp(c - 0.391762f * d - 0.812968f * e) << 8 |
                                                clamp(c + 2.017232f * d);
            }
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations());
    th_decode_free(decoder);
    th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
    ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
}

// A minute of a small movie with its sound, drawn every frame on the software path: at the
// end, the distance between the frame shown and the sound's position, in frames.
void BM_MoviePlaybackDriftAfterAMinute(benchmark::State& state)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "ror_bench_drift.ogv";
    std::ofstream(path, std::ios::binary)
        << TheoraMovie({.width = 64, .height = 32, .frames = 1900, .rate = 30, .soundRate = 22050});
    if (!StartLayerInWindow(state, 0, 320, 240)) return;
    const int movie = LoadMovieGraphic(path.c_str());
    if (movie == -1) {
        state.SkipWithError("the movie did not load");
        EndMediaLayer();
        return;
    }
    MovieRecord* record = &MovieState.movies[ResolveGraphic(movie)->movie];
    double driftFrames = 0, shownBehindFrames = 0;
    for (auto _ : state) {
        StartMovie(movie);
        while (GetMovieTime(movie) < 60000 && PumpMessages() == 0) {
            ClearScreen();
            PutGraphicStretched(0, 0, 320, 160, movie, 0);
            PresentScreen();
            SystemSleep(5);
        }
        PumpMessages();
        const double soundFrames = double(GetSoundPosition(record->sound)) / record->soundRate * 30.0;
        driftFrames = std::fabs(soundFrames - double(record->shownFrame));
        shownBehindFrames = soundFrames - double(record->shownFrame);
        PauseMovie(movie);
    }
    state.counters["drift_frames"] = driftFrames;
    state.counters["behind_frames"] = shownBehindFrames;
    DestroyGraphic(movie);
    EndMediaLayer();
    std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(BM_MovieDecodeAndConvertLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieDecodeAndConvertTheoraPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoviePlaybackDriftAfterAMinute)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
