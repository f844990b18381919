// Sounds played on SDL's disk driver: the file it writes holds the mixed output, which must
// carry each play's samples, in order, after the silence before it.
#include "sound_fixture.h"

#include "file/archive_fixture.h"
#include "platform/audio/audio_device.h"
#include "platform/system/clock.h"
#include "rorodiv.h"
#include "sound/sound_device_ops.h"

using namespace ror;

namespace {

constexpr int kRate = 44100;

// A burst that starts at full height, so its first frame marks where it begins.
std::vector<int16_t> Burst(int frames, int amplitude = 8000)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        samples.push_back(int16_t(std::lround(amplitude * std::cos(2 * M_PI * i / 100.0))));
    return samples;
}

class SoundOutputTest : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        ASSERT_EQ(SoundStart(), 0);
    }

    // The disk driver runs in real time: wait, bounded, for a condition.
    template <typename Condition>
    static bool WaitFor(Condition condition)
    {
        for (int tries = 0; tries < 2000; ++tries) {
            if (condition()) return true;
            SystemSleep(5);
        }
        return false;
    }

    static void WaitForFrames(int64_t frames)
    {
        const int64_t until = AudioFramesMixed() + frames;
        EXPECT_TRUE(WaitFor([&] { return AudioFramesMixed() >= until; }));
    }

    // The output's stereo samples, after the device has closed.
    std::vector<int16_t> Output()
    {
        EXPECT_EQ(SoundEnd(), 0);
        const std::string bytes = ReadFile(folder / "output.raw");
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
};

// What GetSoundDeviceFormat tells of the device on the disk driver.
void ExpectDeviceFormat(int channels, int sampleType)
{
    int rate = 0, gotChannels = 0, gotType = 0, bufferFrames = 0;
    ASSERT_EQ(GetSoundDeviceFormat(&rate, &gotChannels, &gotType, &bufferFrames), 0);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(gotChannels, channels);
    EXPECT_EQ(gotType, sampleType);
    EXPECT_EQ(bufferFrames, 1024);
}

size_t Onset(const std::vector<int16_t>& stereo)
{
    for (size_t i = 0; i < stereo.size(); ++i)
        if (stereo[i] != 0) return i & ~size_t(1);
    return stereo.size();
}

// What a mono source sounds like at `rate` with a volume and a pan, as 44100 Hz stereo.
std::vector<int16_t> Expected(const std::vector<int16_t>& source, int rate, int volume, int pan)
{
    const double gain = volume / 255.0;
    const double left = pan > 0 ? gain * (255 - pan) / 255.0 : gain;
    const double right = pan < 0 ? gain * (255 + pan) / 255.0 : gain;
    std::vector<int16_t> out;
    for (double at = 0; at < double(source.size()); at += double(rate) / kRate) {
        const size_t index = size_t(at);
        const size_t next = std::min(index + 1, source.size() - 1);
        const double value = source[index] + (source[next] - source[index]) * (at - double(index));
        out.push_back(int16_t(std::lround(value * left)));
        out.push_back(int16_t(std::lround(value * right)));
    }
    return out;
}

TEST_F(SoundOutputTest, OncePannedQuieterAndAtAnotherRateFromWavOggAndAnArchive)
{
    const std::vector<int16_t> burst = Burst(2205);
    WriteFile("burst.wav", Wav16(burst));
    WriteFile("burst.ogg", OggFile(burst, 1, kRate));
    const std::vector<uint8_t> archive = MakeArchive(FolderNode("", {FileNode("burst.wav", Wav16(burst))}));
    WriteFile("sounds.zaz", std::string(archive.begin(), archive.end()));
    struct Case {
        const char* path;
        int volume, pan, frequency;
        int tolerance;
        int resampling = SOUND_RESAMPLING_LINEAR;  // the output is compared with linear interpolation
    };
    const Case cases[] = {
        {"burst.wav", 255, 0, 0, 1},   {"sounds/burst.wav", 255, 0, 0, 1}, {"burst.ogg", 255, 0, 0, 600},
        {"burst.wav", 255, 200, 0, 1}, {"burst.wav", 128, 0, 0, 1},        {"burst.wav", 255, 0, 33075, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " volume " + std::to_string(c.volume) + " pan " + std::to_string(c.pan) +
                     " frequency " + std::to_string(c.frequency));
        if (CurrentAudioDriver() == nullptr) {
            ASSERT_EQ(SoundStart(), 0);
        }
        const int handle = LoadSound(c.path);
        ASSERT_GE(handle, 0) << Logged();
        ASSERT_EQ(SetSoundVolume(handle, c.volume), 0);
        ASSERT_EQ(SetSoundPan(handle, c.pan), 0);
        ASSERT_EQ(SetSoundFrequency(handle, c.frequency), 0);
        ASSERT_EQ(SetSoundResampling(c.resampling), 0);
        WaitForFrames(2048);
        ASSERT_EQ(PlaySound(handle, SOUND_PLAY_WAIT), 0);
        EXPECT_EQ(IsSoundPlaying(handle), 0) << "waited until it ended";
        WaitForFrames(2048);
        const std::vector<int16_t> out = Output();
        const std::vector<int16_t> expected = Expected(burst, c.frequency ? c.frequency : kRate, c.volume, c.pan);
        const size_t onset = Onset(out);
        ASSERT_GE(out.size(), onset + expected.size() + 2048);
        EXPECT_GE(onset, 2 * 2048u) << "silence before the play";
        int worst = 0;
        for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(out[onset + i] - expected[i]));
        EXPECT_LE(worst, c.tolerance);
        EXPECT_TRUE(std::all_of(out.begin() + long(onset + expected.size()), out.end(), [](int16_t s) {
            return s == 0;
        })) << "silence after the play";
    }
}

TEST_F(SoundOutputTest, TheDeviceTellsTheFormatItRunsWith)
{
    ExpectDeviceFormat(2, SOUND_SAMPLE_SIGNED_16);
    int bufferFrames = 0;
    EXPECT_EQ(GetSoundDeviceFormat(nullptr, nullptr, nullptr, &bufferFrames), 0) << "null pointers are skipped";
    EXPECT_EQ(bufferFrames, 1024);
    ASSERT_EQ(SoundEnd(), 0);
    int rate = 7;
    EXPECT_EQ(GetSoundDeviceFormat(&rate, nullptr, nullptr, nullptr), -1) << "no device";
    EXPECT_EQ(rate, 7);
}

TEST_F(SoundOutputTest, ALoopRepeatsUntilStoppedAndIsSilentFromTheNextBufferOn)
{
    const std::vector<int16_t> burst = Burst(300);
    WriteFile("loop.wav", Wav16(burst));
    const int handle = LoadSound("loop.wav");
    ASSERT_GE(handle, 0);
    WaitForFrames(2048);
    // Holding the output's lock, no buffer is mixed between reading the count and the play
    // or the stop: the play starts with the next buffer, and the stop ends it there.
    LockAudioOutput();
    const int64_t atPlay = AudioFramesMixed();
    const int played = PlaySound(handle, SOUND_PLAY_LOOP);
    UnlockAudioOutput();
    ASSERT_EQ(played, 0);
    WaitForFrames(4096);
    LockAudioOutput();
    const int64_t atStop = AudioFramesMixed();
    const int stopped = StopSound(handle);
    UnlockAudioOutput();
    ASSERT_EQ(stopped, 0);
    EXPECT_EQ(IsSoundPlaying(handle), 0);
    WaitForFrames(2048);
    const std::vector<int16_t> out = Output();
    const size_t onset = Onset(out);
    const size_t loopFrames = size_t(atStop - atPlay);
    ASSERT_GE(loopFrames, 4096u);
    ASSERT_GT(out.size(), onset + 2 * loopFrames);
    for (size_t frame = 0; frame < loopFrames; ++frame) {
        ASSERT_EQ(out[onset + 2 * frame], burst[frame % 300]) << frame;
        ASSERT_EQ(out[onset + 2 * frame + 1], burst[frame % 300]) << frame;
    }
    EXPECT_TRUE(std::all_of(out.begin() + long(onset + 2 * loopFrames), out.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(SoundOutputTest, AStreamPlaysOnWithoutGapsWhileTheFrameLoopNeverPumps)
{
    // Three seconds, twice as long as a stream's ring, every frame different from the one
    // before and none silent: a gap, a repeat or a late start shows.
    std::vector<int16_t> piece;
    for (int i = 0; i < 3 * kRate; ++i) piece.push_back(int16_t(1000 + (i * 7) % 20000));
    WriteFile("long.wav", Wav16(piece));
    WaitForFrames(2048);
    LockAudioOutput();
    const int64_t atPlay = AudioFramesMixed();
    const int played = PlayMusic("long.wav", 0);
    UnlockAudioOutput();
    ASSERT_EQ(played, 0) << Logged();
    // A busy game: frames of 100 ms that never pump messages while the piece plays.
    for (int frame = 0; frame < 60 && IsMusicPlaying() == 1; ++frame) SystemSleep(100);
    EXPECT_EQ(IsMusicPlaying(), 0) << "the piece reached its end";
    EXPECT_EQ(GetSoundUnderrunCount(), 0);
    const std::vector<int16_t> out = Output();
    const size_t onset = Onset(out);
    EXPECT_GE(int64_t(onset / 2), atPlay);
    EXPECT_LE(int64_t(onset / 2), atPlay + 1024) << "the piece starts within a buffer of the device";
    ASSERT_GE(out.size(), onset + 2 * piece.size());
    size_t wrong = 0;
    for (size_t i = 0; i < piece.size(); ++i)
        wrong += out[onset + 2 * i] != piece[i] || out[onset + 2 * i + 1] != piece[i];
    EXPECT_EQ(wrong, 0u) << "frames not as in the piece";
}

TEST_F(SoundOutputTest, AnEightBitMonoOutputGetsTheMixFoldedAndNarrowed)
{
    ASSERT_EQ(SoundEnd(), 0);
    static SoundDeviceOps ops = PlatformSoundDeviceOps;
    ops.readCapabilities = [](AudioCapabilities* capabilities) {
        *capabilities = {kAudioPrimaryMono | kAudioPrimary8Bit, 8000, 44100, 0, 0};
        return 0;
    };
    SoundState.ops = &ops;
    ASSERT_EQ(SoundStart(), 0);
    ExpectDeviceFormat(1, SOUND_SAMPLE_UNSIGNED_8);
    // Left and right differ: the output holds their mean, as unsigned 8 bits.
    std::vector<int16_t> frames;
    for (int i = 0; i < 3000; ++i) {
        frames.push_back(int16_t(i % 2 ? 8000 : -8000));
        frames.push_back(int16_t(i % 2 ? 4000 : -4000));
    }
    WriteFile("stereo.wav", Wav16(frames, 2));
    const int handle = LoadSound("stereo.wav");
    ASSERT_GE(handle, 0);
    WaitForFrames(2048);
    ASSERT_EQ(PlaySound(handle, SOUND_PLAY_WAIT), 0);
    WaitForFrames(2048);
    ASSERT_EQ(SoundEnd(), 0);
    const std::string out = ReadFile(folder / "output.raw");
    const size_t onset = out.find_first_not_of('\x80');
    ASSERT_LT(onset + 3000, out.size());
    for (size_t i = 0; i < 3000; ++i)
        ASSERT_EQ(uint8_t(out[onset + i]), i % 2 ? (6000 >> 8) + 128 : (-6000 >> 8) + 128) << i;
    EXPECT_EQ(out.find_first_not_of('\x80', onset + 3000), std::string::npos);
}

}  // namespace
