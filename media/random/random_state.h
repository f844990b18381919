// The generator's state record and its block refills, for the layer and its tests.
#pragma once
#include <cstdint>
#include <span>

namespace ror {

constexpr int32_t kRandomStateWords = 624;
constexpr int32_t kRandomMiddleDistance = 397;

struct RandomState {
    // Words 0..623 of the twister; word 624 is a spare holding the new word 0 during a refill.
    alignas(32) uint32_t state[kRandomStateWords + 1];
    int32_t index;  // next word of `output` to hand out; 624 means the block is used up
    alignas(32) uint32_t output[kRandomStateWords];
    int32_t seeded;        // 1 once SeedRandom has run; never cleared
    int32_t pairedRefill;  // 1 when a SIMD refill was chosen at the last seeding
};

// The process-wide generator. Starts unseeded with its block used up.
extern RandomState randomState;

// One refill: twists all 624 state words, tempers them into `output`, sets index to 0.
using RandomRefill = void (*)(RandomState& random);

// The ways of refilling, best first; every one gives the same words as the plain one.
struct RandomRefillVariant {
    const char* name;
    bool (*available)();
    RandomRefill refill;
};
std::span<const RandomRefillVariant> RandomRefillVariants();

void RefillRandomPlain(RandomState& random);
#if defined(__x86_64__) || defined(__i386__)
void RefillRandomSse2(RandomState& random);
void RefillRandomAvx2(RandomState& random);  // only where the processor has AVX2
#endif

// Fills the state words from a seed; leaves index and output alone.
void SeedRandomState(RandomState& random, uint32_t seed);

}  // namespace ror
