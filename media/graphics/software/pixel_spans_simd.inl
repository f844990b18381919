// Vector kernels of the row routines, written once over a lane-width traits type.
// Included by one source per instruction set; everything has internal linkage, so a routine
// compiled for a wider set never stands in for a narrower one.
#include "graphics/software/pixel_spans.h"

#include <cstring>
#include <immintrin.h>

namespace ror {

namespace {

template <class V>
void FillKernel32(uint32_t* dst, int count, uint32_t value)
{
    int i = 0;
    while (i < count && (reinterpret_cast<uintptr_t>(dst + i) & (V::kBytes - 1)) != 0) dst[i++] = value;
    const typename V::Reg v = V::Splat32(value);
    constexpr int step = V::kBytes / 4;
    for (; i + 4 * step <= count; i += 4 * step) {
        V::StoreAligned(dst + i, v);
        V::StoreAligned(dst + i + step, v);
        V::StoreAligned(dst + i + 2 * step, v);
        V::StoreAligned(dst + i + 3 * step, v);
    }
    for (; i + step <= count; i += step) V::StoreAligned(dst + i, v);
    for (; i < count; ++i) dst[i] = value;
}

template <class V>
void FillKernel16(uint16_t* dst, int count, uint16_t value)
{
    int i = 0;
    while (i < count && (reinterpret_cast<uintptr_t>(dst + i) & (V::kBytes - 1)) != 0) dst[i++] = value;
    const typename V::Reg v = V::Splat16(value);
    constexpr int step = V::kBytes / 2;
    for (; i + 2 * step <= count; i += 2 * step) {
        V::StoreAligned(dst + i, v);
        V::StoreAligned(dst + i + step, v);
    }
    for (; i + step <= count; i += step) V::StoreAligned(dst + i, v);
    for (; i < count; ++i) dst[i] = value;
}

template <class V>
void AlphaConstKernel32(uint32_t* dst, int count, uint32_t color, int param)
{
    using R = typename V::Reg;
    const R zero = V::Zero();
    const R sTimesP = V::Mul16(V::WidenLo(V::Splat32(color), zero), V::Splat16(uint16_t(param)));
    const R keep = V::Splat16(uint16_t(256 - param));
    const R topMask = V::Splat32(0xFF000000u);
    constexpr int step = V::kBytes / 4;
    int i = 0;
    for (; i + step <= count; i += step) {
        const R d = V::Load(dst + i);
        const R lo = V::Shr16(V::Add16(V::Mul16(V::WidenLo(d, zero), keep), sTimesP), 8);
        const R hi = V::Shr16(V::Add16(V::Mul16(V::WidenHi(d, zero), keep), sTimesP), 8);
        const R blended = V::Narrow(lo, hi);
        V::Store(dst + i, V::Or(V::AndNot(topMask, blended), V::And(topMask, d)));
    }
    for (; i < count; ++i) dst[i] = AlphaConstPixel32(dst[i], color, param);
}

template <class V>
void AddConstKernel32(uint32_t* dst, int count, uint32_t amounts)
{
    using R = typename V::Reg;
    const R a = V::Splat32(amounts & 0x00FFFFFFu);
    constexpr int step = V::kBytes / 4;
    int i = 0;
    for (; i + step <= count; i += step) V::Store(dst + i, V::AddSat8(V::Load(dst + i), a));
    for (; i < count; ++i) dst[i] = AddConstPixel32(dst[i], amounts);
}

template <class V>
void SubConstKernel32(uint32_t* dst, int count, uint32_t amounts)
{
    using R = typename V::Reg;
    const R a = V::Splat32(amounts & 0x00FFFFFFu);
    constexpr int step = V::kBytes / 4;
    int i = 0;
    for (; i + step <= count; i += step) V::Store(dst + i, V::SubSat8(V::Load(dst + i), a));
    for (; i < count; ++i) dst[i] = SubConstPixel32(dst[i], amounts);
}

// c - ((a * (c - s) + 255) >> 8) with an arithmetic shift equals (c * (256 - a) + s * a) >> 8:
// c - floor(t / 256) = ceil((256c - t) / 256) = floor((256c - t + 255) / 256). Both products
// are unsigned and their sum stays below 65536, so it fits 16-bit lanes.
template <class V>
__attribute__((always_inline)) inline void OverGroup(uint32_t* dst, const uint32_t* src)
{
    using R = typename V::Reg;
    const R zero = V::Zero();
    const R topMask = V::Splat32(0xFF000000u);
    const R s = V::Load(src);
    const R sa = V::And(s, topMask);
    const R opaque = V::Eq32(sa, topMask);
    if (V::MoveMask8(opaque) == V::kAllBits) {
        V::Store(dst, s);
        return;
    }
    if (V::MoveMask8(V::Eq32(sa, zero)) == V::kAllBits) return;
    const R full = V::Splat16(256);
    const R d = V::Load(dst);
    const R alphaLo = V::AlphaLo16(s);
    const R alphaHi = V::AlphaHi16(s);
    const R lo = V::Shr16(V::Add16(V::Mul16(V::WidenLo(d, zero), V::Sub16(full, alphaLo)),
                                   V::Mul16(V::WidenLo(s, zero), alphaLo)),
                          8);
    const R hi = V::Shr16(V::Add16(V::Mul16(V::WidenHi(d, zero), V::Sub16(full, alphaHi)),
                                   V::Mul16(V::WidenHi(s, zero), alphaHi)),
                          8);
    const R blended = V::Or(V::AndNot(topMask, V::Narrow(lo, hi)), V::And(topMask, d));
    V::Store(dst, V::Or(V::And(opaque, s), V::AndNot(opaque, blended)));
}

template <class V>
void OverKernel32(uint32_t* dst, const uint32_t* src, int count)
{
    constexpr int step = V::kBytes / 4;
    int i = 0;
    for (; i + step <= count; i += step) OverGroup<V>(dst + i, src + i);
    if (i < count) {
        // The tail goes through one padded group: transparent padding leaves it unchanged.
        uint32_t d[step] = {}, s[step] = {};
        const size_t n = size_t(count - i) * 4;
        std::memcpy(d, dst + i, n);
        std::memcpy(s, src + i, n);
        OverGroup<V>(d, s);
        std::memcpy(dst + i, d, n);
    }
}

template <class V>
constexpr SpanOps MakeVectorOps(const char* name)
{
    return SpanOps{
        .name = name,
        .fill32 = FillKernel32<V>,
        .fill16 = FillKernel16<V>,
        .alphaConst32 = AlphaConstKernel32<V>,
        .addConst32 = AddConstKernel32<V>,
        .subConst32 = SubConstKernel32<V>,
        .over32 = OverKernel32<V>,
    };
}

}  // namespace

}  // namespace ror
