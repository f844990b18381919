// The pixel records both drawing paths and the table between them share: rectangles and the
// MEMIMG views over a reference-counted store (the software path's images, and the blend
// levels on both paths). The routines over them are the software path's (software/memimg.h).
#pragma once
#include "graphics/color_format.h"

#include <algorithm>
#include <cstdint>

namespace ror {

// Left, top, right, bottom; right and bottom exclusive.
struct PixelRect {
    int32_t left, top, right, bottom;
};

// Cuts `rect` to `clip`; an inverted rect becomes empty. 0.
inline int ClipRect(PixelRect* r, const PixelRect* clip)
{
    if (r->right < r->left) r->right = r->left;
    if (r->bottom < r->top) r->bottom = r->top;
    r->bottom = std::clamp(r->bottom, clip->top, std::max(clip->top, clip->bottom));
    r->top = std::clamp(r->top, clip->top, std::max(clip->top, clip->bottom));
    r->right = std::clamp(r->right, clip->left, std::max(clip->left, clip->right));
    r->left = std::clamp(r->left, clip->left, std::max(clip->left, clip->right));
    return 0;
}

constexpr uint32_t kMemImgMagic = 0x12345678;

struct MemImgStore {
    int32_t refCount;
    int32_t width, height;
    int32_t pitch;
    uint32_t pitchShift;  // log2(pitch) when the pitch is a power of two, else all ones
    const ColorFormat* format;
    int32_t colorKey;
    int32_t kind;  // 0 16-bit, 1 32-bit, 2 one 8-bit channel, 3 one 16-bit channel
    int32_t isPalette;
    uint32_t paletteCount;
    int32_t hasAlpha;
    int32_t planeValid;
    int32_t runsValid;
    int32_t userBuffer;
    uint8_t* palette;  // 256 source entries, then 256 entries in the screen format
    uint8_t* convertedPalette;
    uint8_t* pixelBuffer;
    uint8_t* planeBuffer;
    uint8_t* runTable;
};

struct MEMIMG {
    uint32_t magic;
    int32_t width;
    int32_t height;
    uint8_t* pixels;
    uint8_t* alphaPlane;
    MemImgStore* base;
};

inline int MemImgPixelBytes(const MEMIMG* view) { return view->base->format->pixelBytes; }
inline uint8_t* MemImgRow(const MEMIMG* view, int y) { return view->pixels + intptr_t(y) * view->base->pitch; }

}  // namespace ror
