// The refill four words at a time with SSE2 (present on every x86-64 processor).
// Within one step no word read is one written by the same step (the nearest
// dependency is 227 words back), so the words match the plain refill exactly.
#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include "random/random_state.h"
#include "random/random_twist.h"

namespace ror {

namespace {

__attribute__((target("sse2"))) inline __m128i TwistFour(__m128i current, __m128i next, __m128i far)
{
    const __m128i upper = _mm_set1_epi32(static_cast<int>(kRandomUpperMask));
    const __m128i lower = _mm_set1_epi32(static_cast<int>(kRandomLowerMask));
    const __m128i matrix = _mm_set1_epi32(static_cast<int>(kRandomMatrix));
    __m128i y = _mm_or_si128(_mm_and_si128(current, upper), _mm_and_si128(next, lower));
    // All ones where the next word is odd: its low bit moved to the top and spread.
    __m128i odd = _mm_srai_epi32(_mm_slli_epi32(next, 31), 31);
    return _mm_xor_si128(_mm_xor_si128(far, _mm_srli_epi32(y, 1)), _mm_and_si128(odd, matrix));
}

__attribute__((target("sse2"))) inline __m128i TemperFour(__m128i y)
{
    const __m128i maskB = _mm_set1_epi32(static_cast<int>(kRandomTemperB));
    const __m128i maskC = _mm_set1_epi32(static_cast<int>(kRandomTemperC));
    y = _mm_xor_si128(y, _mm_srli_epi32(y, 11));
    y = _mm_xor_si128(y, _mm_and_si128(_mm_slli_epi32(y, 7), maskB));
    y = _mm_xor_si128(y, _mm_and_si128(_mm_slli_epi32(y, 15), maskC));
    y = _mm_xor_si128(y, _mm_srli_epi32(y, 18));
    return y;
}

inline __m128i Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

__attribute__((target("sse2"))) void RefillRandomSse2(RandomState& random)
{
    uint32_t* s = random.state;
    constexpr int32_t firstRunEnd = kRandomStateWords - kRandomMiddleDistance;  // 227
    int32_t kk = 0;
    for (; kk + 4 <= firstRunEnd; kk += 4) {
        Store(s + kk, TwistFour(Load(s + kk), Load(s + kk + 1), Load(s + kk + kRandomMiddleDistance)));
    }
    for (; kk < firstRunEnd; ++kk) {
        s[kk] = TwistRandomWord(s[kk], s[kk + 1], s[kk + kRandomMiddleDistance]);
    }
    s[kRandomStateWords] = s[0];
    for (; kk + 4 <= kRandomStateWords; kk += 4) {
        Store(s + kk, TwistFour(Load(s + kk), Load(s + kk + 1), Load(s + kk - firstRunEnd)));
    }
    for (; kk < kRandomStateWords; ++kk) {
        s[kk] = TwistRandomWord(s[kk], s[kk + 1], s[kk - firstRunEnd]);
    }
    for (int32_t i = 0; i < kRandomStateWords; i += 4) {
        Store(random.output + i, TemperFour(Load(s + i)));
    }
    random.index = 0;
}

}  // namespace ror
#endif
