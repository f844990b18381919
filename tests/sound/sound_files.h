// Sound files made in the tests and for the fuzzer's seeds: WAV written by hand, Ogg Vorbis
// encoded with libvorbisenc.
#pragma once
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

inline void PutLe16(std::string& out, uint32_t value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

inline void PutLe32(std::string& out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

struct WavLayout {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    int32_t blockAlign = -1;   // -1: channels x bits / 8
    int64_t claimedData = -1;  // -1: the data's own size
};

// A RIFF WAVE file with a "fmt " chunk (16 bytes, or 40 for the extensible tag), a "LIST"
// chunk to skip, and a "data" chunk.
inline std::string WavFile(const WavLayout& layout, const std::string& data)
{
    std::string fmt;
    const uint16_t align =
        layout.blockAlign >= 0 ? uint16_t(layout.blockAlign) : uint16_t(layout.channels * layout.bits / 8);
    PutLe16(fmt, layout.tag);
    PutLe16(fmt, layout.channels);
    PutLe32(fmt, layout.rate);
    PutLe32(fmt, layout.rate * align);
    PutLe16(fmt, align);
    PutLe16(fmt, layout.bits);
    if (layout.tag == 0xFFFE) {
        PutLe16(fmt, 22);
        PutLe16(fmt, layout.bits);
        PutLe32(fmt, 0);
        PutLe16(fmt, 1);  // sub-format PCM
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string body = "WAVE";
    body += "fmt ";
    PutLe32(body, uint32_t(fmt.size()));
    body += fmt;
    body += "LIST";
    PutLe32(body, 3);
    body += std::string("abc\0", 4);  // odd size, padded
    body += "data";
    PutLe32(body, uint32_t(layout.claimedData >= 0 ? layout.claimedData : int64_t(data.size())));
    body += data;
    std::string file = "RIFF";
    PutLe32(file, uint32_t(body.size()));
    return file + body;
}

inline std::string Samples16(const std::vector<int16_t>& samples)
{
    std::string data;
    for (int16_t s : samples) PutLe16(data, uint16_t(s));
    return data;
}

inline std::string Wav16(const std::vector<int16_t>& samples, uint16_t channels = 1, uint32_t rate = 44100)
{
    WavLayout layout;
    layout.channels = channels;
    layout.rate = rate;
    return WavFile(layout, Samples16(samples));
}

// `frames` frames of a sine of `period` frames at `amplitude`, in every channel.
inline std::vector<int16_t> Sine(int frames, double period, double amplitude, int channels = 1)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples.push_back(int16_t(std::lround(amplitude * std::sin(2 * M_PI * i / period))));
    return samples;
}

// Ogg Vorbis at quality 0.6 with the given comments ("NAME=value").
inline std::string OggFile(const std::vector<int16_t>& samples, int channels, int rate,
                           const std::vector<std::string>& comments = {})
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.6f) != 0) {
        vorbis_info_clear(&info);
        return {};
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    for (const std::string& text : comments) vorbis_comment_add(&comment, text.c_str());
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    std::string out;
    ogg_page page;
    ogg_packet header, commentPacket, codePacket;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codePacket);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codePacket);
    while (ogg_stream_flush(&stream, &page) != 0) {
        out.append(reinterpret_cast<char*>(page.header), page.header_len);
        out.append(reinterpret_cast<char*>(page.body), page.body_len);
    }
    const int frames = int(samples.size()) / channels;
    for (int done = 0; done <= frames;) {
        const int count = std::min(1024, frames - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (int i = 0; i < count; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = float(samples[size_t(done + i) * channels + c]) / 32768.0f;
        }
        vorbis_analysis_wrote(&dsp, count);  // 0 marks the end
        done += count > 0 ? count : 1;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    out.append(reinterpret_cast<char*>(page.header), page.header_len);
                    out.append(reinterpret_cast<char*>(page.body), page.body_len);
                }
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) {
        out.append(reinterpret_cast<char*>(page.header), page.header_len);
        out.append(reinterpret_cast<char*>(page.body), page.body_len);
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
