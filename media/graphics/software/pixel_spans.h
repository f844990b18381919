// Row routines of the software path that have vector forms. One table per instruction set,
// chosen once at run time; every form gives the same bytes as the scalar one.
#pragma once
#include <cstdint>

namespace ror {

struct SpanOps {
    const char* name;
    void (*fill32)(uint32_t* dst, int count, uint32_t value);
    void (*fill16)(uint16_t* dst, int count, uint16_t value);
    // Blend mode 1 with a constant colour, 0 < param < 255: each of blue, green, red becomes
    // ((s - d) * param + 256 * d) >> 8; the top byte of d is kept.
    void (*alphaConst32)(uint32_t* dst, int count, uint32_t color, int param);
    // Per-channel saturating add / subtract of the blue, green, red amounts packed in `amounts`.
    void (*addConst32)(uint32_t* dst, int count, uint32_t amounts);
    void (*subConst32)(uint32_t* dst, int count, uint32_t amounts);
    // Alpha source drawn with transparency: alpha 0 skipped, 255 copied whole, otherwise each
    // channel c = c - ((a * (c - s) + 255) >> 8), the top byte of d kept.
    void (*over32)(uint32_t* dst, const uint32_t* src, int count);
};

const SpanOps& ScalarSpanOps();
const SpanOps* Sse2SpanOps();  // null when the processor lacks the instructions
const SpanOps* Avx2SpanOps();
const SpanOps& ActiveSpanOps();

// Scalar forms of single pixels, shared with the vector tails.
inline uint32_t AlphaConstPixel32(uint32_t d, uint32_t s, int p)
{
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int dc = int(d >> shift) & 0xFF, sc = int(s >> shift) & 0xFF;
        out |= uint32_t(((sc - dc) * p + 256 * dc) >> 8) << shift;
    }
    return out;
}

inline uint32_t OverPixel32(uint32_t d, uint32_t s)
{
    const int a = int(s >> 24);
    if (a == 0) return d;
    if (a == 255) return s;
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int dc = int(d >> shift) & 0xFF, sc = int(s >> shift) & 0xFF;
        out |= uint32_t(dc - ((a * (dc - sc) + 255) >> 8)) << shift;
    }
    return out;
}

inline uint32_t AddConstPixel32(uint32_t d, uint32_t amounts)
{
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = ((d >> shift) & 0xFF) + ((amounts >> shift) & 0xFF);
        out |= (c > 255 ? 255u : c) << shift;
    }
    return out;
}

inline uint32_t SubConstPixel32(uint32_t d, uint32_t amounts)
{
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = int((d >> shift) & 0xFF) - int((amounts >> shift) & 0xFF);
        out |= uint32_t(c < 0 ? 0 : c) << shift;
    }
    return out;
}

}  // namespace ror
