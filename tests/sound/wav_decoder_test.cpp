// WAV data into decoded sounds: every supported encoding, and damaged or unsupported files
// refused with a log line and nothing kept.
#include "sound_fixture.h"

#include "rorodiv.h"
#include "sound/sound_handles.h"

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
        {"24 bits", WavFile(layout([](WavLayout& l) { l.bits = 24; }), "abc"),
         "対応していないWAVファイルの形式です(形式:1 ビット数:24)"},
        {"zero rate", WavFile(layout([](WavLayout& l) { l.rate = 0; }), "ab"),
         "対応していないサンプリングレートです(0)"},
        {"no channels", WavFile(layout([](WavLayout& l) { l.channels = 0; }), "ab"),
         "対応していないチャンネル数です(0)"},
        {"huge channel count", WavFile(layout([](WavLayout& l) { l.channels = 65535; }), "ab"),
         "対応していないチャンネル数です(65535)"},
        {"block size that does not fit", WavFile(layout([](WavLayout& l) { l.blockAlign = 3; }), "ab"),
         "WAVファイルのフォーマット情報が壊れています"},
        {"data claiming more than the file", WavFile(layout([](WavLayout& l) { l.claimedData = 0x7FFFFFF0; }), "ab"),
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

TEST_F(WavDecoderTest, ATruncatedFileWithAnHonestHeaderIsRefusedAndAMissingFileLogsItsName)
{
    // A data chunk cut after its header claims bytes the file no longer holds.
    const std::string full = Wav16(Sine(1000, 50, 1000));
    const std::string cut = full.substr(0, full.size() - 10);
    EXPECT_EQ(LoadSoundFromMemory(cut.data(), int32_t(cut.size())), -1);
    EXPECT_EQ(LoadSound("missing.wav"), -1);
    EXPECT_NE(Logged().find("サウンドファイル missing.wav を開けませんでした\n"), std::string::npos) << Logged();
}

}  // namespace
