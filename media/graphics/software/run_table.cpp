// Transparency runs, the premultiplied plane and the blend image's weights.
#include "graphics/software/memimg_blit.h"

#include <algorithm>
#include <cstring>

namespace ror {

namespace {

uint8_t RunType(const MemImgStore* s, const uint8_t* row, int x)
{
    const int bytes = s->format->pixelBytes;
    uint32_t value = 0;
    std::memcpy(&value, row + intptr_t(x) * bytes, size_t(bytes));
    if (!s->hasAlpha) return value == uint32_t(s->colorKey) ? kRunTransparent : kRunOpaque;
    const uint32_t alpha = (value >> s->format->alphaShift) & 0xFF;
    return alpha == 0 ? kRunTransparent : alpha == 255 ? kRunOpaque : kRunPartial;
}

void PremultiplyRow(const MemImgStore* s, const uint8_t* row, uint8_t* plane)
{
    const ColorFormat* f = s->format;
    for (int x = 0; x < s->width; ++x) {
        uint32_t value;
        std::memcpy(&value, row + intptr_t(x) * 4, 4);
        const uint32_t a = (value >> f->alphaShift) & 0xFF;
        const uint32_t r = (((value & f->redMask) >> f->redShift) * a) >> 8;
        const uint32_t g = (((value & f->greenMask) >> f->greenShift) * a) >> 8;
        const uint32_t b = (((value & f->blueMask) >> f->blueShift) * a) >> 8;
        const uint32_t out = (value & f->alphaMask) | (r << f->redShift) | (g << f->greenShift) | (b << f->blueShift);
        std::memcpy(plane + intptr_t(x) * 4, &out, 4);
    }
}

}  // namespace

void BuildRunTable(MemImgStore* s)
{
    if (s == nullptr || (s->kind != 0 && s->kind != 1) || s->runTable == nullptr) return;
    s->runsValid = 1;
    if (s->hasAlpha && s->planeBuffer != nullptr) {
        for (int y = 0; y < s->height; ++y)
            PremultiplyRow(s, s->pixelBuffer + intptr_t(y) * s->pitch, s->planeBuffer + intptr_t(y) * s->pitch);
        s->planeValid = 1;
    }
    for (int y = 0; y < s->height; ++y) {
        const uint8_t* row = s->pixelBuffer + intptr_t(y) * s->pitch;
        uint8_t* out = s->runTable + intptr_t(y) * (s->width + 5);
        int x = 0;
        while (x < s->width) {
            const uint8_t type = RunType(s, row, x);
            int length = 1;
            while (x + length < s->width && length < 64 && RunType(s, row, x + length) == type) ++length;
            *out++ = uint8_t((length - 1) | type);
            x += length;
        }
        *out = kRunRowEnd;
    }
}

void BuildRuleTable(uint8_t table[256], int a, int b)
{
    a = std::clamp(a, 0, 255);
    b = std::clamp(b, 0, 255);
    const int range = b + 1;
    const int border = a * (65536 / range + 256) / 256;
    for (int i = 0; i < 256; ++i) {
        int v = i * 256 / range - border + 256;
        if (v > 255) v = 255;
        if (v < 0) v = 0;  // only reachable when border >= 256
        table[i] = uint8_t(v);
    }
}

}  // namespace ror
