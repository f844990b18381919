// The software image: MEMIMG views over a shared, reference-counted MemImgStore.
#pragma once
#include "graphics/color_format.h"
#include "graphics/pixel_store.h"

#include <cstdint>

namespace ror {

int CreateMemImg(MEMIMG* view, int width, int height, int pitch, int colorKey, int kind, int isPalette, int hasAlpha,
                 int withExtras, void* buffer);
int CreateScreenImage(MEMIMG* view, int width, int height, int kind);
void MakeSubImage(MEMIMG* view, const MEMIMG* source, int x, int y, int width, int height);
int IsValidMemImg(const MEMIMG* view);
int ReleaseMemImg(MEMIMG* view);
void FillMemImg(MEMIMG* view, const PixelRect* rect, uint32_t value);
void PaintBoxMemImg(MEMIMG* view, const PixelRect* rect, uint32_t color);
void PlotLineMemImg(MEMIMG* view, int x1, int y1, int x2, int y2, uint32_t color);

// The images of the software path: the screen and the two work images of string drawing.
struct SoftwareScreen {
    MEMIMG screen;
    MEMIMG work;
    MEMIMG workAlpha;
    MEMIMG* target;  // the current draw target image
};
extern SoftwareScreen SoftScreen;

}  // namespace ror
