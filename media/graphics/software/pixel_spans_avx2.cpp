// Compiled with -mavx2; reached only through the table when the processor has AVX2.
#include "pixel_spans_simd.inl"

namespace ror {

namespace {

struct Avx2Lanes {
    using Reg = __m256i;
    static constexpr int kBytes = 32;
    static constexpr int kAllBits = -1;
    static Reg Zero() { return _mm256_setzero_si256(); }
    static Reg Splat32(uint32_t v) { return _mm256_set1_epi32(int(v)); }
    static Reg Splat16(uint16_t v) { return _mm256_set1_epi16(short(v)); }
    static Reg Load(const void* p) { return _mm256_loadu_si256(static_cast<const Reg*>(p)); }
    static void Store(void* p, Reg v) { _mm256_storeu_si256(static_cast<Reg*>(p), v); }
    static void StoreAligned(void* p, Reg v) { _mm256_store_si256(static_cast<Reg*>(p), v); }
    // Unpack and pack work within 128-bit halves; used in pairs, they keep pixel order.
    static Reg WidenLo(Reg v, Reg z) { return _mm256_unpacklo_epi8(v, z); }
    static Reg WidenHi(Reg v, Reg z) { return _mm256_unpackhi_epi8(v, z); }
    static Reg Narrow(Reg lo, Reg hi) { return _mm256_packus_epi16(lo, hi); }
    static Reg Mul16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg Shr16(Reg a, int n) { return _mm256_srli_epi16(a, n); }
    static Reg AddSat8(Reg a, Reg b) { return _mm256_adds_epu8(a, b); }
    static Reg SubSat8(Reg a, Reg b) { return _mm256_subs_epu8(a, b); }
    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static Reg AndNot(Reg mask, Reg b) { return _mm256_andnot_si256(mask, b); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg Eq32(Reg a, Reg b) { return _mm256_cmpeq_epi32(a, b); }
    static int MoveMask8(Reg a) { return _mm256_movemask_epi8(a); }
    // Each pixel's alpha in all four 16-bit lanes of that pixel, in the order WidenLo and
    // WidenHi give the pixels: one byte shuffle instead of a widen and two word shuffles.
    static Reg AlphaLo16(Reg s)
    {
        const Reg control = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1, 3, -1, 3, -1, 3,
                                             -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
        return _mm256_shuffle_epi8(s, control);
    }
    static Reg AlphaHi16(Reg s)
    {
        const Reg control = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1, 11, -1, 11,
                                             -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
        return _mm256_shuffle_epi8(s, control);
    }
};

constexpr SpanOps kAvx2Ops = MakeVectorOps<Avx2Lanes>("avx2");

}  // namespace

const SpanOps* Avx2SpanOps() { return __builtin_cpu_supports("avx2") ? &kAvx2Ops : nullptr; }

}  // namespace ror
