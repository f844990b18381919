// Known words of the generator, its scaling and its block handling.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

#include "random/random.h"
#include "random/random_state.h"

using namespace ror;

namespace {

constexpr int64_t kRawWord = INT64_MIN;  // a step that draws NextRandomWord instead of RandomUpTo
constexpr int64_t kUnseeded = -1;

struct VectorCase {
    const char* name;
    int64_t seed;  // kUnseeded: the generator is never seeded
    std::vector<int64_t> steps;
    std::vector<int64_t> expected;
};

void ResetToProcessStart()
{
    randomState = RandomState{};
    randomState.index = kRandomStateWords;
}

const VectorCase kVectorCases[] = {
    {"seed 4357, words",
     4357,
     {kRawWord, kRawWord, kRawWord, kRawWord, kRawWord},
     {2867219139, 1585203162, 3113124129, 2953900839, 2463794868}},
    {"seed 4357, up to 99", 4357, std::vector<int64_t>(10, 99), {66, 36, 72, 68, 57, 81, 27, 83, 13, 95}},
    {"seed 1, words", 1, {kRawWord, kRawWord, kRawWord}, {3556162021, 4012392791, 221657543}},
    // An unseeded generator seeds itself with 4357 and passes over that first block.
    {"unseeded, words", kUnseeded, {kRawWord, kRawWord, kRawWord}, {1044672925, 1965277612, 1713774522}},
    {"unseeded, up to 99", kUnseeded, {99}, {24}},
    // Maxima 0 and -1 give 0 and still use up a word each.
    {"maxima 0 and -1", 4357, {0, -1, kRawWord}, {0, 0, 3113124129}},
    // A negative max scales into max+1..0.
    {"max -5", 4357, {-5, -5}, {-3, -2}},
    // max + 1 wraps to -2147483648.
    {"max 2147483647", 4357, {2147483647, 2147483647}, {-1433609570, -792601581}},
    {"max 2147483646", 4357, {2147483646}, {1433609568}},
};

TEST(RandomTest, KnownSequences)
{
    for (const VectorCase& c : kVectorCases) {
        SCOPED_TRACE(c.name);
        ResetToProcessStart();
        if (c.seed != kUnseeded) SeedRandom(static_cast<uint32_t>(c.seed));
        ASSERT_EQ(c.steps.size(), c.expected.size());
        for (size_t i = 0; i < c.steps.size(); ++i) {
            int64_t got = c.steps[i] == kRawWord ? int64_t{NextRandomWord()}
                                                 : int64_t{RandomUpTo(static_cast<int32_t>(c.steps[i]))};
            EXPECT_EQ(got, c.expected[i]) << "draw " << i;
        }
    }
}

TEST(RandomTest, NegativeMaximaStayInRange)
{
    SeedRandom(99);
    for (int i = 0; i < 2000; ++i) {
        int32_t small = RandomUpTo(-5);
        EXPECT_GE(small, -4);
        EXPECT_LE(small, 0);
        EXPECT_LE(RandomUpTo(2147483647), 0);
        int32_t die = RandomUpTo(5);
        EXPECT_GE(die, 0);
        EXPECT_LE(die, 5);
    }
}

TEST(RandomTest, SeedingFillsBlockAndMarksSeeded)
{
    ResetToProcessStart();
    SeedRandom(4357);
    EXPECT_EQ(randomState.index, 0);
    EXPECT_EQ(randomState.seeded, 1);
    EXPECT_EQ(randomState.output[0], 2867219139u);
#if defined(__x86_64__)
    EXPECT_EQ(randomState.pairedRefill, 1);  // SSE2 at least
#endif
}

TEST(RandomTest, The625thDrawRefillsOnce)
{
    SeedRandom(4357);
    for (int i = 0; i < kRandomStateWords; ++i) NextRandomWord();
    EXPECT_EQ(randomState.index, kRandomStateWords);
    EXPECT_EQ(NextRandomWord(), 1044672925u);
    EXPECT_EQ(randomState.index, 1);
}

TEST(RandomTest, ReseedingMidBlockDiscardsTheRest)
{
    SeedRandom(4357);
    for (int i = 0; i < 10; ++i) NextRandomWord();
    SeedRandom(4357);
    EXPECT_EQ(NextRandomWord(), 2867219139u);
    EXPECT_EQ(randomState.index, 1);
}

// libstdc++'s twister, loaded with our seeded state words, must give the same blocks.
TEST(RandomTest, MatchesStandardTwisterFromSameState)
{
    for (uint32_t seed : {1u, 4357u, 0u, 0xffffffffu}) {
        SCOPED_TRACE(seed);
        RandomState seeded{};
        SeedRandomState(seeded, seed);
        std::stringstream words;
        for (int i = 0; i < kRandomStateWords; ++i) words << seeded.state[i] << ' ';
        words << kRandomStateWords;  // libstdc++ reads its position after the words: block used up
        std::mt19937 standard;
        words >> standard;
        ASSERT_FALSE(words.fail());

        SeedRandom(seed);
        for (int i = 0; i < 3 * kRandomStateWords; ++i) {
            ASSERT_EQ(NextRandomWord(), standard()) << "word " << i;
        }
    }
}

}  // namespace
