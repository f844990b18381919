// Music: one streamed piece in its own voice, with loop points, volume, fades and pauses.
#include "sound_fixture.h"

#include "platform/audio/audio_device.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"

using namespace ror;

namespace {

class MusicTest : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        MixByHand();
    }

    // The left channel of `frames` frames, refilled the way the message pump does.
    static std::vector<int16_t> Mix(int frames)
    {
        std::vector<int16_t> left;
        std::vector<int16_t> out(2 * 500);
        for (int done = 0; done < frames; done += 500) {
            StepSoundStreaming();
            const int count = std::min(500, frames - done);
            MixSounds(out.data(), count);
            for (int i = 0; i < count; ++i) left.push_back(out[size_t(2 * i)]);
        }
        return left;
    }
};

double MeanLoudness(const std::vector<int16_t>& samples, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count; ++i) sum += std::abs(samples[i]);
    return sum / double(count);
}

std::vector<int16_t> Ramp(int frames)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) samples.push_back(int16_t(1000 + i % 1000));
    return samples;
}

TEST_F(MusicTest, APieceLoopsFromItsLoopStartAndTheLastOneEnds)
{
    // 2000 frames of silence, then 2000 of a tone; the loop goes back to the tone only.
    std::vector<int16_t> piece(2000, 0);
    const std::vector<int16_t> tone = Sine(2000, 50, 8000);
    piece.insert(piece.end(), tone.begin(), tone.end());
    WriteFile("piece.ogg", OggFile(piece, 1, 44100, {"LOOPSTART=2000", "LOOPLENGTH=2000"}));
    ASSERT_EQ(PlayMusic("piece.ogg", 1), 0) << Logged();
    EXPECT_EQ(SoundTables.currentMusic & 0x78000000, int32_t(HandleKind::Music) << 27);
    const std::vector<int16_t> out = Mix(12000);
    EXPECT_LT(MeanLoudness(out, 0, 1500), 300) << "the silent opening";
    for (size_t at = 2200; at + 200 < out.size(); at += 200)
        EXPECT_GT(MeanLoudness(out, at, 200), 3000) << "no silence after the loop start, at " << at;
    EXPECT_EQ(IsMusicPlaying(), 1);

    // Another piece replaces it; without a loop it ends by itself.
    WriteFile("short.wav", Wav16(Ramp(1000)));
    ASSERT_EQ(PlayMusic("short.wav", 0), 0);
    EXPECT_EQ(Mix(1000), Ramp(1000));
    Mix(10);
    EXPECT_EQ(IsMusicPlaying(), 0);
    EXPECT_EQ(StopMusic(), 0);
}

TEST_F(MusicTest, VolumePauseAndFades)
{
    WriteFile("ramp.wav", Wav16(Ramp(20000)));
    ASSERT_EQ(SetMusicVolume(128), 0);
    ASSERT_EQ(PlayMusic("ramp.wav", 1), 0);
    std::vector<int16_t> out = Mix(100);
    for (int i = 0; i < 100; ++i) EXPECT_NEAR(out[size_t(i)], (1000 + i) * 128 / 255.0, 1.0);
    ASSERT_EQ(SetMusicVolume(255), 0);

    // Paused: silence, and the piece goes on where it stopped.
    ASSERT_EQ(PauseMusic(), 0);
    EXPECT_EQ(Mix(300), std::vector<int16_t>(300, 0));
    EXPECT_EQ(IsMusicPlaying(), 1);
    ASSERT_EQ(ResumeMusic(), 0);
    EXPECT_EQ(Mix(1)[0], 1100);

    // 10 ms down to 0 (441 frames): halfway at about half, then the piece stops.
    ASSERT_EQ(FadeMusic(10, 0), 0);
    out = Mix(441);
    EXPECT_NEAR(out[220], (1000 + 101 + 220) * 0.5, 20.0);
    Mix(10);
    EXPECT_EQ(IsMusicPlaying(), 0);

    // The next piece starts at the volume set before the fade, and fades in from 0.
    ASSERT_EQ(PlayMusic("ramp.wav", 0), 0);
    EXPECT_EQ(Mix(1)[0], 1000);
    ASSERT_EQ(SetMusicVolume(0), 0);
    ASSERT_EQ(FadeMusic(10, 255), 0);
    out = Mix(500);
    EXPECT_NEAR(out[220], (1000 + 1 + 220) * 0.5, 20.0);
    EXPECT_EQ(out[499], 1000 + 500);
    EXPECT_EQ(IsMusicPlaying(), 1);
}

// Every frame of the piece carries its own number, so the output says where the piece is.
std::vector<int16_t> Numbered(int frames)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) samples.push_back(int16_t(i));
    return samples;
}

TEST_F(MusicTest, PositionAndSeekInFramesAndSecondsFollowThePiece)
{
    WriteFile("numbered.wav", Wav16(Numbered(30000)));
    EXPECT_EQ(GetMusicPosition(), -1) << "no piece";
    EXPECT_EQ(SetMusicPosition(0), -1);
    ASSERT_EQ(PlayMusic("numbered.wav", 0), 0);
    EXPECT_EQ(GetMusicPosition(), 0);
    Mix(1000);
    EXPECT_EQ(GetMusicPosition(), 1000);

    struct Case {
        int64_t frame;  // or -1: by seconds
        double seconds;
        int64_t expected;  // the next frame heard
    };
    for (const Case& c :
         {Case{20000, 0, 20000}, Case{5, 0, 5}, Case{-1, 0.5, 22050}, Case{-1, 0.25, 11025}, Case{0, 0, 0}}) {
        SCOPED_TRACE(c.expected);
        ASSERT_EQ(c.frame >= 0 ? SetMusicPosition(c.frame) : SetMusicPositionSeconds(c.seconds), 0);
        EXPECT_EQ(GetMusicPosition(), c.expected);
        const std::vector<int16_t> out = Mix(600);
        for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], c.expected + int64_t(i)) << i;
        EXPECT_EQ(GetMusicPosition(), c.expected + 600);
        EXPECT_DOUBLE_EQ(GetMusicPositionSeconds(), double(c.expected + 600) / 44100);
    }

    // Paused, the piece moves and goes on from there once resumed.
    ASSERT_EQ(PauseMusic(), 0);
    ASSERT_EQ(SetMusicPosition(29000), 0);
    EXPECT_EQ(Mix(10), std::vector<int16_t>(10, 0));
    ASSERT_EQ(ResumeMusic(), 0);
    EXPECT_EQ(Mix(1)[0], 29000);

    // Out of the piece: refused, and the piece plays on where it was.
    EXPECT_EQ(SetMusicPosition(30001), -1);
    EXPECT_EQ(SetMusicPosition(-1), -1);
    EXPECT_EQ(SetMusicPositionSeconds(-0.5), -1);
    EXPECT_EQ(SetMusicPositionSeconds(1.0), -1);
    EXPECT_EQ(Mix(1)[0], 29001);

    // A looping piece counts within the piece after it turned back.
    ASSERT_EQ(PlayMusic("numbered.wav", 1), 0);
    Mix(30000 + 700);
    EXPECT_EQ(GetMusicPosition(), 700);
    ASSERT_EQ(SetMusicPosition(29990), 0);
    EXPECT_EQ(Mix(20), [] {
        std::vector<int16_t> v = Numbered(30000);
        std::vector<int16_t> wrapped(v.begin() + 29990, v.end());
        wrapped.insert(wrapped.end(), v.begin(), v.begin() + 10);
        return wrapped;
    }());
    EXPECT_EQ(GetMusicPosition(), 10);

    // Once a piece has ended there is nothing to move.
    ASSERT_EQ(PlayMusic("numbered.wav", 0), 0);
    ASSERT_EQ(SetMusicPosition(29900), 0);
    Mix(200);
    EXPECT_EQ(IsMusicPlaying(), 0);
    EXPECT_EQ(SetMusicPosition(0), -1);
    EXPECT_EQ(GetMusicPosition(), -1);
    EXPECT_EQ(GetMusicPositionSeconds(), -1.0);
}

TEST_F(MusicTest, AnOggPieceSeeksToTheSoundItHoldsThere)
{
    // A second of silence, then a second of a tone.
    std::vector<int16_t> piece(44100, 0);
    const std::vector<int16_t> tone = Sine(44100, 50, 8000);
    piece.insert(piece.end(), tone.begin(), tone.end());
    WriteFile("half.ogg", OggFile(piece, 1, 44100));
    ASSERT_EQ(PlayMusic("half.ogg", 0), 0);
    EXPECT_LT(MeanLoudness(Mix(2000), 0, 2000), 300);
    ASSERT_EQ(SetMusicPositionSeconds(1.5), 0);
    EXPECT_EQ(GetMusicPosition(), 66150);
    const std::vector<int16_t> out = Mix(2000);
    EXPECT_GT(MeanLoudness(out, 0, 2000), 3000);
    // The tone's own phase: a frame heard after the seek is the tone's frame there.
    for (int i = 0; i < 2000; i += 97) EXPECT_NEAR(out[size_t(i)], tone[size_t(22050 + i)], 600) << i;
    ASSERT_EQ(SetMusicPosition(100), 0);
    EXPECT_LT(MeanLoudness(Mix(2000), 0, 2000), 300);
}

TEST_F(MusicTest, BadCallsAndMissingFilesFailWithoutTouchingThePieceState)
{
    EXPECT_EQ(PauseMusic(), -1) << "nothing loaded";
    EXPECT_EQ(ResumeMusic(), -1);
    EXPECT_EQ(IsMusicPlaying(), 0);
    EXPECT_EQ(StopMusic(), 0);
    EXPECT_EQ(PlayMusic(nullptr, 0), -1);
    EXPECT_EQ(PlayMusic("missing.ogg", 0), -1);
    EXPECT_NE(Logged().find("サウンドファイル missing.ogg を開けませんでした\n"), std::string::npos);
    WriteFile("junk.ogg", "OggS and then nothing of use");
    EXPECT_EQ(PlayMusic("junk.ogg", 1), -1);
    WavLayout stereo;
    stereo.channels = 2;
    for (const std::string data : {"", "a", "abc"}) {
        SCOPED_TRACE(data.size());
        WriteFile("empty.wav", WavFile(stereo, data));
        EXPECT_EQ(PlayMusic("empty.wav", 1), -1);
    }
    EXPECT_EQ(SoundTables.currentMusic, -1);
    EXPECT_EQ(SetMusicVolume(300), -1);
    EXPECT_EQ(FadeMusic(-1, 10), -1);
    EXPECT_EQ(FadeMusic(10, 256), -1);
}

}  // namespace
