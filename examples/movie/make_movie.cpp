// Makes the movie example's "opening.ogv" with libtheora's and libvorbis's encoders: five
// seconds of a drifting colour field with a ball bouncing across it, and a rising tone.
//   make_movie OUT.ogv
#include <ogg/ogg.h>
#include <theora/theoraenc.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 320, kHeight = 180, kRate = 30, kFrames = 150, kSoundRate = 22050;
// Theora codes whole blocks of 16 x 16: the frame is padded below the picture.
constexpr int kFrameHeight = (kHeight + 15) / 16 * 16;

struct Writer {
    FILE* out;
    // Pages of both tracks go out as their times come, the earlier first.
    void Put(const ogg_page& page)
    {
        std::fwrite(page.header, 1, size_t(page.header_len), out);
        std::fwrite(page.body, 1, size_t(page.body_len), out);
    }
};

// One frame's planes: a colour field moving with time, and a bright ball.
void PaintFrame(int frame, std::vector<unsigned char>* y, std::vector<unsigned char>* u, std::vector<unsigned char>* v)
{
    const double t = double(frame) / kRate;
    const double ballX = kWidth / 2 + std::sin(t * 2.1) * 120, ballY = kHeight / 2 + std::cos(t * 3.3) * 60;
    for (int row = 0; row < kHeight; ++row)
        for (int col = 0; col < kWidth; ++col) {
            const double dx = col - ballX, dy = row - ballY;
            const bool ball = dx * dx + dy * dy < 24 * 24;
            (*y)[size_t(row) * kWidth + col] = ball ? 230 : (unsigned char)(60 + 40 * std::sin(col * 0.03 + t));
            if (row % 2 == 0 && col % 2 == 0) {
                const size_t at = size_t(row / 2) * (kWidth / 2) + col / 2;
                (*u)[at] = ball ? 128 : (unsigned char)(128 + 60 * std::sin(row * 0.02 + t * 1.3));
                (*v)[at] = ball ? 128 : (unsigned char)(128 + 60 * std::cos(col * 0.015 - t * 0.7));
            }
        }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_movie OUT.ogv\n");
        return 2;
    }
    Writer writer{std::fopen(argv[1], "wb")};
    if (writer.out == nullptr) return 1;

    th_info picture;
    th_info_init(&picture);
    picture.frame_width = picture.pic_width = kWidth;
    picture.frame_height = kFrameHeight;
    picture.pic_height = kHeight;
    picture.fps_numerator = kRate;
    picture.fps_denominator = 1;
    picture.pixel_fmt = TH_PF_420;
    picture.quality = 48;
    th_enc_ctx* encoder = th_encode_alloc(&picture);
    if (encoder == nullptr) {
        std::fprintf(stderr, "make_movie: the encoder refused the picture's settings\n");
        return 1;
    }
    vorbis_info sound;
    vorbis_info_init(&sound);
    vorbis_encode_init_vbr(&sound, 1, kSoundRate, 0.3f);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &sound);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state pictures, tones;
    ogg_stream_init(&pictures, 101);
    ogg_stream_init(&tones, 102);

    // Headers: each track's first page, then the rest of both.
    th_comment comment;
    th_comment_init(&comment);
    vorbis_comment soundComment;
    vorbis_comment_init(&soundComment);
    ogg_packet packet, second, third;
    ogg_page page;
    th_encode_flushheader(encoder, &comment, &packet);
    ogg_stream_packetin(&pictures, &packet);
    while (ogg_stream_flush(&pictures, &page)) writer.Put(page);
    vorbis_analysis_headerout(&dsp, &soundComment, &packet, &second, &third);
    ogg_stream_packetin(&tones, &packet);
    while (ogg_stream_flush(&tones, &page)) writer.Put(page);
    while (th_encode_flushheader(encoder, &comment, &packet) > 0) ogg_stream_packetin(&pictures, &packet);
    while (ogg_stream_flush(&pictures, &page)) writer.Put(page);
    ogg_stream_packetin(&tones, &second);
    ogg_stream_packetin(&tones, &third);
    while (ogg_stream_flush(&tones, &page)) writer.Put(page);

    std::vector<unsigned char> y(kWidth * kFrameHeight), u(kWidth * kFrameHeight / 4), v(kWidth * kFrameHeight / 4);
    const int soundPerFrame = kSoundRate / kRate;
    for (int frame = 0; frame < kFrames; ++frame) {
        // A frame's worth of the tone, its pitch rising over the movie.
        float** buffer = vorbis_analysis_buffer(&dsp, soundPerFrame);
        for (int i = 0; i < soundPerFrame; ++i) {
            const double t = double(frame * soundPerFrame + i) / kSoundRate;
            buffer[0][i] = float(0.25 * std::sin(2 * M_PI * (220 + 40 * t) * t));
        }
        vorbis_analysis_wrote(&dsp, soundPerFrame);
        if (frame == kFrames - 1) vorbis_analysis_wrote(&dsp, 0);
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) ogg_stream_packetin(&tones, &packet);
        }
        PaintFrame(frame, &y, &u, &v);
        th_ycbcr_buffer planes = {{kWidth, kFrameHeight, kWidth, y.data()},
                                  {kWidth / 2, kFrameHeight / 2, kWidth / 2, u.data()},
                                  {kWidth / 2, kFrameHeight / 2, kWidth / 2, v.data()}};
        th_encode_ycbcr_in(encoder, planes);
        while (th_encode_packetout(encoder, frame == kFrames - 1, &packet) > 0) ogg_stream_packetin(&pictures, &packet);
        // Both tracks' finished pages, a frame at a time, keep them close together in the file.
        while (ogg_stream_pageout(&tones, &page)) writer.Put(page);
        while (ogg_stream_pageout(&pictures, &page)) writer.Put(page);
    }
    while (ogg_stream_flush(&tones, &page)) writer.Put(page);
    while (ogg_stream_flush(&pictures, &page)) writer.Put(page);

    ogg_stream_clear(&pictures);
    ogg_stream_clear(&tones);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&soundComment);
    vorbis_info_clear(&sound);
    th_comment_clear(&comment);
    th_encode_free(encoder);
    th_info_clear(&picture);
    return std::fclose(writer.out) == 0 ? 0 : 1;
}
