// The process-wide generator: seeding, drawing and scaling.
#include "random/random.h"
#include "rorodiv.h"

#include "platform/system/cpu.h"
#include "random/random_state.h"

namespace ror {

RandomState randomState = {.state = {}, .index = kRandomStateWords, .output = {}, .seeded = 0, .pairedRefill = 0};

namespace {

constexpr uint32_t kUnseededSeed = 4357;

bool AlwaysAvailable() { return true; }

#if defined(__x86_64__) || defined(__i386__)
bool HasAvx2() { return ReadCpuFeatures().avx2; }
bool HasSse2() { return ReadCpuFeatures().sse2; }

constexpr RandomRefillVariant kRefillVariants[] = {
    {.name = "avx2", .available = HasAvx2, .refill = RefillRandomAvx2},
    {.name = "sse2", .available = HasSse2, .refill = RefillRandomSse2},
    {.name = "plain", .available = AlwaysAvailable, .refill = RefillRandomPlain},
};
#else
constexpr RandomRefillVariant kRefillVariants[] = {
    {.name = "plain", .available = AlwaysAvailable, .refill = RefillRandomPlain},
};
#endif

// Chosen at the first seeding; the processor does not change under us.
RandomRefill chosenRefill = nullptr;

RandomRefill ChooseRefill()
{
    if (chosenRefill == nullptr) {
        for (const RandomRefillVariant& variant : kRefillVariants) {
            if (variant.available()) {
                chosenRefill = variant.refill;
                break;
            }
        }
    }
    return chosenRefill;
}

}  // namespace

std::span<const RandomRefillVariant> RandomRefillVariants() { return kRefillVariants; }

void SeedRandomState(RandomState& random, uint32_t seed)
{
    uint32_t s = seed;
    for (int32_t i = 0; i < kRandomStateWords; ++i) {
        // Upper half from the current value, lower half from the next one's upper half.
        random.state[i] = s & 0xffff0000u;
        s = 69069u * s + 1u;
        random.state[i] |= s >> 16;
        s = 69069u * s + 1u;
    }
}

}  // namespace ror

using namespace ror;

void SeedRandom(uint32_t seed)
{
    SeedRandomState(randomState, seed);
    RandomRefill refill = ChooseRefill();
    randomState.pairedRefill = refill != RefillRandomPlain ? 1 : 0;
    randomState.seeded = 1;
    refill(randomState);
}

namespace ror {

uint32_t NextRandomWord()
{
    if (randomState.index >= kRandomStateWords) {
        if (!randomState.seeded) SeedRandom(kUnseededSeed);
        // The default seeding's own block is passed over, as it always has been.
        ChooseRefill()(randomState);
    }
    return randomState.output[randomState.index++];
}

}  // namespace ror

int32_t RandomUpTo(int32_t max)
{
    uint64_t word = NextRandomWord();
    // max + 1 wraps in 32 bits, so 2147483647 gives -2147483648; then widened with its sign.
    int64_t range = static_cast<int32_t>(static_cast<uint32_t>(max) + 1u);
    uint64_t product = word * static_cast<uint64_t>(range);
    return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}
