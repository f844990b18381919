// The vector row routines give the same bytes as the scalar ones, on random pixels, lengths
// and alignments.
#include "graphics/software/pixel_spans.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace ror;

namespace {

std::vector<const SpanOps*> VectorTables()
{
    std::vector<const SpanOps*> tables;
    if (const SpanOps* t = Sse2SpanOps()) tables.push_back(t);
    if (const SpanOps* t = Avx2SpanOps()) tables.push_back(t);
    return tables;
}

uint32_t RandomPixel(std::mt19937& rng)
{
    // Bias alpha towards 0 and 255 so the all-skip and all-copy paths run too.
    uint32_t v = rng();
    switch (rng() % 4) {
    case 0: return v & 0x00FFFFFF;
    case 1: return v | 0xFF000000;
    default: return v;
    }
}

}  // namespace

TEST(SpanOps, VectorFormsMatchScalar)
{
    const SpanOps& scalar = ScalarSpanOps();
    std::mt19937 rng(1234);
    const auto tables = VectorTables();
    ASSERT_FALSE(tables.empty());
    for (const SpanOps* ops : tables) {
        for (int round = 0; round < 300; ++round) {
            const int count = int(rng() % 150);
            const int offset = int(rng() % 8);
            std::vector<uint32_t> src(count + 8), a(count + 8), b;
            for (auto& v : src) v = RandomPixel(rng);
            for (auto& v : a) v = RandomPixel(rng);
            // Uniform-alpha runs as well: the vector form skips or copies whole groups.
            if (round % 5 == 0)
                for (auto& v : src) v = (v & 0x00FFFFFF) | (round % 10 == 0 ? 0 : 0xFF000000u);
            const uint32_t color = rng();
            const int param = 1 + int(rng() % 254);
            const uint32_t amounts = rng() & 0x00FFFFFF;

            auto check = [&](const char* what, auto run) {
                b = a;
                std::vector<uint32_t> expected = a;
                run(scalar, expected.data() + offset);
                run(*ops, b.data() + offset);
                ASSERT_EQ(b, expected) << ops->name << " " << what << " count " << count << " offset " << offset;
            };
            check("fill32", [&](const SpanOps& o, uint32_t* d) { o.fill32(d, count, color); });
            check("alphaConst32", [&](const SpanOps& o, uint32_t* d) { o.alphaConst32(d, count, color, param); });
            check("addConst32", [&](const SpanOps& o, uint32_t* d) { o.addConst32(d, count, amounts); });
            check("subConst32", [&](const SpanOps& o, uint32_t* d) { o.subConst32(d, count, amounts); });
            check("over32", [&](const SpanOps& o, uint32_t* d) { o.over32(d, src.data() + offset, count); });

            std::vector<uint16_t> s16(count + 8, 7), e16 = s16;
            scalar.fill16(e16.data() + offset, count, uint16_t(color));
            ops->fill16(s16.data() + offset, count, uint16_t(color));
            ASSERT_EQ(s16, e16) << ops->name << " fill16";
        }
    }
}

TEST(SpanOps, ScalarFormulas)
{
    // a = 128 over: 100 - ((128 * (100 - 200) + 255) >> 8) = 150; opaque copies whole
    EXPECT_EQ(OverPixel32(0x11646464, 0x80C8C8C8), 0x11969696u);
    EXPECT_EQ(OverPixel32(0x11646464, 0xFFC8C8C8), 0xFFC8C8C8u);
    EXPECT_EQ(OverPixel32(0x11646464, 0x00C8C8C8), 0x11646464u);
    EXPECT_EQ(AlphaConstPixel32(0xFF646464, 0x00C8C8C8, 128), 0xFF969696u);
    EXPECT_EQ(AddConstPixel32(0xFFF0F0F0, 0x00202020), 0xFFFFFFFFu);
    EXPECT_EQ(SubConstPixel32(0xFF101010, 0x00202020), 0xFF000000u);
}
