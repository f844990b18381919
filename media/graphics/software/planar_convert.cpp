#include "graphics/software/planar_convert.h"

#include "core/tracked_memory.h"

#include <algorithm>
#include <cstring>
#include <immintrin.h>

namespace ror {

namespace {

// The studio-range factors times 8192: luma, red from Cr, green from Cb and Cr, blue from Cb.
constexpr int kLuma = 9539, kRedCr = 13075, kGreenCb = 3209, kGreenCr = 6660, kBlueCb = 16525;
constexpr int kRound = 1 << 12;

inline uint32_t Channel(int value) { return uint32_t(std::clamp(value >> 13, 0, 255)); }

inline uint32_t PixelOf(int y, int cb, int cr)
{
    const int c = (y - 16) * kLuma, d = cb - 128, e = cr - 128;
    return 0xFF000000u | Channel(c + kRedCr * e + kRound) << 16 |
           Channel(c - kGreenCb * d - kGreenCr * e + kRound) << 8 | Channel(c + kBlueCb * d + kRound);
}

// Two 16-bit factors as the pair _mm_madd_epi16 multiplies the low and high lanes by.
inline __m128i FactorPair(int low, int high)
{
    return _mm_set1_epi32(int(uint32_t(uint16_t(high)) << 16 | uint16_t(low)));
}

// Four pixels' channel from pairs (a, b) weighed by the factor pair, and pairs (e, 1) by another.
inline __m128i Weigh(__m128i pairs, __m128i factors) { return _mm_madd_epi16(pairs, factors); }

void ConvertPlanarRowSse2(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, int width, int chromaShiftX,
                          uint32_t* out)
{
    const __m128i zero = _mm_setzero_si128(), bias16 = _mm_set1_epi16(16), bias128 = _mm_set1_epi16(128);
    const __m128i red = FactorPair(kLuma, kRedCr), blue = FactorPair(kLuma, kBlueCb);
    const __m128i greenCb = FactorPair(kLuma, -kGreenCb), greenCr = FactorPair(-kGreenCr, kRound);
    const __m128i round = _mm_set1_epi32(kRound), one = _mm_set1_epi16(1), opaque = _mm_set1_epi16(255);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        __m128i b8, r8;
        if (chromaShiftX != 0) {
            int32_t b4, r4;
            std::memcpy(&b4, cb + x / 2, 4);
            std::memcpy(&r4, cr + x / 2, 4);
            b8 = _mm_cvtsi32_si128(b4);
            r8 = _mm_cvtsi32_si128(r4);
            b8 = _mm_unpacklo_epi8(b8, b8);
            r8 = _mm_unpacklo_epi8(r8, r8);
        } else {
            b8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x));
            r8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x));
        }
        const __m128i c =
            _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma + x)), zero), bias16);
        const __m128i d = _mm_sub_epi16(_mm_unpacklo_epi8(b8, zero), bias128);
        const __m128i e = _mm_sub_epi16(_mm_unpacklo_epi8(r8, zero), bias128);
        __m128i channels[3][2];  // blue, green, red; low and high four pixels
        for (int half = 0; half < 2; ++half) {
            const __m128i ce = half ? _mm_unpackhi_epi16(c, e) : _mm_unpacklo_epi16(c, e);
            const __m128i cd = half ? _mm_unpackhi_epi16(c, d) : _mm_unpacklo_epi16(c, d);
            const __m128i e1 = half ? _mm_unpackhi_epi16(e, one) : _mm_unpacklo_epi16(e, one);
            channels[0][half] = _mm_srai_epi32(_mm_add_epi32(Weigh(cd, blue), round), 13);
            channels[1][half] = _mm_srai_epi32(_mm_add_epi32(Weigh(cd, greenCb), Weigh(e1, greenCr)), 13);
            channels[2][half] = _mm_srai_epi32(_mm_add_epi32(Weigh(ce, red), round), 13);
        }
        const __m128i b16 = _mm_packs_epi32(channels[0][0], channels[0][1]);
        const __m128i g16 = _mm_packs_epi32(channels[1][0], channels[1][1]);
        const __m128i r16 = _mm_packs_epi32(channels[2][0], channels[2][1]);
        const __m128i br = _mm_packus_epi16(b16, r16), ga = _mm_packus_epi16(g16, opaque);
        const __m128i bg = _mm_unpacklo_epi8(br, ga), ra = _mm_unpackhi_epi8(br, ga);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi16(bg, ra));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi16(bg, ra));
    }
    for (; x < width; ++x) out[x] = PixelOf(luma[x], cb[x >> chromaShiftX], cr[x >> chromaShiftX]);
}

}  // namespace

void ConvertPlanarRowScalar(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, int width, int chromaShiftX,
                            uint32_t* out)
{
    for (int x = 0; x < width; ++x) out[x] = PixelOf(luma[x], cb[x >> chromaShiftX], cr[x >> chromaShiftX]);
}

PlanarRowConverter Sse2PlanarRowConverter() { return __builtin_cpu_supports("sse2") ? ConvertPlanarRowSse2 : nullptr; }

PlanarRowConverter ActivePlanarRowConverter()
{
    static const PlanarRowConverter chosen =
        Sse2PlanarRowConverter() ? Sse2PlanarRowConverter() : ConvertPlanarRowScalar;
    return chosen;
}

void ConvertPlanarRows(const PlanarPicture& p, int top, int rows, uint32_t* out, int32_t pitch)
{
    const PlanarRowConverter convert = ActivePlanarRowConverter();
    for (int i = 0; i < rows; ++i) {
        const int y = top + i, cy = y >> p.chromaShiftY;
        convert(p.planes[0] + intptr_t(y) * p.pitches[0], p.planes[1] + intptr_t(cy) * p.pitches[1],
                p.planes[2] + intptr_t(cy) * p.pitches[2], p.width, p.chromaShiftX, out + intptr_t(i) * pitch);
    }
}

int CopyPlanarPictureInBands(GraphicRecord* g, const PlanarPicture& picture, GraphicCopier copy)
{
    constexpr int kBandRows = 16;
    const int width = picture.width;
    auto* band =
        static_cast<uint32_t*>(TrackedAlloc(int32_t(sizeof(uint32_t)) * width * kBandRows, __FILE__, __LINE__));
    if (band == nullptr) return -1;
    ColorFormat argb;
    MakeArgb8Format(&argb);
    int result = 0;
    for (int top = 0; top < picture.height && result == 0; top += kBandRows) {
        const int rows = std::min(kBandRows, picture.height - top);
        ConvertPlanarRows(picture, top, rows, band, width);
        const PixelImage source{reinterpret_cast<uint8_t*>(band), width * 4, width, rows, &argb};
        result = copy(g, source, nullptr, PixelRect{0, 0, width, rows}, 0, top);
    }
    TrackedFree(band);
    return result;
}

}  // namespace ror
