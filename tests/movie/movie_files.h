// Ogg Theora movies made in the tests with libtheora's encoder: bars of known colours over
// the top of the picture and a block whose brightness counts the frames, with a Vorbis tone
// when asked.
#pragma once
#include <ogg/ogg.h>
#include <theora/theoraenc.h>
#include <vorbis/vorbisenc.h>

#include "sound/sound_files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct MovieRecipe {
    int width = 128, height = 64;
    int frames = 10;
    int rate = 10;      // frames per second
    int soundRate = 0;  // 0: no sound track
    double toneHz = 440;
    bool noise = false;  // the bottom quarter noise, so that each frame takes pages of its own
};

// The bars' colours as Y, Cb, Cr, left to right, each a sixteenth of the width... eight of them.
constexpr uint8_t kMovieBars[8][3] = {{235, 128, 128}, {210, 16, 146}, {170, 166, 16}, {145, 54, 34},
                                      {106, 202, 222}, {81, 90, 240},  {41, 240, 110}, {16, 128, 128}};
// The frame-counting block's brightness in frame k.
inline uint8_t MovieCountLevel(int frame) { return uint8_t(16 + (frame * 20) % 220); }

// 0xRRGGBB of a Y, Cb, Cr sample by the studio-range conversion.
inline uint32_t MovieSampleRgb(int y, int cb, int cr)
{
    const double c = 1.164383 * (y - 16), d = cb - 128.0, e = cr - 128.0;
    auto clamp = [](double v) { return uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
    return clamp(c + 1.596027 * e) << 16 | clamp(c - 0.391762 * d - 0.812968 * e) << 8 | clamp(c + 2.017232 * d);
}

namespace movie_files {

struct TimedPage {
    double time;
    std::string bytes;
};

inline std::string PageBytes(const ogg_page& page)
{
    return std::string(reinterpret_cast<const char*>(page.header), size_t(page.header_len)) +
           std::string(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
}

// The pages of a sine as Ogg Vorbis: its header pages into `headers` (the first page, then
// the rest), its sound pages into `pages`.
inline void ToneTrack(const MovieRecipe& recipe, double seconds, std::vector<std::string>* headers,
                      std::vector<TimedPage>* pages)
{
    const std::string file =
        OggFile(Sine(int(seconds * recipe.soundRate), recipe.soundRate / recipe.toneHz, 16000), 1, recipe.soundRate);
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, long(file.size()));
    std::memcpy(buffer, file.data(), file.size());
    ogg_sync_wrote(&sync, long(file.size()));
    ogg_page page;
    std::string rest;
    while (ogg_sync_pageout(&sync, &page) == 1) {
        const int64_t granule = ogg_page_granulepos(&page);
        if (ogg_page_bos(&page))
            headers->push_back(PageBytes(page));
        else if (granule == 0)
            rest += PageBytes(page);
        else
            pages->push_back({double(granule) / recipe.soundRate, PageBytes(page)});
    }
    headers->push_back(rest);
    ogg_sync_clear(&sync);
}

}  // namespace movie_files

// The movie as the bytes of an Ogg file.
inline std::string TheoraMovie(const MovieRecipe& recipe)
{
    using namespace movie_files;
    th_info info;
    th_info_init(&info);
    info.frame_width = uint32_t((recipe.width + 15) & ~15);
    info.frame_height = uint32_t((recipe.height + 15) & ~15);
    info.pic_width = uint32_t(recipe.width);
    info.pic_height = uint32_t(recipe.height);
    info.fps_numerator = uint32_t(recipe.rate);
    info.fps_denominator = 1;
    info.pixel_fmt = TH_PF_420;
    info.quality = 63;
    th_enc_ctx* encoder = th_encode_alloc(&info);
    th_comment comment;
    th_comment_init(&comment);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 7);
    ogg_packet packet;
    ogg_page page;
    std::string bos, headerRest;
    for (int n = 0; th_encode_flushheader(encoder, &comment, &packet) > 0; ++n) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_flush(&stream, &page)) (n == 0 ? bos : headerRest) += PageBytes(page);
    }
    std::vector<TimedPage> pages;
    const int w = int(info.frame_width), h = int(info.frame_height);
    std::vector<uint8_t> luma(size_t(w) * h), cb(size_t(w / 2) * (h / 2)), cr(cb.size());
    for (int frame = 0; frame < recipe.frames; ++frame) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int bar = std::min(7, x * 8 / recipe.width);
                const bool counter = y >= recipe.height / 2;
                luma[size_t(y) * w + x] = counter ? MovieCountLevel(frame) : kMovieBars[bar][0];
                if (recipe.noise && y >= recipe.height * 3 / 4)
                    luma[size_t(y) * w + x] =
                        uint8_t((uint32_t(x * 7919 + y * 104729 + frame * 15485863) * 2654435761u) >> 24);
                if (x % 2 == 0 && y % 2 == 0) {
                    cb[size_t(y / 2) * (w / 2) + x / 2] = counter ? 128 : kMovieBars[bar][1];
                    cr[size_t(y / 2) * (w / 2) + x / 2] = counter ? 128 : kMovieBars[bar][2];
                }
            }
        th_ycbcr_buffer planes = {{w, h, w, luma.data()},
                                  {w / 2, h / 2, w / 2, cb.data()},
                                  {w / 2, h / 2, w / 2, cr.data()}};
        th_encode_ycbcr_in(encoder, planes);
        while (th_encode_packetout(encoder, frame == recipe.frames - 1, &packet) > 0) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page))
                pages.push_back({double(frame + 1) / recipe.rate, PageBytes(page)});
        }
    }
    while (ogg_stream_flush(&stream, &page)) pages.push_back({double(recipe.frames) / recipe.rate, PageBytes(page)});
    ogg_stream_clear(&stream);
    th_comment_clear(&comment);
    th_encode_free(encoder);
    th_info_clear(&info);

    std::vector<std::string> toneHeaders;
    if (recipe.soundRate > 0) ToneTrack(recipe, double(recipe.frames) / recipe.rate, &toneHeaders, &pages);
    std::stable_sort(pages.begin(), pages.end(),
                     [](const TimedPage& a, const TimedPage& b) { return a.time < b.time; });
    // The picture track's first page, then the sound's, then the other headers, then the data by time.
    std::string file = bos;
    if (!toneHeaders.empty()) file += toneHeaders[0];
    file += headerRest;
    if (!toneHeaders.empty()) file += toneHeaders[1];
    for (const TimedPage& p : pages) file += p.bytes;
    return file;
}
