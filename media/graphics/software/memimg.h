// The software image: MEMIMG views over a shared, reference-counted MemImgStore.
#pragma once
#include "graphics/color_format.h"

#include <cstdint>

constexpr uint32_t kMemImgMagic = 0x12345678;

// Left, top, right, bottom; right and bottom exclusive.
struct PixelRect {
    int32_t left, top, right, bottom;
};

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

int CreateMemImg(MEMIMG* view, int width, int height, int pitch, int colorKey, int kind, int isPalette, int hasAlpha,
                 int withExtras, void* buffer);
int CreateScreenImage(MEMIMG* view, int width, int height, int kind);
void MakeSubImage(MEMIMG* view, const MEMIMG* source, int x, int y, int width, int height);
int IsValidMemImg(const MEMIMG* view);
int ReleaseMemImg(MEMIMG* view);
void FillMemImg(MEMIMG* view, const PixelRect* rect, uint32_t value);
int ClipRect(PixelRect* rect, const PixelRect* clip);
void PaintBoxMemImg(MEMIMG* view, const PixelRect* rect, uint32_t color);
void PlotLineMemImg(MEMIMG* view, int x1, int y1, int x2, int y2, uint32_t color);

inline int MemImgPixelBytes(const MEMIMG* view) { return view->base->format->pixelBytes; }
inline uint8_t* MemImgRow(const MEMIMG* view, int y) { return view->pixels + intptr_t(y) * view->base->pitch; }

// The images of the software path: the screen and the two work images of string drawing.
struct SoftwareScreen {
    MEMIMG screen;
    MEMIMG work;
    MEMIMG workAlpha;
    MEMIMG* target;  // the current draw target image
};
extern SoftwareScreen SoftScreen;
