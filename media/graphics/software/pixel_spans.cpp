#include "graphics/software/pixel_spans.h"

namespace ror {

namespace {

void Fill32(uint32_t* dst, int count, uint32_t value)
{
    for (int i = 0; i < count; ++i) dst[i] = value;
}

void Fill16(uint16_t* dst, int count, uint16_t value)
{
    for (int i = 0; i < count; ++i) dst[i] = value;
}

void AlphaConst32(uint32_t* dst, int count, uint32_t color, int param)
{
    for (int i = 0; i < count; ++i) dst[i] = AlphaConstPixel32(dst[i], color, param);
}

void AddConst32(uint32_t* dst, int count, uint32_t amounts)
{
    for (int i = 0; i < count; ++i) dst[i] = AddConstPixel32(dst[i], amounts);
}

void SubConst32(uint32_t* dst, int count, uint32_t amounts)
{
    for (int i = 0; i < count; ++i) dst[i] = SubConstPixel32(dst[i], amounts);
}

void Over32(uint32_t* dst, const uint32_t* src, int count)
{
    for (int i = 0; i < count; ++i) dst[i] = OverPixel32(dst[i], src[i]);
}

constexpr SpanOps kScalarOps{
    .name = "scalar",
    .fill32 = Fill32,
    .fill16 = Fill16,
    .alphaConst32 = AlphaConst32,
    .addConst32 = AddConst32,
    .subConst32 = SubConst32,
    .over32 = Over32,
};

const SpanOps& ChooseSpanOps()
{
    if (const SpanOps* avx2 = Avx2SpanOps()) return *avx2;
    if (const SpanOps* sse2 = Sse2SpanOps()) return *sse2;
    return kScalarOps;
}

}  // namespace

const SpanOps& ScalarSpanOps() { return kScalarOps; }

const SpanOps& ActiveSpanOps()
{
    static const SpanOps& chosen = ChooseSpanOps();
    return chosen;
}

}  // namespace ror
