// The device's callback must neither allocate nor free: this binary counts the C library's
// allocations made on the mixing thread while it mixes filtered, streamed and pitched plays.
// Under the sanitizers, which own malloc themselves, the count is not taken.
#include "sound_fixture.h"

#include <atomic>
#include <cstddef>

#include "rorodiv.h"
#include "sound/sound_handles.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ROR_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ROR_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef ROR_COUNTS_ALLOCATIONS
#define ROR_COUNTS_ALLOCATIONS 1
#endif

namespace {

thread_local bool counting = false;
std::atomic<int> allocations{0};

}  // namespace

#if ROR_COUNTS_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);

void* malloc(size_t size)
{
    if (counting) ++allocations;
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    if (counting) ++allocations;
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size)
{
    if (counting) ++allocations;
    return __libc_realloc(block, size);
}

void free(void* block)
{
    if (counting && block != nullptr) ++allocations;
    __libc_free(block);
}
}
#endif

namespace {

std::vector<int16_t> Tone(int rate, int frames, int channels)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples.push_back(int16_t(std::lround(9000 * std::sin(2 * M_PI * 440 * (c + 1) * i / rate))));
    return samples;
}

class SoundCallbackMemoryTest : public HandMixedSoundTest {};

TEST_F(SoundCallbackMemoryTest, MixingFilteredStreamedAndPitchedPlaysAllocatesNothing)
{
    if (!ROR_COUNTS_ALLOCATIONS) GTEST_SKIP() << "the sanitizer owns malloc";
    const int shortMono = Load(Wav16(Tone(22050, 3000, 1), 1, 22050));
    const int stereo = Load(Wav16(Tone(48000, 48000, 2), 2, 48000));
    const int streamed = Load(Wav16(Tone(32000, 1100000, 1), 1, 32000));
    ASSERT_EQ(ror::ResolveSound(streamed)->samples, nullptr) << "it streams";
    ASSERT_GE(StartSound(shortMono, SOUND_PLAY_BACK), 0);  // ends, tail and all, while counted
    ASSERT_GE(StartSound(stereo, SOUND_PLAY_LOOP), 0);
    const int pitched = StartSound(stereo, SOUND_PLAY_LOOP);
    ASSERT_EQ(SetPlayFrequency(pitched, 70000), 0);
    const int fading = StartSound(streamed, SOUND_PLAY_BACK);
    ASSERT_EQ(FadePlay(fading, 500, 0), 0);
    std::vector<int16_t> out(2 * 1024);
    counting = true;
    void* volatile block = malloc(16);  // the count sees the C library's calls
    free(block);
    counting = false;
    ASSERT_EQ(allocations.exchange(0), 2);
    counting = true;
    for (int done = 0; done < 44100; done += 1024) ror::MixSounds(out.data(), 1024);
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(IsSoundPlaying(shortMono), 0);
    for (int h : {shortMono, stereo, streamed}) ASSERT_EQ(DeleteSound(h), 0);
}

}  // namespace
