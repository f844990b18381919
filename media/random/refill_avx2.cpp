// The refill eight words at a time with AVX2. Built for AVX2 by function attribute
// only, so the rest of the program runs on processors without it; it is chosen
// only where the processor reports AVX2.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "random/random_state.h"
#include "random/random_twist.h"

namespace ror {

namespace {

__attribute__((target("avx2"))) inline __m256i TwistEight(__m256i current, __m256i next, __m256i far)
{
    const __m256i upper = _mm256_set1_epi32(static_cast<int>(kRandomUpperMask));
    const __m256i lower = _mm256_set1_epi32(static_cast<int>(kRandomLowerMask));
    const __m256i matrix = _mm256_set1_epi32(static_cast<int>(kRandomMatrix));
    __m256i y = _mm256_or_si256(_mm256_and_si256(current, upper), _mm256_and_si256(next, lower));
    __m256i odd = _mm256_srai_epi32(_mm256_slli_epi32(next, 31), 31);
    return _mm256_xor_si256(_mm256_xor_si256(far, _mm256_srli_epi32(y, 1)), _mm256_and_si256(odd, matrix));
}

__attribute__((target("avx2"))) inline __m256i TemperEight(__m256i y)
{
    const __m256i maskB = _mm256_set1_epi32(static_cast<int>(kRandomTemperB));
    const __m256i maskC = _mm256_set1_epi32(static_cast<int>(kRandomTemperC));
    y = _mm256_xor_si256(y, _mm256_srli_epi32(y, 11));
    y = _mm256_xor_si256(y, _mm256_and_si256(_mm256_slli_epi32(y, 7), maskB));
    y = _mm256_xor_si256(y, _mm256_and_si256(_mm256_slli_epi32(y, 15), maskC));
    y = _mm256_xor_si256(y, _mm256_srli_epi32(y, 18));
    return y;
}

__attribute__((target("avx2"))) inline __m256i Load(const uint32_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
__attribute__((target("avx2"))) inline void Store(uint32_t* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

}  // namespace

__attribute__((target("avx2"))) void RefillRandomAvx2(RandomState& random)
{
    uint32_t* s = random.state;
    constexpr int32_t firstRunEnd = kRandomStateWords - kRandomMiddleDistance;  // 227
    int32_t kk = 0;
    for (; kk + 8 <= firstRunEnd; kk += 8) {
        Store(s + kk, TwistEight(Load(s + kk), Load(s + kk + 1), Load(s + kk + kRandomMiddleDistance)));
    }
    for (; kk < firstRunEnd; ++kk) {
        s[kk] = TwistRandomWord(s[kk], s[kk + 1], s[kk + kRandomMiddleDistance]);
    }
    s[kRandomStateWords] = s[0];
    for (; kk + 8 <= kRandomStateWords; kk += 8) {
        Store(s + kk, TwistEight(Load(s + kk), Load(s + kk + 1), Load(s + kk - firstRunEnd)));
    }
    for (; kk < kRandomStateWords; ++kk) {
        s[kk] = TwistRandomWord(s[kk], s[kk + 1], s[kk - firstRunEnd]);
    }
    for (int32_t i = 0; i < kRandomStateWords; i += 8) {
        Store(random.output + i, TemperEight(Load(s + i)));
    }
    random.index = 0;
}

}  // namespace ror
#endif
