// The software path's conversion of planar pictures: the SSE2 form gives the scalar form's
// bytes, and both lie within one step of the exact studio-range conversion.
#include "movie_files.h"

#include "graphics/software/planar_convert.h"

#include <gtest/gtest.h>

#include <random>

using namespace ror;

namespace {

TEST(PlanarConvert, VectorAndScalarFormsAgreeAndStayWithinAStepOfTheExactValues)
{
    const PlanarRowConverter sse2 = Sse2PlanarRowConverter();
    if (sse2 == nullptr) GTEST_SKIP() << "no SSE2";
    std::mt19937 random(7);
    // Every width up to past two vector steps, for the tails; extreme samples included.
    for (const int shift : {0, 1}) {
        for (int width = 1; width <= 40; ++width) {
            SCOPED_TRACE(testing::Message() << "shift " << shift << " width " << width);
            std::vector<uint8_t> luma(width + 0u), cb(width + 0u), cr(width + 0u);
            for (int round = 0; round < 20; ++round) {
                for (auto* plane : {&luma, &cb, &cr})
                    for (uint8_t& sample : *plane) sample = uint8_t(round < 2 ? 255 * round : random() & 0xFF);
                std::vector<uint32_t> scalar(width + 0u), vector(width + 0u);
                ConvertPlanarRowScalar(luma.data(), cb.data(), cr.data(), width, shift, scalar.data());
                sse2(luma.data(), cb.data(), cr.data(), width, shift, vector.data());
                ASSERT_EQ(vector, scalar);
                for (int x = 0; x < width; ++x) {
                    const uint32_t exact = MovieSampleRgb(luma[x], cb[x >> shift], cr[x >> shift]);
                    ASSERT_EQ(scalar[x] >> 24, 0xFFu);
                    for (int channel = 0; channel < 24; channel += 8)
                        ASSERT_NEAR(int((scalar[x] >> channel) & 0xFF), int((exact >> channel) & 0xFF), 1) << x;
                }
            }
        }
    }
}

}  // namespace
