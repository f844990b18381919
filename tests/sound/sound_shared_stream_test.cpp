// Plays of one streamed sound share its decoded frames: every play still sounds exactly like
// the sound's own frames from where it started, with its own settings, looped or not, also
// where the shared frames end and a play decodes on its own.
#include "sound_fixture.h"

#include "rorodiv.h"
#include "sound/sound_decoder.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"
#include "sound/sound_stream.h"

using namespace ror;

namespace {

// Stereo frames that differ from their neighbours, a little over the streaming threshold.
std::vector<int16_t> LongData(int frames)
{
    std::vector<int16_t> data(size_t(2 * frames));
    for (int i = 0; i < frames; ++i) {
        data[size_t(2 * i)] = int16_t((i * 7) % 20011 - 10000);
        data[size_t(2 * i + 1)] = int16_t(-((i * 13) % 19997) + 9000);
    }
    return data;
}

// Every frame the decoder gives for `bytes`, as a stream would read them from the start.
std::vector<int16_t> DecodeAll(const std::string& bytes)
{
    MemoryStream* memory = OpenMemoryStream(bytes.data(), int32_t(bytes.size()));
    const SoundReader reader{MemoryStreamOps(), reinterpret_cast<StreamValue>(memory)};
    SoundDecoder* decoder = OpenSoundDecoder(reader);
    std::vector<int16_t> all;
    if (decoder != nullptr) {
        std::vector<int16_t> block(2 * 4096);
        for (int32_t got; (got = decoder->ops->read(decoder, block.data(), 4096)) > 0;)
            all.insert(all.end(), block.begin(), block.begin() + 2 * got);
        decoder->ops->close(decoder);
    }
    reader.ops->close(reader.stream);
    return all;
}

class SoundSharedStreamTest : public HandMixedSoundTest {
protected:
    struct Play {
        int64_t start;  // source frame
        bool loop;
        int volume, pan;
    };

    // Starts the plays of `bytes` (streamed) and checks `frames` frames of their mix against
    // what `source` (the decoder's frames) says they are, with the gains the mixer uses.
    void ExpectPlaysSoundLikeTheirFrames(const std::string& bytes, const std::vector<Play>& plays, int frames)
    {
        const std::vector<int16_t> source = DecodeAll(bytes);
        const int64_t length = int64_t(source.size() / 2);
        ASSERT_GT(length, 0);
        const int handle = Load(bytes);
        ASSERT_EQ(ResolveSound(handle)->samples, nullptr) << "it streams";
        for (const Play& play : plays) {
            ASSERT_EQ(SetSoundPosition(handle, play.start), 0);
            const int id = StartSound(handle, play.loop ? SOUND_PLAY_LOOP : SOUND_PLAY_BACK);
            ASSERT_GE(id, 0);
            ASSERT_EQ(SetPlayVolume(id, play.volume), 0);
            ASSERT_EQ(SetPlayPan(id, play.pan), 0);
        }
        int worst = 0;
        int64_t worstAt = -1;
        for (int done = 0; done < frames; done += 1000) {
            StepSoundStreaming();
            const std::vector<int16_t> out = Mix(1000);
            for (int i = 0; i < 1000; ++i) {
                double left = 0, right = 0;
                for (const Play& play : plays) {
                    int64_t at = play.start + done + i;
                    if (at >= length && !play.loop) continue;
                    at %= length;
                    float gainLeft = 0, gainRight = 0;
                    VoiceGains(255, play.pan, &gainLeft, &gainRight);
                    const float level = VoiceLevel(play.volume);
                    left += double(float(source[size_t(2 * at)]) * (gainLeft * level));
                    right += double(float(source[size_t(2 * at + 1)]) * (gainRight * level));
                }
                for (const auto& [got, want] : {std::pair{out[size_t(2 * i)], left}, {out[size_t(2 * i + 1)], right}}) {
                    const int difference = std::abs(int(got) - int(std::lround(std::clamp(want, -32768.0, 32767.0))));
                    if (difference > worst) {
                        worst = difference;
                        worstAt = done + i;
                    }
                }
            }
        }
        EXPECT_LE(worst, 1) << "worst at output frame " << worstAt;
        EXPECT_EQ(GetSoundUnderrunCount(), 0);
        ASSERT_EQ(DeleteSound(handle), 0);
    }
};

constexpr int kLongFrames = int(kStreamThresholdBytes / 4) + 70000;

// Plays at different places of a WAV and an Ogg sound, one looping over the end, with their
// own volumes and pans; the second group shares only two blocks (the budget taken by others)
// so its plays read the rest on their own.
TEST_F(SoundSharedStreamTest, PlaysAtDifferentPlacesSoundLikeTheirOwnFrames)
{
    const std::vector<int16_t> data = LongData(kLongFrames);
    const std::vector<Play> plays = {
        {0, false, 255, 0},
        {20000, false, 128, -200},
        {kLongFrames - 30000, true, 200, 255},  // turns back to the start within the check
        {70000, false, 90, 40},
    };
    SCOPED_TRACE("WAV, shared");
    ExpectPlaysSoundLikeTheirFrames(Wav16(data, 2), plays, 60000);

    // Only two blocks of the budget left for the next sound.
    SoundFormat hog{};
    hog.channels = 2;
    hog.frames = kSharedFramesBudget / 4 - 2 * kSharedBlockFrames;
    SharedFrames* others = OpenSharedFrames(hog);
    ASSERT_NE(others, nullptr);
    {
        SCOPED_TRACE("WAV, two shared blocks");
        ExpectPlaysSoundLikeTheirFrames(Wav16(data, 2), plays, 60000);
    }
    CloseSharedFrames(others);
}

TEST_F(SoundSharedStreamTest, OggPlaysAtDifferentPlacesSoundLikeTheirOwnFrames)
{
    const std::vector<int16_t> music = Sine(kLongFrames, 97.3, 9000, 2);
    const std::string ogg = OggFile(music, 2, 44100);
    ExpectPlaysSoundLikeTheirFrames(ogg,
                                    {{0, false, 255, 0}, {33333, false, 255, 0}, {kLongFrames - 20000, true, 255, 0}},
                                    40000);
}

}  // namespace
