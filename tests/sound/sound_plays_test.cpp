// Plays as things of their own: each play's volume, pan, rate, pause, stop, fade and time
// limit, what stealing and ends do to its state, and the end notices of the message pump.
#include "sound_fixture.h"

#include <utility>

#include "core/handles.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"
#include "sound/sound_plays.h"

using namespace ror;

namespace {

class SoundPlaysTest : public HandMixedSoundTest {
protected:
    void TearDown() override
    {
        SetPlayEndCallback(nullptr, nullptr);
        SetMusicEndCallback(nullptr, nullptr);
        HandMixedSoundTest::TearDown();
    }
};

const std::vector<int16_t> kClick = {1000, -2000, 3000, -4000, 5000, 6000, -7000, 8000};

std::vector<int16_t> Ramp(int frames, int from = 100)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) samples.push_back(int16_t(from + i));
    return samples;
}

TEST_F(SoundPlaysTest, TwoPlaysOfOneSoundPanVolumeAndRateApart)
{
    const int handle = Load(Wav16(kClick));
    ASSERT_EQ(SetSoundResampling(SOUND_RESAMPLING_LINEAR), 0);
    const int left = StartSound(handle, SOUND_PLAY_LOOP);
    const int right = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_GE(left, 0);
    ASSERT_GE(right, 0);
    EXPECT_NE(left, right);
    EXPECT_EQ(left & 0x78000000, int32_t(HandleKind::Play) << 27);
    ASSERT_EQ(SetPlayPan(left, -255), 0);
    ASSERT_EQ(SetPlayPan(right, 255), 0);
    ASSERT_EQ(SetPlayVolume(right, 128), 0);
    const std::vector<int16_t> out = Mix(8);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(out[2 * i], kClick[i]) << "only the left play on the left";
        EXPECT_NEAR(out[2 * i + 1], kClick[i] * 128 / 255.0, 1.0) << "the right play, quieter";
    }
    EXPECT_EQ(ResolveSound(handle)->volume, 255) << "a play's setting leaves the sound's";

    // At half the rate one play's frames last two (the linear setting, which both plays
    // took at their start): the other keeps its own rate.
    ASSERT_EQ(StopPlay(right), 0);
    ASSERT_EQ(SetPlayFrequency(left, 22050), 0);
    const std::vector<int16_t> slow = Channel(Mix(4), 0);
    EXPECT_EQ(slow[0], kClick[0]);
    EXPECT_NEAR(slow[1], (kClick[0] + kClick[1]) / 2.0, 1.0);
    EXPECT_EQ(slow[2], kClick[1]);
    ASSERT_EQ(SetPlayFrequency(left, 0), 0);
    ASSERT_EQ(StopPlay(left), 0);

    // A new play starts with the sound's settings; the sound's settings reach every play.
    ASSERT_EQ(SetSoundPan(handle, 255), 0);
    const int third = StartSound(handle, SOUND_PLAY_BACK);
    ASSERT_GE(third, 0);
    ASSERT_EQ(SetPlayPan(third, 0), 0);
    ASSERT_EQ(SetSoundVolume(handle, 0), 0);
    EXPECT_TRUE(Channel(Mix(8), 1) == std::vector<int16_t>(8, 0)) << "the sound's volume reached the play";
    EXPECT_EQ(DeleteSound(handle), 0);
}

TEST_F(SoundPlaysTest, PauseResumeFadeTimeLimitAndStopEachOnePlay)
{
    const std::vector<int16_t> ramp = Ramp(2000);
    const int handle = Load(Wav16(ramp));
    const int play = StartSound(handle, SOUND_PLAY_LOOP);
    const int other = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_EQ(SetPlayVolume(other, 0), 0);
    EXPECT_EQ(Channel(Mix(10), 0), std::vector<int16_t>(ramp.begin(), ramp.begin() + 10));

    ASSERT_EQ(PausePlay(play), 0);
    EXPECT_EQ(GetPlayState(play), PLAY_STATE_PAUSED);
    EXPECT_EQ(GetPlayState(other), PLAY_STATE_PLAYING);
    EXPECT_EQ(Channel(Mix(50), 0), std::vector<int16_t>(50, 0));
    ASSERT_EQ(ResumePlay(play), 0);
    EXPECT_EQ(GetPlayState(play), PLAY_STATE_PLAYING);
    EXPECT_EQ(Channel(Mix(1), 0)[0], ramp[10]) << "goes on where it paused";

    // 1 ms at 44100 Hz: 44 frames, then the play ends by itself.
    ASSERT_EQ(SetPlayTimeLimit(play, 1), 0);
    const std::vector<int16_t> limited = Channel(Mix(60), 0);
    EXPECT_EQ(limited[43], ramp[11 + 43]);
    EXPECT_EQ(limited[44], 0);
    EXPECT_EQ(GetPlayState(play), PLAY_STATE_ENDED);
    EXPECT_EQ(GetPlayState(other), PLAY_STATE_PLAYING) << "the other play has no limit";

    // A limit taken away again: the loop goes on.
    const int unlimited = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_EQ(SetPlayTimeLimit(unlimited, 1), 0);
    ASSERT_EQ(SetPlayTimeLimit(unlimited, -1), 0);
    Mix(100);
    EXPECT_EQ(GetPlayState(unlimited), PLAY_STATE_PLAYING);
    ASSERT_EQ(SetPlayTimeLimit(unlimited, 0), 0);
    EXPECT_EQ(GetPlayState(unlimited), PLAY_STATE_ENDED) << "0 ends it at once";

    // 10 ms (441 frames) down to 0: about half way at the middle, then the play ends.
    const int faded = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_EQ(FadePlay(faded, 10, 0), 0);
    const std::vector<int16_t> fade = Channel(Mix(500), 0);
    EXPECT_NEAR(fade[220], ramp[220] * 0.5, 3.0);
    EXPECT_EQ(fade[441], 0);
    EXPECT_EQ(GetPlayState(faded), PLAY_STATE_ENDED);

    // A fade up that does not stop: the play stays at its new level.
    const int up = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_EQ(SetPlayVolume(up, 0), 0);
    ASSERT_EQ(FadePlay(up, 10, 255), 0);
    EXPECT_EQ(Channel(Mix(500), 0)[499], ramp[499]);
    EXPECT_EQ(GetPlayState(up), PLAY_STATE_PLAYING);

    ASSERT_EQ(StopPlay(up), 0);
    EXPECT_EQ(GetPlayState(up), PLAY_STATE_STOPPED);
    EXPECT_EQ(GetPlayState(other), PLAY_STATE_PLAYING);
    ASSERT_EQ(StopSound(handle), 0);
    EXPECT_EQ(GetPlayState(other), PLAY_STATE_STOPPED);
    EXPECT_TRUE(Mix(10) == std::vector<int16_t>(20, 0));

    // An ended play takes every call without effect and keeps how it ended.
    for (int ended : {play, faded, up}) {
        SCOPED_TRACE(ended);
        const int state = GetPlayState(ended);
        EXPECT_EQ(SetPlayVolume(ended, 100), 0);
        EXPECT_EQ(ResumePlay(ended), 0);
        EXPECT_EQ(StopPlay(ended), 0);
        EXPECT_EQ(GetPlayState(ended), state);
    }
    EXPECT_TRUE(Mix(10) == std::vector<int16_t>(20, 0));
    EXPECT_EQ(DeleteSound(handle), 0);
}

TEST_F(SoundPlaysTest, BadPlayHandlesAndValuesAreRefused)
{
    const int handle = Load(Wav16(kClick));
    const int play = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_GE(play, 0);
    const int wrongKind = handle;  // a sound is not a play
    const int outOfRange = MakeHandle(HandleKind::Play, kPlayTableSize, 0);
    const int stale = MakeHandle(HandleKind::Play, HandleIndex(play), ((play >> 16) + 1) & 0x7FF);
    for (int bad : {wrongKind, outOfRange, stale, -1}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(GetPlayState(bad), -1);
        EXPECT_EQ(SetPlayVolume(bad, 10), -1);
        EXPECT_EQ(SetPlayPan(bad, 0), -1);
        EXPECT_EQ(SetPlayFrequency(bad, 0), -1);
        EXPECT_EQ(PausePlay(bad), -1);
        EXPECT_EQ(ResumePlay(bad), -1);
        EXPECT_EQ(StopPlay(bad), -1);
        EXPECT_EQ(FadePlay(bad, 10, 0), -1);
        EXPECT_EQ(SetPlayTimeLimit(bad, 10), -1);
    }
    EXPECT_EQ(StartSound(handle, 3), -1);
    EXPECT_EQ(StartSound(play, SOUND_PLAY_BACK), -1) << "a play is not a sound";
    EXPECT_EQ(SetPlayVolume(play, 256), -1);
    EXPECT_EQ(SetPlayPan(play, 256), -1);
    EXPECT_EQ(SetPlayFrequency(play, 999), -1);
    EXPECT_EQ(FadePlay(play, -1, 0), -1);
    EXPECT_EQ(FadePlay(play, 10, -1), -1);
    EXPECT_EQ(SetPlayTimeLimit(play, -2), -1);
    EXPECT_EQ(Channel(Mix(8), 0), kClick) << "refused values changed nothing";

    // Past a whole round of the table the old record is taken again: its handle is stale.
    ASSERT_EQ(StopSound(handle), 0);
    for (int i = 0; i < kPlayTableSize; ++i) ASSERT_EQ(PlaySound(handle, SOUND_PLAY_BACK), 0);
    EXPECT_EQ(GetPlayState(play), -1);
    EXPECT_EQ(DeleteSound(handle), 0);
}

struct Notice {
    int play;
    int state;
};

TEST_F(SoundPlaysTest, EndsAndStealsReachTheCallbackOnceFromThePumpStep)
{
    static std::vector<Notice> notices;
    static std::vector<int> musicNotices;
    notices.clear();
    musicNotices.clear();
    ASSERT_EQ(SetPlayEndCallback(
                  [](int play, int state, void* data) {
                      EXPECT_EQ(data, &notices);
                      notices.push_back({play, state});
                  },
                  &notices),
              0);
    ASSERT_EQ(SetMusicEndCallback([](int state, void*) { musicNotices.push_back(state); }, nullptr), 0);

    const int once = Load(Wav16(kClick));
    const int looped = Load(Wav16(Ramp(100)));
    const int first = StartSound(once, SOUND_PLAY_BACK);
    Mix(20);
    EXPECT_TRUE(notices.empty()) << "the mixer never calls the game";
    EXPECT_EQ(GetPlayState(first), PLAY_STATE_ENDED);
    StepSoundStreaming();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].play, first);
    EXPECT_EQ(notices[0].state, PLAY_STATE_ENDED);
    StepSoundStreaming();
    EXPECT_EQ(notices.size(), 1u) << "once only";

    // Every voice loops; the next play takes the oldest one, whose play says so.
    notices.clear();
    std::vector<int> loops;
    for (int i = 0; i < kVoiceLimit; ++i) loops.push_back(StartSound(looped, SOUND_PLAY_LOOP));
    const int newest = StartSound(once, SOUND_PLAY_BACK);
    EXPECT_EQ(GetPlayState(loops[0]), PLAY_STATE_STOLEN);
    EXPECT_EQ(GetPlayState(loops[1]), PLAY_STATE_PLAYING);
    ASSERT_EQ(StopPlay(loops[1]), 0);
    Mix(20);
    StepSoundStreaming();
    std::vector<std::pair<int, int>> seen;
    for (const Notice& n : notices) seen.push_back({n.play, n.state});
    std::sort(seen.begin(), seen.end());
    std::vector<std::pair<int, int>> wanted = {{loops[0], PLAY_STATE_STOLEN},
                                               {loops[1], PLAY_STATE_STOPPED},
                                               {newest, PLAY_STATE_ENDED}};
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(seen, wanted);

    // Deleting the sound stops its plays; without a callback the notices are dropped.
    notices.clear();
    ASSERT_EQ(DeleteSound(looped), 0);
    EXPECT_EQ(GetPlayState(loops[2]), PLAY_STATE_STOPPED);
    ASSERT_EQ(SetPlayEndCallback(nullptr, nullptr), 0);
    StepSoundStreaming();
    EXPECT_TRUE(notices.empty());

    // The music: a piece that ends by itself, and one the game stops.
    EXPECT_EQ(GetMusicState(), PLAY_STATE_NONE);
    WriteFile("short.wav", Wav16(Ramp(500)));
    ASSERT_EQ(PlayMusic("short.wav", 0), 0);
    EXPECT_EQ(GetMusicState(), PLAY_STATE_PLAYING);
    ASSERT_EQ(PauseMusic(), 0);
    EXPECT_EQ(GetMusicState(), PLAY_STATE_PAUSED);
    ASSERT_EQ(ResumeMusic(), 0);
    StepSoundStreaming();
    Mix(600);
    EXPECT_TRUE(musicNotices.empty());
    StepSoundStreaming();
    EXPECT_EQ(musicNotices, std::vector<int>{PLAY_STATE_ENDED});
    EXPECT_EQ(GetMusicState(), PLAY_STATE_ENDED);
    ASSERT_EQ(PlayMusic("short.wav", 1), 0);
    ASSERT_EQ(PlayMusic("short.wav", 1), 0);
    StepSoundStreaming();
    EXPECT_EQ(musicNotices, (std::vector<int>{PLAY_STATE_ENDED, PLAY_STATE_STOPPED}))
        << "the next piece stopped the one before";
    EXPECT_EQ(StopMusic(), 0);
    EXPECT_EQ(GetMusicState(), PLAY_STATE_STOPPED);
    EXPECT_EQ(DeleteSound(once), 0);
}

TEST_F(SoundPlaysTest, ACallbackMayStartAPlayAndIsNotEnteredAgain)
{
    static int handle = 0;
    static int calls = 0;
    static int started = 0;
    calls = 0;
    handle = Load(Wav16(kClick));
    ASSERT_EQ(SetPlayEndCallback(
                  [](int, int, void*) {
                      ++calls;
                      StepSoundStreaming();  // as a callback that pumps messages would
                      if (calls == 1) started = StartSound(handle, SOUND_PLAY_BACK);
                  },
                  nullptr),
              0);
    ASSERT_GE(StartSound(handle, SOUND_PLAY_BACK), 0);
    Mix(20);
    StepSoundStreaming();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(GetPlayState(started), PLAY_STATE_PLAYING);
    const std::vector<int16_t> second = Channel(Mix(9), 0);
    EXPECT_EQ(std::vector<int16_t>(second.begin(), second.begin() + 8), kClick);
    StepSoundStreaming();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(DeleteSound(handle), 0);
}

}  // namespace
