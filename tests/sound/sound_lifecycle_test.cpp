// Sounds and music in a whole run of the layer: played while the window's messages are
// pumped, and all released by shutdown with nothing left in the leak report.
#include "window/media_layer_fixture.h"

#include "sound_files.h"

#include "platform/audio/audio_device.h"
#include "sound/sound_mixer.h"

using namespace ror;

namespace {

using SoundLifecycleTest = MediaLayerTest;

const Lines kLeakReportEmpty = {
    "...",
    "T:Alloc memory dump",
    "T:\tTotal size:0(0.000kb)  Alloc num:0",
};

TEST_F(SoundLifecycleTest, SoundsAndMusicPlayDuringTheRunAndShutdownReleasesThemAll)
{
    ASSERT_EQ(Start(), 0);
    std::ofstream("click.wav", std::ios::binary) << Wav16(Sine(2205, 50, 8000));
    std::ofstream("music.ogg", std::ios::binary) << OggFile(Sine(44100, 100, 5000, 2), 2, 44100);
    const int click = LoadSound("click.wav");
    ASSERT_GE(click, 0);
    const int loop = LoadSound("click.wav");
    ASSERT_EQ(PlaySound(loop, SOUND_PLAY_LOOP), 0);
    ASSERT_EQ(PlayMusic("music.ogg", 1), 0);
    // The wait pumps the window's messages, which also keep the music's ring filled.
    ASSERT_EQ(PlaySound(click, SOUND_PLAY_WAIT), 0);
    EXPECT_EQ(IsSoundPlaying(click), 0);
    EXPECT_EQ(IsSoundPlaying(loop), 1);
    EXPECT_EQ(IsMusicPlaying(), 1);
    LockAudioOutput();  // the mixer thread moves the position
    const auto musicPosition = SoundMixer.voices[kMusicVoice].position;
    UnlockAudioOutput();
    EXPECT_GT(musicPosition, 0u);
    // Shutdown with a loop and the music still playing.
    EXPECT_EQ(EndMediaLayer(), 0);
    EXPECT_TRUE(FollowPattern(LogLines(), kLeakReportEmpty));
    EXPECT_EQ(IsSoundPlaying(click), -1) << "the handles are gone";
    EXPECT_EQ(IsMusicPlaying(), 0);
}

}  // namespace
