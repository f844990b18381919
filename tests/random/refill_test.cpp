// Every refill variant the processor offers gives the plain refill's words.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/system/cpu.h"
#include "random/random_state.h"

using namespace ror;

namespace {

void ExpectSameWords(const RandomState& got, const RandomState& want)
{
    EXPECT_EQ(std::memcmp(got.state, want.state, sizeof(uint32_t) * kRandomStateWords), 0);
    EXPECT_EQ(std::memcmp(got.output, want.output, sizeof got.output), 0);
    EXPECT_EQ(got.index, 0);
}

RandomState StateWithWords(uint32_t (*word)(int))
{
    RandomState random{};
    for (int i = 0; i <= kRandomStateWords; ++i) random.state[i] = word(i);
    random.index = kRandomStateWords;
    return random;
}

TEST(RandomRefillTest, VariantsMatchPlainFromSameState)
{
    RandomState seeded{};
    SeedRandomState(seeded, 4357);
    const RandomState starts[] = {
        seeded,
        StateWithWords([](int) { return 0u; }),
        StateWithWords([](int) { return 0xffffffffu; }),
        StateWithWords([](int i) { return (i & 1) ? 0x80000001u : 0x7ffffffeu; }),
        StateWithWords([](int i) { return static_cast<uint32_t>(i) * 2654435761u; }),
    };
    int tried = 0;
    for (const RandomRefillVariant& variant : RandomRefillVariants()) {
        if (!variant.available()) continue;
        ++tried;
        SCOPED_TRACE(variant.name);
        for (const RandomState& start : starts) {
            RandomState plain = start;
            RandomState other = start;
            // Several blocks in a row, so each starts from a state the variant made itself.
            for (int block = 0; block < 4; ++block) {
                RefillRandomPlain(plain);
                variant.refill(other);
                ExpectSameWords(other, plain);
            }
        }
    }
    EXPECT_GE(tried, 1);
}

TEST(RandomRefillTest, ProcessorFeaturesChooseVariant)
{
    const CpuFeatures& cpu = ReadCpuFeatures();
#if defined(__x86_64__)
    EXPECT_TRUE(cpu.hasCpuid);
    EXPECT_TRUE(cpu.sse2);  // part of every x86-64 processor
#endif
    // The first available variant is the one seeding picks; plain is always last.
    auto variants = RandomRefillVariants();
    ASSERT_FALSE(variants.empty());
    EXPECT_EQ(variants.back().refill, RefillRandomPlain);
    EXPECT_TRUE(variants.back().available());
    if (cpu.avx2) {
        EXPECT_TRUE(variants.front().available());
    }
}

}  // namespace
