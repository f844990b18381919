// Planar pictures (Y, Cb, Cr, studio range) into 0xFFRRGGBB pixels, in fixed point with 13
// fraction bits; the SSE2 form gives the same bytes as the scalar one.
#pragma once
#include <cstdint>

#include "graphics/graphic_handles.h"
#include "graphics/pixel_convert.h"
#include "image/planar_picture.h"

namespace ror {

// One row of `width` pixels; the chroma rows are read at x >> chromaShiftX.
using PlanarRowConverter = void (*)(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, int width,
                                    int chromaShiftX, uint32_t* out);
void ConvertPlanarRowScalar(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, int width, int chromaShiftX,
                            uint32_t* out);
// The SSE2 form, or null when the processor lacks it.
PlanarRowConverter Sse2PlanarRowConverter();
// The fastest form this processor runs.
PlanarRowConverter ActivePlanarRowConverter();

// Rows top .. top + rows - 1 of the picture into `out` (pitch in pixels).
void ConvertPlanarRows(const PlanarPicture& picture, int top, int rows, uint32_t* out, int32_t pitch);

// The picture converted a band of rows at a time and each band handed to `copy` (a path's
// copyToGraphic entry) at its place in g. 0 / -1.
using GraphicCopier = int (*)(GraphicRecord* g, const PixelImage& source, const PixelImage* alpha,
                              const PixelRect& rect, int x, int y);
int CopyPlanarPictureInBands(GraphicRecord* g, const PlanarPicture& picture, GraphicCopier copy);

}  // namespace ror
