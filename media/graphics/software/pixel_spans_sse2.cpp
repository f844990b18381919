#include "pixel_spans_simd.inl"

namespace ror {

namespace {

struct Sse2Lanes {
    using Reg = __m128i;
    static constexpr int kBytes = 16;
    static constexpr int kAllBits = 0xFFFF;
    static Reg Zero() { return _mm_setzero_si128(); }
    static Reg Splat32(uint32_t v) { return _mm_set1_epi32(int(v)); }
    static Reg Splat16(uint16_t v) { return _mm_set1_epi16(short(v)); }
    static Reg Load(const void* p) { return _mm_loadu_si128(static_cast<const Reg*>(p)); }
    static void Store(void* p, Reg v) { _mm_storeu_si128(static_cast<Reg*>(p), v); }
    static void StoreAligned(void* p, Reg v) { _mm_store_si128(static_cast<Reg*>(p), v); }
    static Reg WidenLo(Reg v, Reg z) { return _mm_unpacklo_epi8(v, z); }
    static Reg WidenHi(Reg v, Reg z) { return _mm_unpackhi_epi8(v, z); }
    static Reg Narrow(Reg lo, Reg hi) { return _mm_packus_epi16(lo, hi); }
    static Reg Mul16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
    static Reg Shr16(Reg a, int n) { return _mm_srli_epi16(a, n); }
    static Reg AddSat8(Reg a, Reg b) { return _mm_adds_epu8(a, b); }
    static Reg SubSat8(Reg a, Reg b) { return _mm_subs_epu8(a, b); }
    static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
    static Reg AndNot(Reg mask, Reg b) { return _mm_andnot_si128(mask, b); }
    static Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
    static Reg Eq32(Reg a, Reg b) { return _mm_cmpeq_epi32(a, b); }
    static int MoveMask8(Reg a) { return _mm_movemask_epi8(a); }
    // Each pixel's alpha in all four 16-bit lanes of that pixel, for the low or high pixels.
    static Reg BroadcastAlpha16(Reg v)
    {
        return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    }
    static Reg AlphaLo16(Reg s) { return BroadcastAlpha16(_mm_unpacklo_epi8(s, _mm_setzero_si128())); }
    static Reg AlphaHi16(Reg s) { return BroadcastAlpha16(_mm_unpackhi_epi8(s, _mm_setzero_si128())); }
};

constexpr SpanOps kSse2Ops = MakeVectorOps<Sse2Lanes>("sse2");

}  // namespace

const SpanOps* Sse2SpanOps() { return __builtin_cpu_supports("sse2") ? &kSse2Ops : nullptr; }

}  // namespace ror
