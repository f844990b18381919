// Graphics named by handles: creation, derived graphics, deletion, filling, drawing and
// copying pixels in.
#pragma once
#include "rorodiv.h"
#include "graphics/software/memimg.h"
#include "graphics/pixel_convert.h"

#include <cstdint>

namespace ror {

struct GraphicRecord;

// A new graphic handle with an empty image record of the size (no pixel store yet): the
// handle, or -1.
int NewImageGraphic(int width, int height);
// Every graphic but those set aside over a mode change.
int DestroyAllGraphics();
// Releases the graphic's view and its share of the image, keeping the record and its handle
// (set aside until AttachGraphicToImageOf gives it an image again).
void SetGraphicAside(GraphicRecord* g);
// Makes the set-aside graphic a view of `whole`'s image at its own offset and size again
// (`whole` covers its image from (0, 0)). 0 / -1.
int AttachGraphicToImageOf(GraphicRecord* g, GraphicRecord* whole);
int WatchGraphicLoss(int handle, int32_t* flag);
// Copies `rect` of the source (and, when given, the alpha of `alpha`'s pixels at the same
// places) to (x, y) of the graphic, converting the pixel format.
int CopyImageToGraphic(int handle, const PixelImage& source, const PixelImage* alpha, const PixelRect& rect, int x,
                       int y);
int GraphicSize(int handle, int* width, int* height);
// True when a blend image is selected and is narrower or lower than width x height.
bool BlendImageSmallerThan(int width, int height);

}  // namespace ror
