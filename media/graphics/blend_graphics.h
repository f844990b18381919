// Blend images: graphics that hold one 8-bit level per pixel, selected with SetBlendImage to
// weigh how strongly each pixel of a drawn graphic shows (wipes and other transitions).
#pragma once
#include "rorodiv.h"
#include "graphics/graphic_handles.h"

#include <cstdint>

namespace ror {

// A new blend image from 0xAARRGGBB rows (`pitch` pixels apart): each level is the pixel's
// brightness. The handle, or -1.
int BlendGraphicOfPixels(const uint32_t* argb, int pitch, int width, int height);
// Writes the brightness of width x height 0xAARRGGBB pixels (`pitch` pixels apart) to (x, y)
// of the blend graphic; the caller keeps the rectangle inside it. 0 / -1.
int WriteBlendLevels(GraphicRecord* g, const uint32_t* argb, int pitch, int x, int y, int width, int height);
// Hands the levels of a rectangle of the blend graphic to the drawing path (the device keeps
// a texture of them). 0 / -1.
int UploadBlendLevels(GraphicRecord* g, int x, int y, int width, int height);
// Fills the whole blend graphic with one level. 0 / -1.
int FillBlendLevels(GraphicRecord* g, int level);

// The level of a colour: its brightness, exact for greys.
inline uint8_t BrightnessOf(uint32_t argb)
{
    const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return uint8_t((77 * r + 150 * g + 29 * b) >> 8);
}

inline bool IsBlendGraphic(const GraphicRecord* g)
{
    return g != nullptr && g->image != nullptr && g->image->blend != 0;
}

}  // namespace ror
