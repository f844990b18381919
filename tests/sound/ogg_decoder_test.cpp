// Ogg Vorbis data into decoded sounds through the layer's streams.
#include "sound_fixture.h"

#include "rorodiv.h"
#include "sound/sound_handles.h"

using namespace ror;

namespace {

using OggDecoderTest = SoundFixture;

// The file with its last page claiming `granule` frames, its checksum made right again.
std::string WithLastGranule(std::string bytes, int64_t granule)
{
    const size_t at = bytes.rfind("OggS");
    auto* header = reinterpret_cast<unsigned char*>(&bytes[at]);
    for (int i = 0; i < 8; ++i) header[6 + i] = static_cast<unsigned char>(uint64_t(granule) >> (8 * i));
    ogg_page page{};
    page.header = header;
    page.header_len = 27 + header[26];
    page.body = header + page.header_len;
    page.body_len = long(bytes.size() - at) - page.header_len;
    ogg_page_checksum_set(&page);
    return bytes;
}

int Load(const std::string& bytes) { return LoadSoundFromMemory(bytes.data(), int32_t(bytes.size())); }

TEST_F(OggDecoderTest, ASineComesBackCloseToWhatWasEncodedInBothChannels)
{
    const std::vector<int16_t> sine = Sine(4410, 100, 10000, 2);
    const int handle = Load(OggFile(sine, 2, 44100));
    ASSERT_GE(handle, 0) << Logged();
    const SoundRecord* sound = ResolveSound(handle);
    ASSERT_NE(sound->samples, nullptr);
    EXPECT_EQ(sound->format.channels, 2);
    EXPECT_EQ(sound->format.rate, 44100);
    ASSERT_EQ(sound->format.frames, 4410);
    int worst = 0;
    for (size_t i = 2 * 200; i < sine.size() - 2 * 200; ++i)
        worst = std::max(worst, std::abs(sound->samples[i] - sine[i]));
    EXPECT_LT(worst, 600) << "lossy, but close";
    EXPECT_EQ(DeleteSound(handle), 0);
}

TEST_F(OggDecoderTest, LoopCommentsBecomeLoopPointsWhenTheyLieInsideThePiece)
{
    const std::vector<int16_t> tone = Sine(8000, 80, 8000);
    struct Case {
        std::vector<std::string> comments;
        int64_t start, end;
    };
    const Case cases[] = {
        {{"LOOPSTART=1000", "LOOPLENGTH=2000"}, 1000, 3000},
        {{"LOOPSTART=1000", "LOOPEND=5000"}, 1000, 5000},
        {{"LOOPSTART=500"}, 500, 8000},
        {{"LOOPSTART=7000", "LOOPLENGTH=5000"}, 0, 8000},  // past the end: ignored
        {{"LOOPSTART=x"}, 0, 8000},
        {{}, 0, 8000},
    };
    for (const Case& c : cases) {
        const int handle = Load(OggFile(tone, 1, 22050, c.comments));
        ASSERT_GE(handle, 0);
        const SoundRecord* sound = ResolveSound(handle);
        EXPECT_EQ(sound->format.loopStart, c.start);
        EXPECT_EQ(sound->format.loopEnd, c.end);
        DeleteSound(handle);
    }
}

TEST_F(OggDecoderTest, DamagedDataIsRefusedWithALogLineOrDecodesWithoutHarm)
{
    const std::string good = OggFile(Sine(20000, 100, 10000), 1, 44100);
    struct Case {
        const char* name;
        std::string bytes;
        const char* line;
    };
    const Case cases[] = {
        {"only the first page", good.substr(0, 60), "Ogg Vorbisファイルを開けませんでした"},
        {"not Vorbis inside", "OggS" + std::string(200, '\0'), "Ogg Vorbisファイルを開けませんでした"},
        {"three channels", OggFile(Sine(1000, 100, 1000, 3), 3, 44100), "対応していないチャンネル数です(3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        logged.clear();
        EXPECT_EQ(Load(c.bytes), -1);
        EXPECT_NE(Logged().find(std::string(c.line) + "\n"), std::string::npos) << Logged();
        EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
    }
    // Bytes flipped inside the audio pages, or the end cut off: whatever comes back is
    // a sound of at most the claimed length, or a refusal.
    // A last page claiming a length far past the data: the length is what the data holds,
    // and nothing is allocated for the claim.
    for (int64_t granule : {int64_t(1'000'000'000), INT64_MAX}) {
        const int claimed = Load(WithLastGranule(good, granule));
        ASSERT_GE(claimed, 0);
        EXPECT_LE(ResolveSound(claimed)->format.frames, 20000 + 1024);
        EXPECT_EQ(DeleteSound(claimed), 0);
    }
    for (size_t at : {good.size() / 3, good.size() / 2, good.size() - 40}) {
        std::string damaged = good;
        for (size_t i = at; i < at + 16 && i < damaged.size(); ++i) damaged[i] = char(damaged[i] ^ 0x5A);
        for (const std::string& bytes : {damaged, good.substr(0, at)}) {
            const int handle = Load(bytes);
            if (handle >= 0) {
                EXPECT_LE(ResolveSound(handle)->format.frames, 20000);
                DeleteSound(handle);
            }
        }
    }
}

}  // namespace
