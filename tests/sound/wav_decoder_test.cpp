// WAV data into decoded sounds: every supported encoding, and damaged or unsupported files
// refused with a log line and nothing kept.
#include "sound_fixture.h"

#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "core/last_failure.h"

using namespace ror;

namespace {

class WavDecoderTest : public SoundFixture {
protected:
    // The decoded frames of a sound loaded from `bytes`, or an empty list when refused.
    std::vector<int16_t> Decoded(const std::string& bytes, int32_t* channels = nullptr, int32_t* rate = nullptr)
    {
        const int handle = LoadSoundFromMemory(bytes.data(), int32_t(bytes.size()));
        if (handle < 0) return {};
        const SoundRecord* sound = ResolveSound(handle);
        EXPECT_NE(sound, nullptr);
        std::vector<int16_t> samples(sound->samples, sound->samples + sound->format.frames * sound->format.channels);
        if (channels) *channels = sound->format.channels;
        if (rate) *rate = sound->format.rate;
        EXPECT_EQ(DeleteSound(handle), 0);
        return samples;
    }
};

int Count(const std::string& text, const std::string& line)
{
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
    return count;
}

std::string FloatSamples(std::initializer_list<float> values)
{
    std::string data;
    for (float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        PutLe32(data, bits);
    }
    return data;
}

TEST_F(WavDecoderTest, EveryEncodingDecodesToSigned16BitFrames)
{
    WavLayout pcm8;
    pcm8.bits = 8;
    pcm8.rate = 8000;
    WavLayout stereo16;
    stereo16.channels = 2;
    stereo16.rate = 22050;
    WavLayout float32;
    float32.tag = 3;
    float32.bits = 32;
    WavLayout extensible;
    extensible.tag = 0xFFFE;
    extensible.channels = 2;
    WavLayout pcm24;
    pcm24.bits = 24;
    WavLayout stereo32;
    stereo32.bits = 32;
    stereo32.channels = 2;
    WavLayout extensible24 = pcm24;
    extensible24.tag = 0xFFFE;
    const float nan = std::nanf("");
    struct Case {
        const char* name;
        WavLayout layout;
        std::string data;
        std::vector<int16_t> expected;
    };
    const Case cases[] = {
        {"8-bit unsigned", pcm8, std::string("\x80\xFF\x00\xC0", 4), {0, 127 << 8, -32768, 64 << 8}},
        {"16-bit stereo", stereo16, Samples16({1, -1, 32767, -32768}), {1, -1, 32767, -32768}},
        {"float, clipped, not a number silent",
         float32,
         FloatSamples({0.5f, -1.0f, 2.0f, nan}),
         {16384, -32768, 32767, 0}},
        {"extensible PCM", extensible, Samples16({7, 8}), {7, 8}},
        // Wider samples keep their top 16 bits.
        {"24-bit", pcm24, std::string("\x00\x80\x7F\xFF\xFF\xFF\x00\x00\x80\x34\x12\x00", 12), {32640, -1, -32768, 18}},
        {"32-bit stereo",
         stereo32,
         std::string("\xFF\xFF\xFF\x7F\x00\x00\x00\x80\x78\x56\x34\x12\xFF\xFF\xFF\xFF", 16),
         {32767, -32768, 0x1234, -1}},
        {"extensible 24-bit", extensible24, std::string("\x00\x00\x01\xAA\xFF\xFE", 6), {256, -257}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t channels = 0, rate = 0;
        EXPECT_EQ(Decoded(WavFile(c.layout, c.data), &channels, &rate), c.expected);
        EXPECT_EQ(channels, c.layout.channels);
        EXPECT_EQ(rate, int32_t(c.layout.rate));
    }
}

TEST_F(WavDecoderTest, DamagedOrUnsupportedDataIsRefusedWithALogLine)
{
    const std::string good = Wav16({1, 2, 3, 4});
    auto layout = [](auto change) {
        WavLayout layout;
        change(layout);
        return layout;
    };
    struct Case {
        const char* name;
        std::string bytes;
        const char* line;
    };
    std::string noFormat = "RIFF";
    PutLe32(noFormat, 12);
    noFormat += "WAVEdata";
    PutLe32(noFormat, 0);
    const Case cases[] = {
        {"not a sound", "hello, world", "対応していないサウンドファイルの形式です"},
        {"too short", "RI", "サウンドファイルが短すぎます"},
        {"RIFF of another kind", "RIFF\x04\x00\x00\x00AVI ", "WAVファイルではありません"},
        {"cut in the header", good.substr(0, 30), "WAVファイルのチャンクがファイルの大きさを超えています"},
        {"ADPCM",
         WavFile(layout([](WavLayout& l) {
                     l.tag = 2;
                     l.bits = 4;
                 }),
                 "ab"),
         "対応していないWAVファイルの形式です(形式:2 ビット数:4)"},
        {"20 bits", WavFile(layout([](WavLayout& l) { l.bits = 20; }), "abc"),
         "対応していないWAVファイルの形式です(形式:1 ビット数:20)"},
        {"64-bit float",
         WavFile(layout([](WavLayout& l) {
                     l.tag = 3;
                     l.bits = 64;
                 }),
                 std::string(8, '\0')),
         "対応していないWAVファイルの形式です(形式:3 ビット数:64)"},
        {"zero rate", WavFile(layout([](WavLayout& l) { l.rate = 0; }), "ab"),
         "対応していないサンプリングレートです(0)"},
        {"no channels", WavFile(layout([](WavLayout& l) { l.channels = 0; }), "ab"),
         "対応していないチャンネル数です(0)"},
        {"huge channel count", WavFile(layout([](WavLayout& l) { l.channels = 65535; }), "ab"),
         "対応していないチャンネル数です(65535)"},
        {"block size that does not fit", WavFile(layout([](WavLayout& l) { l.blockAlign = 3; }), "ab"),
         "WAVファイルのフォーマット情報が壊れています"},
        {"format chunk claiming more than the file", good.substr(0, 20) + std::string("\x01\x00", 2),
         "WAVファイルのチャンクがファイルの大きさを超えています"},
        {"data before the format", noFormat, "WAVファイルのフォーマット情報がありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        logged.clear();
        EXPECT_EQ(LoadSoundFromMemory(c.bytes.data(), int32_t(c.bytes.size())), -1);
        EXPECT_NE(Logged().find(std::string(c.line) + "\n"), std::string::npos) << Logged();
        EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
    }
    EXPECT_EQ(LoadSoundFromMemory(nullptr, 4), -1);
    EXPECT_EQ(LoadSoundFromMemory(good.data(), 0), -1);
}

TEST_F(WavDecoderTest, DataWithoutOneWholeFrameIsRefusedFromMemoryAndFiles)
{
    WavLayout stereo;
    stereo.channels = 2;  // four bytes a frame
    for (const std::string data : {"", "a", "abc"}) {
        SCOPED_TRACE(data.size());
        const std::string bytes = WavFile(stereo, data);
        WriteFile("empty.wav", bytes);
        const struct {
            const char* source;
            int result;
        } sources[] = {
            {"memory", LoadSoundFromMemory(bytes.data(), int32_t(bytes.size()))},
            {"file", LoadSound("empty.wav")},
        };
        for (const auto& source : sources) {
            SCOPED_TRACE(source.source);
            EXPECT_EQ(source.result, -1);
        }
        EXPECT_EQ(Count(Logged(), "WAVファイルのデータに1フレーム分もありません\n"), 2) << Logged();
        logged.clear();
        EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
    }
}

// A recording cut off, or never finished (its data size left at a placeholder), plays the
// whole frames the file holds, loaded whole or streamed, with a line saying how many.
TEST_F(WavDecoderTest, CutOrUnfinishedDataPlaysItsWholeFramesWithALogLine)
{
    const std::vector<int16_t> tone = Sine(1000, 50, 1000, 2);
    const std::string full = Wav16(tone, 2);
    const std::vector<int16_t> longTone = Sine(300000, 64, 9000, 2);  // streamed when loaded
    const std::string longFull = Wav16(longTone, 2);
    WavLayout placeholder;
    placeholder.channels = 2;
    struct Case {
        const char* name;
        std::string bytes;
        const std::vector<int16_t>* samples;
        int64_t frames;
    };
    const Case cases[] = {
        {"cut inside a frame", full.substr(0, full.size() - 10), &tone, 997},
        {"cut at a frame's end", full.substr(0, full.size() - 400), &tone, 900},
        {"size left at the largest", (placeholder.claimedData = 0xFFFFFFFF, WavFile(placeholder, Samples16(tone))),
         &tone, 1000},
        {"size left at 2 GB", (placeholder.claimedData = 0x7FFFFFF0, WavFile(placeholder, Samples16(tone))), &tone,
         1000},
        {"long sound cut", longFull.substr(0, longFull.size() - 4 * 1000 - 1), &longTone, 298999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile("cut.wav", c.bytes);
        for (const bool fromFile : {false, true}) {
            SCOPED_TRACE(fromFile ? "file" : "memory");
            logged.clear();
            ClearLastFailure();
            const int handle =
                fromFile ? LoadSound("cut.wav") : LoadSoundFromMemory(c.bytes.data(), int32_t(c.bytes.size()));
            ASSERT_GE(handle, 0) << Logged();
            const SoundRecord* sound = ResolveSound(handle);
            EXPECT_EQ(sound->format.frames, c.frames);
            EXPECT_EQ(sound->format.loopEnd, c.frames);
            if (sound->samples != nullptr) {
                EXPECT_TRUE(std::equal(sound->samples, sound->samples + 2 * c.frames, c.samples->begin()));
            }
            const std::string line = "WAVファイルのデータが途中で終わっています。含まれる " + std::to_string(c.frames) +
                                     " フレームを再生します\n";
            EXPECT_EQ(Count(Logged(), line), 1) << Logged();
            EXPECT_EQ(GetLastFailure(nullptr, 0), FAILURE_NONE) << "a cut file that plays is no failure";
            EXPECT_EQ(DeleteSound(handle), 0);
        }
    }
    // Cut before its first whole frame: nothing to play.
    const std::string stump = full.substr(0, full.size() - 4000 + 3);
    logged.clear();
    EXPECT_EQ(LoadSoundFromMemory(stump.data(), int32_t(stump.size())), -1);
    EXPECT_NE(Logged().find("WAVファイルのデータに1フレーム分もありません\n"), std::string::npos) << Logged();
}

TEST_F(WavDecoderTest, AMissingFileLogsItsName)
{
    EXPECT_EQ(LoadSound("missing.wav"), -1);
    EXPECT_NE(Logged().find("サウンドファイル missing.wav を開けませんでした\n"), std::string::npos) << Logged();
}

}  // namespace
