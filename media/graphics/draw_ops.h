// The table of drawing operations: one per drawing path, chosen once when graphics are set
// up. The public drawing operations check what both paths share (arguments, start-up, an
// empty draw area, the wait while the window is inactive) and then call the installed entry.
#pragma once
#include "graphics/graphic_handles.h"
#include "graphics/pixel_convert.h"
#include "graphics/pixel_store.h"
#include "image/planar_picture.h"

#include <cstdint>

namespace ror {

struct PolygonVertex;
struct SpriteMapping;
struct FontRecord;
enum class TextCodes : int32_t;

struct DrawOpsTable {
    // The screen. openScreen runs once graphics are ready and the path is chosen (the software
    // path makes its screen images there); releaseScreen undoes it at release.
    int (*openScreen)();
    void (*releaseScreen)();
    // Clears the whole draw target (not only the draw area) to the background colour. 0.
    int (*clearScreen)();
    // Shows the back screen. Called only once the layer has started. 0.
    int (*presentScreen)();
    // Copies the back screen, row after row, as 0xFFRRGGBB values into `pixels` (room for the
    // screen's width x height). Drawing still pending is drawn first. 0 / -1.
    int (*readScreenPixels)(uint32_t* pixels);

    // The drawing state. DrawState already holds the new values when these run.
    // The draw target became `handle`; `graphic` is its record, null for the screens. 0 / -1.
    int (*setDrawTarget)(int32_t handle, GraphicRecord* graphic);
    void (*setDrawRegion)(const PixelRect& area);   // also when the area is empty
    void (*blendStateChanged)();                    // blend mode, parameter or brightness
    void (*setBlendImage)(GraphicRecord* graphic);  // null: none

    // Shapes, called with a draw area that is not empty, graphics set up, after the wait.
    int (*drawLine)(int x1, int y1, int x2, int y2, uint32_t color);  // one pixel wide
    int (*drawBox)(int x1, int y1, int x2, int y2, uint32_t color, int filled);
    // Vertices not null, type a known one, at least one point, line or triangle's worth, all
    // coordinates finite; a texture other than kNoTexture is a live graphic's handle.
    int (*submitVertices)(const PolygonVertex* vertices, int count, int type, int texture, int flag);

    // Graphics. The shared code owns handles, records, reference counts and argument checks.
    // A new image: g->image is a zeroed GraphicImage with refCount 1, width and height set;
    // g->width and g->height set. Makes the pixel store (or textures) and the graphic's view. 0 / -1.
    int (*createGraphicImage)(GraphicRecord* g);
    // g shares source's image; offsets and size (already cut) set. Makes g's view. 0 / -1.
    int (*attachSubGraphic)(GraphicRecord* g, const GraphicRecord* source, int x, int y);
    void (*releaseGraphicView)(GraphicRecord* g);
    void (*releaseGraphicImage)(GraphicImage* image);  // its last graphic went; not the record itself
    int (*paintGraphic)(GraphicRecord* g, int red, int green, int blue, int alpha);  // 0-255 each
    // Called after the shared preconditions and the wait; the draw area is not empty.
    int (*putGraphic)(int x, int y, GraphicRecord* g, int useTransparency);
    int (*putGraphicQuad)(const float corners[4][2], GraphicRecord* g, int useTransparency);
    // A part of g through the mapping: its part inside g, its scales not 0, a blend image
    // (if any) at least the part's size.
    int (*putGraphicTransformed)(GraphicRecord* g, const SpriteMapping& mapping, int useTransparency);
    // rect is already cut to the source, the alpha image and the graphic, and is not empty.
    int (*copyToGraphic)(GraphicRecord* g, const PixelImage& source, const PixelImage* alpha, const PixelRect& rect,
                         int x, int y);
    // The graphic's pixels as 0xAARRGGBB rows of its width. 0 / -1 (pixels the path cannot read).
    int (*readGraphicPixels)(GraphicRecord* g, uint32_t* argb);
    // One pixel as 0xAARRGGBB: of the back screen (drawing pending drawn first), or of a graphic
    // (not a blend image); (x, y) inside it. 0 / -1.
    int (*readScreenPixel)(int x, int y, uint32_t* argb);
    int (*readGraphicPixel)(GraphicRecord* g, int x, int y, uint32_t* argb);

    // Movies: the picture (of g's size) becomes g's pixels; g is a whole graphic made by
    // createGraphicImage as a colour image without alpha. 0 / -1.
    int (*putPlanarPicture)(GraphicRecord* g, const PlanarPicture& picture);

    // Blend images: the levels in image->store changed within `area` (of the whole image), or
    // the image is new (area is all of it). 0 / -1.
    int (*uploadBlendImage)(GraphicImage* image, const PixelRect& area);
    void (*releaseBlendImage)(GraphicImage* image);  // before the store is released

    // Text: 1 when fonts keep their glyphs in a texture graphic drawn with textured triangles
    // (submitVertices), 0 when the glyph cache is an image the software routines draw from.
    int (*glyphsInTextures)();
    // Draws a string with a font made while this table was installed: text not empty, the
    // font resolved, the draw area not empty, after the wait; its bytes make characters by
    // `codes`. 0 / -1.
    int (*drawText)(int x, int y, const char* text, uint32_t color, int fontHandle, FontRecord* font,
                    uint32_t edgeColor, TextCodes codes);
};

// No entry is optional: the shared code calls each without a null check.

// The installed table; the software path's until a device path is opened.
extern DrawOpsTable DrawOps;
// Copies `table` in; null installs the software path's table. 0.
int InstallDrawOps(const DrawOpsTable* table);

}  // namespace ror
