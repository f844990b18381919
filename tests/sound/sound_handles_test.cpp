// Sound and music handles: stale, wrong-kind and damaged handles are refused.
#include "sound_fixture.h"

#include "core/handles.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"

using namespace ror;

namespace {

using SoundHandlesTest = SoundFixture;

TEST_F(SoundHandlesTest, StaleAndWrongKindHandlesAreRefusedByEveryOperation)
{
    const std::string wav = Wav16(Sine(100, 10, 1000));
    const int first = LoadSoundFromMemory(wav.data(), int32_t(wav.size()));
    ASSERT_GE(first, 0);
    EXPECT_EQ(first & 0x78000000, int32_t(HandleKind::Sound) << 27);
    ASSERT_EQ(DeleteSound(first), 0);
    const int reused = LoadSoundFromMemory(wav.data(), int32_t(wav.size()));
    ASSERT_GE(reused, 0);
    EXPECT_EQ(HandleIndex(reused), HandleIndex(first)) << "the lowest free slot is taken again";

    const int stale = first;
    const int wrongKind = MakeHandle(HandleKind::Music, HandleIndex(reused), (reused >> 16) & 0x7FF);
    const int fontKind = MakeHandle(HandleKind::Font, HandleIndex(reused), (reused >> 16) & 0x7FF);
    const int outOfRange = MakeHandle(HandleKind::Sound, kSoundTableSize, 0);
    for (int bad : {stale, wrongKind, fontKind, outOfRange, -1, int(0x80000000)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(PlaySound(bad, SOUND_PLAY_BACK), -1);
        EXPECT_EQ(StopSound(bad), -1);
        EXPECT_EQ(IsSoundPlaying(bad), -1);
        EXPECT_EQ(SetSoundVolume(bad, 100), -1);
        EXPECT_EQ(SetSoundPan(bad, 0), -1);
        EXPECT_EQ(SetSoundFrequency(bad, 22050), -1);
        EXPECT_EQ(SetSoundPosition(bad, 0), -1);
        EXPECT_EQ(GetSoundPosition(bad), -1);
        EXPECT_EQ(DeleteSound(bad), -1);
    }
    // Settings out of their range are refused too, and change nothing.
    EXPECT_EQ(SetSoundVolume(reused, 256), -1);
    EXPECT_EQ(SetSoundPan(reused, -256), -1);
    EXPECT_EQ(SetSoundFrequency(reused, 5), -1);
    EXPECT_EQ(SetSoundPosition(reused, 101), -1);
    EXPECT_EQ(ResolveSound(reused)->volume, 255);
    EXPECT_EQ(DeleteSound(reused), 0);
}

TEST_F(SoundHandlesTest, ShutdownDeletesEverySoundEvenWithoutADevice)
{
    const std::string wav = Wav16(Sine(100, 10, 1000));
    for (int i = 0; i < 5; ++i) ASSERT_GE(LoadSoundFromMemory(wav.data(), int32_t(wav.size())), 0);
    EXPECT_GT(TrackedAllocationCount(), allocationsAtStart);
    EXPECT_EQ(SoundEnd(), -1) << "no device was started";
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
    EXPECT_EQ(PlaySound(MakeHandle(HandleKind::Sound, 0, 0), SOUND_PLAY_BACK), -1);
}

TEST_F(SoundHandlesTest, PlayingWithoutADeviceFailsWithALogLine)
{
    const std::string wav = Wav16(Sine(100, 10, 1000));
    const int handle = LoadSoundFromMemory(wav.data(), int32_t(wav.size()));
    EXPECT_EQ(PlaySound(handle, SOUND_PLAY_BACK), -1);
    EXPECT_EQ(PlayMusic("none.ogg", 0), -1);
    EXPECT_NE(Logged().find("サウンドデバイスが動いていないので再生できません\n"), std::string::npos);
    EXPECT_EQ(DeleteSound(handle), 0);
}

}  // namespace
