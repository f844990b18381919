// The software path's table of drawing operations and the routines it names.
#pragma once
#include "graphics/draw_ops.h"
#include "text/string_draw.h"  // SoftwareDrawText

namespace ror {

// Screen (software_screen.cpp).
int SoftwareOpenScreen();
void SoftwareReleaseScreen();
int SoftwareClearScreen();
int SoftwarePresentScreen();
int SoftwareReadScreenPixels(uint32_t* pixels);
int SoftwareReadScreenPixel(int x, int y, uint32_t* argb);
int SoftwareSetDrawTarget(int32_t handle, GraphicRecord* graphic);
void SoftwareSetDrawRegion(const PixelRect& area);
void SoftwareBlendStateChanged();
void SoftwareSetBlendImage(GraphicRecord* graphic);

// Shapes (software_shapes.cpp).
int SoftwareDrawLine(int x1, int y1, int x2, int y2, uint32_t color);
int SoftwareDrawBox(int x1, int y1, int x2, int y2, uint32_t color, int filled);
int SoftwareSubmitVertices(const PolygonVertex* vertices, int count, int type, int texture, int flag);

// Graphics (software_graphics.cpp).
int SoftwareCreateGraphicImage(GraphicRecord* g);
int SoftwareAttachSubGraphic(GraphicRecord* g, const GraphicRecord* source, int x, int y);
void SoftwareReleaseGraphicView(GraphicRecord* g);
void SoftwareReleaseGraphicImage(GraphicImage* image);
int SoftwarePaintGraphic(GraphicRecord* g, int red, int green, int blue, int alpha);
int SoftwarePutGraphic(int x, int y, GraphicRecord* g, int useTransparency);
int SoftwarePutGraphicQuad(const float corners[4][2], GraphicRecord* g, int useTransparency);
int SoftwarePutPlanarPicture(GraphicRecord* g, const PlanarPicture& picture);
int SoftwareCopyToGraphic(GraphicRecord* g, const PixelImage& source, const PixelImage* alpha, const PixelRect& rect,
                          int x, int y);
int SoftwareReadGraphicPixels(GraphicRecord* g, uint32_t* argb);
int SoftwareReadGraphicPixel(GraphicRecord* g, int x, int y, uint32_t* argb);
int SoftwarePutGraphicTransformed(GraphicRecord* g, const SpriteMapping& m, int useTransparency);
int SoftwareUploadBlendImage(GraphicImage* image, const PixelRect& area);
void SoftwareReleaseBlendImage(GraphicImage* image);
inline int SoftwareGlyphsInTextures() { return 0; }

inline constexpr DrawOpsTable kSoftwareDrawOps = {
    .openScreen = SoftwareOpenScreen,
    .releaseScreen = SoftwareReleaseScreen,
    .clearScreen = SoftwareClearScreen,
    .presentScreen = SoftwarePresentScreen,
    .readScreenPixels = SoftwareReadScreenPixels,
    .setDrawTarget = SoftwareSetDrawTarget,
    .setDrawRegion = SoftwareSetDrawRegion,
    .blendStateChanged = SoftwareBlendStateChanged,
    .setBlendImage = SoftwareSetBlendImage,
    .drawLine = SoftwareDrawLine,
    .drawBox = SoftwareDrawBox,
    .submitVertices = SoftwareSubmitVertices,
    .createGraphicImage = SoftwareCreateGraphicImage,
    .attachSubGraphic = SoftwareAttachSubGraphic,
    .releaseGraphicView = SoftwareReleaseGraphicView,
    .releaseGraphicImage = SoftwareReleaseGraphicImage,
    .paintGraphic = SoftwarePaintGraphic,
    .putGraphic = SoftwarePutGraphic,
    .putGraphicQuad = SoftwarePutGraphicQuad,
    .putGraphicTransformed = SoftwarePutGraphicTransformed,
    .copyToGraphic = SoftwareCopyToGraphic,
    .readGraphicPixels = SoftwareReadGraphicPixels,
    .readScreenPixel = SoftwareReadScreenPixel,
    .readGraphicPixel = SoftwareReadGraphicPixel,
    .putPlanarPicture = SoftwarePutPlanarPicture,
    .uploadBlendImage = SoftwareUploadBlendImage,
    .releaseBlendImage = SoftwareReleaseBlendImage,
    .glyphsInTextures = SoftwareGlyphsInTextures,
    .drawText = SoftwareDrawText,
};

}  // namespace ror
