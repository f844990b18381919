// The mixer, driven by the test in place of the device's callback: what each kind of play
// adds to the output, frame by frame.
#include "sound_fixture.h"

#include "platform/audio/audio_device.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"

using namespace ror;

namespace {

using SoundMixerTest = HandMixedSoundTest;

bool AllZero(const std::vector<int16_t>& samples, size_t from = 0)
{
    for (size_t i = from; i < samples.size(); ++i)
        if (samples[i] != 0) return false;
    return true;
}

TEST_F(SoundMixerTest, OnceLoopedPannedQuieterAndAtAnotherRate)
{
    const std::vector<int16_t> click = {1000, -2000, 3000, -4000, 5000, 6000, -7000, 8000};
    const int handle = Load(Wav16(click));
    const std::vector<int16_t> silence(8, 0);

    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);
    const std::vector<int16_t> once = Mix(16);
    EXPECT_EQ(Channel(once, 0), [&] {
        auto v = click;
        v.insert(v.end(), 8, 0);
        return v;
    }());
    EXPECT_EQ(Channel(once, 1), Channel(once, 0)) << "a mono sound is in both channels";
    EXPECT_EQ(IsSoundPlaying(handle), 0);

    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_LOOP), 0);
    const std::vector<int16_t> looped = Channel(Mix(20), 1);
    for (size_t i = 0; i < looped.size(); ++i) EXPECT_EQ(looped[i], click[i % 8]) << i;
    EXPECT_EQ(IsSoundPlaying(handle), 1);
    ASSERT_EQ(StopSound(handle), 0);

    // Fully right: the left channel is silent; halfway left: the right at half.
    struct PanCase {
        int pan;
        double left, right;
    };
    for (const PanCase& c : {PanCase{255, 0.0, 1.0}, PanCase{-128, 1.0, 127 / 255.0}}) {
        SCOPED_TRACE(c.pan);
        ASSERT_EQ(SetSoundPan(handle, c.pan), 0);
        ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);
        const std::vector<int16_t> out = Mix(8);
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_NEAR(out[2 * i], click[i] * c.left, 1.0);
            EXPECT_NEAR(out[2 * i + 1], click[i] * c.right, 1.0);
        }
    }
    ASSERT_EQ(SetSoundPan(handle, 0), 0);

    ASSERT_EQ(SetSoundVolume(handle, 128), 0);
    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);
    const std::vector<int16_t> half = Channel(Mix(8), 0);
    for (size_t i = 0; i < 8; ++i) EXPECT_NEAR(half[i], click[i] * 128 / 255.0, 1.0);
    ASSERT_EQ(SetSoundVolume(handle, 255), 0);

    // At half the rate each frame lasts two, the second halfway to the next (linear
    // interpolation, as the setting asks).
    ASSERT_EQ(SetSoundResampling(SOUND_RESAMPLING_LINEAR), 0);
    ASSERT_EQ(SetSoundFrequency(handle, 22050), 0);
    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);
    const std::vector<int16_t> slow = Channel(Mix(20), 0);
    for (size_t i = 0; i + 1 < 8; ++i) {
        EXPECT_EQ(slow[2 * i], click[i]);
        EXPECT_NEAR(slow[2 * i + 1], (click[i] + click[i + 1]) / 2.0, 1.0);
    }
    EXPECT_TRUE(AllZero(slow, 16));
    EXPECT_EQ(DeleteSound(handle), 0);
}

TEST_F(SoundMixerTest, VoicesAddAndClipAndStopIsSilentFromTheNextBuffer)
{
    const int loud = Load(Wav16({30000, -30000, 20000, 1000}));
    ASSERT_EQ(PlaySound(loud, SOUND_PLAY_LOOP), 0);
    ASSERT_EQ(PlaySound(loud, SOUND_PLAY_LOOP), 0);
    const std::vector<int16_t> both = Channel(Mix(4), 0);
    EXPECT_EQ(both, (std::vector<int16_t>{32767, -32768, 32767, 2000}));
    ASSERT_EQ(StopSound(loud), 0);
    EXPECT_TRUE(AllZero(Mix(64)));
    EXPECT_EQ(DeleteSound(loud), 0);
}

TEST_F(SoundMixerTest, PlaysShareTheDecodedDataAndTheOldestOncePlayGivesWay)
{
    const int looped = Load(Wav16(std::vector<int16_t>(100, 100)));
    const int once = Load(Wav16(std::vector<int16_t>(100, 1)));
    ASSERT_EQ(PlaySound(looped, SOUND_PLAY_LOOP), 0);
    for (int i = 0; i < kVoiceLimit - 1; ++i) ASSERT_EQ(PlaySound(once, SOUND_PLAY_BACK), 0);
    const int16_t* shared = ResolveSound(once)->samples;
    for (int i = 1; i < kVoiceLimit; ++i) EXPECT_EQ(SoundMixer.voices[i].samples, shared);
    EXPECT_EQ(Mix(1)[0], 100 + (kVoiceLimit - 1));

    // Every voice is busy: the next play takes the place of the oldest one-shot play,
    // never of the loop, which is older.
    const uint32_t oldestOnce = SoundMixer.voices[1].serial;
    ASSERT_EQ(PlaySound(once, SOUND_PLAY_BACK), 0);
    EXPECT_EQ(SoundMixer.voices[0].owner, looped);
    EXPECT_NE(SoundMixer.voices[1].serial, oldestOnce);
    EXPECT_EQ(Mix(1)[0], 100 + (kVoiceLimit - 1));

    // When every voice loops, the oldest loop gives way.
    ASSERT_EQ(StopSound(once), 0);
    for (int i = 0; i < kVoiceLimit - 1; ++i) ASSERT_EQ(PlaySound(looped, SOUND_PLAY_LOOP), 0);
    const uint32_t oldest = SoundMixer.voices[0].serial;
    ASSERT_EQ(PlaySound(once, SOUND_PLAY_BACK), 0);
    EXPECT_EQ(SoundMixer.voices[0].owner, once);
    EXPECT_NE(SoundMixer.voices[0].serial, oldest);
    EXPECT_EQ(DeleteSound(looped), 0);
    EXPECT_EQ(IsSoundPlaying(once), 1);
    EXPECT_EQ(Mix(1)[0], 1) << "deleting a sound stops its plays";
    EXPECT_EQ(DeleteSound(once), 0);
}

TEST_F(SoundMixerTest, PositionStartsPlaysAndMovesThem)
{
    const std::vector<int16_t> ramp = [] {
        std::vector<int16_t> v;
        for (int i = 0; i < 50; ++i) v.push_back(int16_t(i * 10));
        return v;
    }();
    const int handle = Load(Wav16(ramp));
    ASSERT_EQ(SetSoundPosition(handle, 20), 0);
    EXPECT_EQ(GetSoundPosition(handle), 20);
    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);
    EXPECT_EQ(Mix(1)[0], 200);
    EXPECT_EQ(GetSoundPosition(handle), 21);
    ASSERT_EQ(SetSoundPosition(handle, 40), 0);
    EXPECT_EQ(Mix(1)[0], 400);
    EXPECT_EQ(DeleteSound(handle), 0);
}

TEST_F(SoundMixerTest, ALongSoundStreamsAndSoundsLikeItsData)
{
    // Over the threshold: the sound keeps its bytes and decodes while it plays.
    const int frames = int(kStreamThresholdBytes / 4) + 10000;
    std::vector<int16_t> data(size_t(2 * frames));
    for (int i = 0; i < frames; ++i) {
        data[size_t(2 * i)] = int16_t(i % 20000);
        data[size_t(2 * i + 1)] = int16_t(-(i % 20000));
    }
    const int handle = Load(Wav16(data, 2));
    const SoundRecord* sound = ResolveSound(handle);
    ASSERT_EQ(sound->samples, nullptr);
    ASSERT_NE(sound->source.data, nullptr);
    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);
    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);  // a second play has its own stream
    int checked = 0;
    for (int done = 0; done < frames; done += 1000) {
        StepSoundStreaming();
        const std::vector<int16_t> out = Mix(1000);
        for (int i = 0; i < 1000 && done + i < frames; ++i, ++checked) {
            ASSERT_EQ(out[size_t(2 * i)], std::min(32767, 2 * ((done + i) % 20000))) << done + i;
            ASSERT_EQ(out[size_t(2 * i + 1)], std::max(-32768, -2 * ((done + i) % 20000))) << done + i;
        }
    }
    EXPECT_EQ(checked, frames);
    EXPECT_TRUE(AllZero(Mix(10)));
    EXPECT_EQ(IsSoundPlaying(handle), 0);
    StepSoundStreaming();  // closes the ended streams
    EXPECT_EQ(DeleteSound(handle), 0);
}

}  // namespace
