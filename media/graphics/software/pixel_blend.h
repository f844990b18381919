// Per-pixel blend rules of the software path, as compile-time templates: each combination
// of depth, source kind, transparency, brightness, blend image and mode gets its own loop.
#pragma once
#include "graphics/blend_tables.h"

#include <cstdint>

namespace ror {

// Channel layouts; channel 0 is blue, 1 green, 2 red.
struct Layout32 {
    using Pixel = uint32_t;
    static constexpr int kShift[3] = {0, 8, 16};
    static constexpr int kWidth[3] = {8, 8, 8};
    static constexpr int kMax[3] = {255, 255, 255};
    static constexpr uint32_t kKeepMask = 0xFF000000u;  // bits a blend leaves to the destination
    static constexpr uint32_t kColourMask = 0x00FFFFFFu;
    static constexpr bool kUsesDeltaTable = false;
};

struct Layout16 {
    using Pixel = uint16_t;
    static constexpr int kShift[3] = {0, 5, 11};
    static constexpr int kWidth[3] = {5, 6, 5};
    static constexpr int kMax[3] = {31, 63, 31};
    static constexpr uint32_t kKeepMask = 0;
    static constexpr uint32_t kColourMask = 0xFFFFu;
    static constexpr bool kUsesDeltaTable = true;
};

template <class L>
inline int Channel(uint32_t v, int i)
{
    return int(v >> L::kShift[i]) & L::kMax[i];
}

template <class L>
inline uint32_t Assemble(uint32_t keep, const int c[3])
{
    return keep | (uint32_t(c[0]) << L::kShift[0]) | (uint32_t(c[1]) << L::kShift[1]) |
           (uint32_t(c[2]) << L::kShift[2]);
}

// Mode 1's constant-strength step from d towards t: the byte form on 32-bit images, the
// delta table on the 5-6-5 fields.
template <class L>
inline int LerpParam(int d, int t, int p)
{
    if constexpr (L::kUsesDeltaTable)
        return d + DeltaTable(p, t - d);
    else
        // Full strength is the target itself; the byte form would stop one unit short.
        return p == 255 ? t : ((t - d) * p + 256 * d) >> 8;
}

// Strength p scaled by source alpha a (0 < a < 255).
inline int LerpAlphaParam(int d, int t, int a, int p) { return d - ((a * (d - t) * p + 0xFFFF) >> 16); }

// Strength p scaled by the blend image's weight w.
inline int LerpWeightParam(int d, int t, int w, int p) { return d + ((w * (t - d) * p) >> 16); }

inline int LerpWeightAlphaParam(int d, int t, int w, int a, int p)
{
    return int(d - ((int64_t(w) * (d - t) * a * p + 0xFFFFFF) >> 24));
}

// ---- Constant-colour drawing (boxes and lines) ----

enum SolidOpKind { kSolidNone, kSolidSet, kSolidAlpha, kSolidAdd, kSolidSub, kSolidMul, kSolidMulAlpha };

struct SolidColor {
    uint32_t color;  // prepared colour (brightness applied, inverted for mode 10)
    int channel[3];  // its channels
    int param;
    int amount[3];     // MulTable[param][channel] for add and subtract
    uint32_t amounts;  // the same, packed in the layout
};

template <class L, int Op>
inline void ApplySolid(typename L::Pixel* px, const SolidColor& s)
{
    using Pixel = typename L::Pixel;
    const uint32_t d = *px;
    if constexpr (Op == kSolidSet) {
        *px = Pixel(s.color);
    } else {
        int c[3];
        for (int i = 0; i < 3; ++i) {
            const int dc = Channel<L>(d, i);
            if constexpr (Op == kSolidAlpha) {
                c[i] = LerpParam<L>(dc, s.channel[i], s.param);
            } else if constexpr (Op == kSolidAdd) {
                const int v = dc + s.amount[i];
                c[i] = v > L::kMax[i] ? L::kMax[i] : v;
            } else if constexpr (Op == kSolidSub) {
                const int v = dc - s.amount[i];
                c[i] = v < 0 ? 0 : v;
            } else if constexpr (Op == kSolidMul) {
                c[i] = (dc * s.channel[i]) >> L::kWidth[i];
            } else {
                const int m = (dc * s.channel[i]) >> L::kWidth[i];
                c[i] = LerpParam<L>(dc, m, s.param);
            }
        }
        *px = Pixel(Assemble<L>(d & L::kKeepMask, c));
    }
}

// Prepares the colour for the current brightness, blend mode and parameter; returns the
// operation to run, kSolidNone when nothing is drawn.
int PrepareSolidColor(uint32_t color, bool sixteen, SolidColor* out);

// ---- Image drawing ----

enum BlitSourceKind { kSourcePlain, kSourceAlpha, kSourcePalette };

struct BlitContext {
    int param;
    uint8_t bright[3];  // blue, green, red
    uint32_t colorKey;
    const uint32_t* palette;  // converted palette of a palette source
    const uint8_t* rule;      // RuleTable of the blend image
};

template <class L, int Kind>
struct BlitSource;

template <class L>
struct BlitSource<L, kSourcePlain> {
    using Raw = typename L::Pixel;
    static uint32_t Colour(Raw s, const BlitContext&) { return s; }
    static int Alpha(Raw) { return 255; }
    static bool Transparent(Raw s, const BlitContext& ctx) { return s == ctx.colorKey; }
};

template <class L>
struct BlitSource<L, kSourceAlpha> {
    using Raw = uint32_t;
    static constexpr int kAlphaShift = sizeof(typename L::Pixel) == 4 ? 24 : 16;
    static uint32_t Colour(Raw s, const BlitContext&) { return sizeof(typename L::Pixel) == 4 ? s : (s & 0xFFFF); }
    static int Alpha(Raw s) { return int(s >> kAlphaShift) & 0xFF; }
    static bool Transparent(Raw s, const BlitContext&) { return Alpha(s) == 0; }
};

template <class L>
struct BlitSource<L, kSourcePalette> {
    using Raw = uint8_t;
    static uint32_t Colour(Raw s, const BlitContext& ctx) { return ctx.palette[s] & (L::kKeepMask | L::kColourMask); }
    static int Alpha(Raw) { return 255; }
    static bool Transparent(Raw s, const BlitContext& ctx) { return s == ctx.colorKey; }
};

// Blend modes as the image loops see them: kBlitCopy is mode 0 (and mode 1 at full strength
// for sources without alpha), kBlitHalf mode 1 at 128 with default brightness.
enum BlitModeKind { kBlitCopy, kBlitLerp, kBlitHalf, kBlitAdd, kBlitSub, kBlitMul, kBlitInvert, kBlitMulLerp };

template <class L, int Kind, bool Trans, bool Bright, bool Blend, int Mode>
inline void BlitPixel(typename L::Pixel* px, typename BlitSource<L, Kind>::Raw raw, int g, const BlitContext& ctx)
{
    using S = BlitSource<L, Kind>;
    using Pixel = typename L::Pixel;
    if constexpr (Trans) {
        if (S::Transparent(raw, ctx)) return;
    }
    const uint32_t sColour = S::Colour(raw, ctx);
    const int a = S::Alpha(raw);
    constexpr bool kHasAlpha = Kind == kSourceAlpha;
    if constexpr (kHasAlpha && !Trans && Mode != kBlitCopy) {
        if (a == 0) return;
    }
    const uint32_t d = *px;
    int s[3], dc[3], c[3];
    for (int i = 0; i < 3; ++i) {
        s[i] = Channel<L>(sColour, i);
        if constexpr (Bright) s[i] = MulTable(ctx.bright[i], s[i]);
        dc[i] = Channel<L>(d, i);
    }
    const int w = Blend ? ctx.rule[g] : 0;

    if constexpr (Mode == kBlitCopy && !Blend) {
        if constexpr (!kHasAlpha) {
            if constexpr (!Bright)
                *px = Pixel(sColour);
            else
                *px = Pixel(Assemble<L>(d & L::kKeepMask, s));
        } else if constexpr (!Trans && !Bright) {
            *px = Pixel(sColour);
        } else {
            if (Trans && a == 255) {
                *px = Bright ? Pixel(Assemble<L>(d & L::kKeepMask, s)) : Pixel(sColour);
                return;
            }
            for (int i = 0; i < 3; ++i) c[i] = dc[i] - ((a * (dc[i] - s[i]) + 255) >> 8);
            *px = Pixel(Assemble<L>(d & L::kKeepMask, c));
        }
        return;
    } else if constexpr (Mode == kBlitHalf) {
        for (int i = 0; i < 3; ++i) c[i] = (s[i] >> 1) + (dc[i] >> 1);
        *px = Pixel(Assemble<L>(0, c));
        return;
    } else if constexpr (Mode == kBlitAdd || Mode == kBlitSub) {
        int q = ctx.param;
        if constexpr (Blend) q = MulTable(w, q);
        if constexpr (kHasAlpha) q = MulTable(q, a);
        for (int i = 0; i < 3; ++i) {
            const int amount = MulTable(q, s[i]);
            if constexpr (Mode == kBlitAdd) {
                const int v = dc[i] + amount;
                c[i] = v > L::kMax[i] ? L::kMax[i] : v;
            } else {
                const int v = dc[i] - amount;
                c[i] = v < 0 ? 0 : v;
            }
        }
    } else {
        // Every other mode moves each channel towards a target with a strength.
        const int p = (Mode == kBlitCopy || Mode == kBlitMul) ? 255 : ctx.param;
        for (int i = 0; i < 3; ++i) {
            int t = s[i];
            if constexpr (Mode == kBlitInvert) t = L::kMax[i] - s[i];
            if constexpr (Mode == kBlitMul || Mode == kBlitMulLerp) t = (dc[i] * s[i]) >> L::kWidth[i];
            if constexpr (Blend) {
                c[i] = kHasAlpha ? LerpWeightAlphaParam(dc[i], t, w, a, p) : LerpWeightParam(dc[i], t, w, p);
            } else if constexpr (Mode == kBlitMul && !kHasAlpha) {
                c[i] = t;
            } else if constexpr (kHasAlpha) {
                c[i] = a == 255 ? LerpParam<L>(dc[i], t, p) : LerpAlphaParam(dc[i], t, a, p);
            } else {
                c[i] = LerpParam<L>(dc[i], t, p);
            }
        }
    }
    *px = Pixel(Assemble<L>(d & L::kKeepMask, c));
}

}  // namespace ror
