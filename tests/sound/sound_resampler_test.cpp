// Plays at other rates than the device's: the band-limited filter keeps tones clean where
// linear interpolation folds them back, and a play's frequency still moves its pitch.
#include "sound_fixture.h"

#include <cmath>

#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"

using namespace ror;

namespace {

constexpr int kRate = 44100;

std::vector<int16_t> Tone(int rate, double frequency, int frames, double amplitude = 12000)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        samples.push_back(int16_t(std::lround(amplitude * std::sin(2 * M_PI * frequency * i / rate))));
    return samples;
}

double Energy(const std::vector<double>& samples)
{
    double sum = 0;
    for (double s : samples) sum += s * s;
    return sum;
}

// Half a second of one output channel from frame 2000 on, split into the tone at `frequency`
// (a whole number of cycles fits, so the fit is exact) and everything else. Energy of the
// rest against the energy of the source's tone, in dB; `toneLevel` gets the fitted tone's
// against the source's.
double RestBelowTone(const std::vector<int16_t>& channel, double frequency, double amplitude, double* toneLevel)
{
    std::vector<double> window(channel.begin() + 2000, channel.begin() + 2000 + kRate / 2);
    double a = 0, b = 0;
    for (size_t i = 0; i < window.size(); ++i) {
        a += window[i] * std::cos(2 * M_PI * frequency * double(i) / kRate);
        b += window[i] * std::sin(2 * M_PI * frequency * double(i) / kRate);
    }
    a *= 2.0 / double(window.size());
    b *= 2.0 / double(window.size());
    for (size_t i = 0; i < window.size(); ++i)
        window[i] -= a * std::cos(2 * M_PI * frequency * double(i) / kRate) +
                     b * std::sin(2 * M_PI * frequency * double(i) / kRate);
    const double source = amplitude * amplitude / 2 * double(window.size());
    *toneLevel = 10 * std::log10((a * a + b * b) / 2 * double(window.size()) / source);
    return 10 * std::log10(std::max(Energy(window), 1e-9) / source);
}

class SoundResamplerTest : public HandMixedSoundTest {};

// A tone at each case's source rate, played at the device's 44100 Hz: in-band tones come out
// at their place with nothing else above the stated level; a tone the output cannot hold
// comes out as nothing. Linear interpolation fails the same bounds (images and folds at
// -12 .. -30 dB), which shows the measure sees them.
TEST_F(SoundResamplerTest, TonesComeOutWithoutAliasesAtOtherRatesAndPitches)
{
    struct Case {
        int rate;       // the sound's own
        int frequency;  // the play's rate; 0 for the sound's own
        double tone;    // in the source, Hz
        double heard;   // in the output, Hz; 0: must be gone
        int resampling;
        double restBelow;  // dB: what is not the tone stays under this (filter), or over it (linear)
    };
    const Case cases[] = {
        {22050, 0, 5000, 5000, SOUND_RESAMPLING_FILTERED, -60},
        {22050, 0, 9000, 9000, SOUND_RESAMPLING_FILTERED, -60},
        {48000, 0, 6000, 6000, SOUND_RESAMPLING_FILTERED, -60},
        {48000, 0, 23500, 0, SOUND_RESAMPLING_FILTERED, -50},
        {44100, 66150, 4000, 6000, SOUND_RESAMPLING_FILTERED, -60},
        {44100, 66150, 17000, 0, SOUND_RESAMPLING_FILTERED, -50},
        {22050, 0, 9000, 9000, SOUND_RESAMPLING_LINEAR, -30},
        {48000, 0, 23500, 0, SOUND_RESAMPLING_LINEAR, -30},
        {44100, 66150, 17000, 0, SOUND_RESAMPLING_LINEAR, -30},
    };
    constexpr double kAmplitude = 12000;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz at " + std::to_string(c.frequency) + ", tone " +
                     std::to_string(c.tone) + (c.resampling == SOUND_RESAMPLING_LINEAR ? ", linear" : ", filtered"));
        ASSERT_EQ(SetSoundResampling(c.resampling), 0);
        const int handle = Load(Wav16(Tone(c.rate, c.tone, c.rate * 2, kAmplitude), 1, c.rate));
        const int play = StartSound(handle, SOUND_PLAY_BACK);
        ASSERT_GE(play, 0);
        if (c.frequency != 0) {
            ASSERT_EQ(SetPlayFrequency(play, c.frequency), 0);
        }
        const std::vector<int16_t> left = Channel(Mix(kRate), 0);
        double toneLevel = 0;
        const double rest = RestBelowTone(left, c.heard > 0 ? c.heard : 1000, kAmplitude, &toneLevel);
        if (c.resampling == SOUND_RESAMPLING_FILTERED) {
            EXPECT_LT(rest, c.restBelow);
            if (c.heard > 0) {
                EXPECT_NEAR(toneLevel, 0, 0.5) << "the tone at its place, at its level";
            }
        } else {
            EXPECT_GT(rest, c.restBelow);
        }
        ASSERT_EQ(DeleteSound(handle), 0);
    }
}

// A filtered play that ends by itself still sounds to its last frame (the filter's tail is
// flushed), then ends; a looped one turns without a step; a streamed one gives the same
// frames as the decoded one.
TEST_F(SoundResamplerTest, FilteredPlaysEndAfterTheirLastFrameLoopAndStreamAlike)
{
    // 100 cycles of a 1 kHz tone at 22050 Hz: 4410 output frames.
    const std::vector<int16_t> tone = Tone(22050, 1000, 2205);
    const int handle = Load(Wav16(tone, 1, 22050));
    const int play = StartSound(handle, SOUND_PLAY_BACK);
    const std::vector<int16_t> out = Channel(Mix(4400), 0);
    EXPECT_EQ(GetPlayState(play), PLAY_STATE_PLAYING) << "not ended before its output was made";
    const std::vector<int16_t> after = Channel(Mix(200), 0);
    EXPECT_EQ(GetPlayState(play), PLAY_STATE_ENDED) << "ended once its tail was out";
    int loudEnd = 0;
    for (int i = 4300; i < 4400; ++i) loudEnd = std::max(loudEnd, std::abs(int(out[size_t(i)])));
    EXPECT_GT(loudEnd, 10000) << "the last frames sound";
    for (int i = 100; i < 200; ++i) EXPECT_EQ(after[size_t(i)], 0) << i;

    const int loop = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_GE(loop, 0);
    const std::vector<int16_t> looped = Channel(Mix(12000), 0);
    int steepest = 0;
    for (size_t i = 200; i + 1 < looped.size(); ++i) steepest = std::max(steepest, std::abs(looped[i + 1] - looped[i]));
    EXPECT_LE(steepest, 12000 * 2 * M_PI * 1000 / kRate * 1.1) << "no step at the loop's turns";
    EXPECT_EQ(IsSoundPlaying(handle), 1);
    ASSERT_EQ(StopSound(handle), 0);

    // Long enough to stream (over 2 MB decoded), against its first part decoded.
    const std::vector<int16_t> longTone = Tone(22050, 1000, 1100000);
    const int streamed = Load(Wav16(longTone, 1, 22050));
    ASSERT_EQ(ResolveSound(streamed)->samples, nullptr) << "it streams";
    const int decoded = Load(Wav16(std::vector<int16_t>(longTone.begin(), longTone.begin() + 20000), 1, 22050));
    ASSERT_GE(StartSound(streamed, SOUND_PLAY_BACK), 0);
    const std::vector<int16_t> fromStream = Mix(30000);
    ASSERT_EQ(StopSound(streamed), 0);
    ASSERT_GE(StartSound(decoded, SOUND_PLAY_BACK), 0);
    const std::vector<int16_t> fromMemory = Mix(30000);
    EXPECT_TRUE(fromStream == fromMemory) << "the same frames through the same filter";
    EXPECT_EQ(GetSoundUnderrunCount(), 0);
    for (int h : {handle, streamed, decoded}) ASSERT_EQ(DeleteSound(h), 0);
}

// A filtered play's position is the frame heard, not the frames its filter has read ahead;
// moving it, or its rate to the device's own and back, keeps the sound where it should be.
TEST_F(SoundResamplerTest, TheHeardPositionLeadsNothingAndFollowsMovesAndRates)
{
    const std::vector<int16_t> tone = Tone(22050, 1000, 22050);
    const int handle = Load(Wav16(tone, 1, 22050));
    const int play = StartSound(handle, SOUND_PLAY_BACK);
    Mix(4410);
    EXPECT_EQ(GetSoundPosition(handle), 2205);
    ASSERT_EQ(SetSoundPosition(handle, 11025), 0);
    const std::vector<int16_t> moved = Channel(Mix(2000), 0);
    EXPECT_EQ(GetSoundPosition(handle), 11025 + 1000);
    EXPECT_GT(*std::max_element(moved.begin(), moved.end()), 10000) << "the tone sounds on from there";
    ASSERT_EQ(SetPlayFrequency(play, 44100), 0);  // the device's rate: frames pass as they are
    const std::vector<int16_t> direct = Channel(Mix(100), 0);
    for (size_t i = 0; i < direct.size(); ++i) EXPECT_EQ(direct[i], tone[12025 + i]) << i;
    ASSERT_EQ(SetPlayFrequency(play, 22050), 0);
    Mix(200);
    EXPECT_EQ(GetSoundPosition(handle), 12125 + 100);
    ASSERT_EQ(DeleteSound(handle), 0);
}

// The setting takes only its two values, and plays keep what they started with.
TEST_F(SoundResamplerTest, TheSettingTakesItsValuesAndReachesOnlyNewPlays)
{
    for (int bad : {-1, 2, 100}) EXPECT_EQ(SetSoundResampling(bad), -1) << bad;
    const int handle = Load(Wav16(Tone(22050, 1000, 4000), 1, 22050));
    ASSERT_EQ(SetSoundResampling(SOUND_RESAMPLING_LINEAR), 0);
    const int linear = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_EQ(SetSoundResampling(SOUND_RESAMPLING_FILTERED), 0);
    const int filtered = StartSound(handle, SOUND_PLAY_LOOP);
    ASSERT_GE(linear, 0);
    ASSERT_GE(filtered, 0);
    int withFilter = 0;
    for (const Voice& voice : SoundMixer.voices) withFilter += voice.playing && voice.filter != nullptr ? 1 : 0;
    EXPECT_EQ(withFilter, 1);
    ASSERT_EQ(DeleteSound(handle), 0);
}

}  // namespace
