// Graphics on the device path: images held in power-of-two textures.
#pragma once
#include "graphics/draw_ops.h"

#include <cstdint>

namespace ror {

struct PolygonVertex;

// Settings of the texture division: a maximum texture size (0: the device's) and whether
// every image is kept in one texture.
struct TextureSettingsRecord {
    int32_t maxTextureSize;
    int32_t forceSingle;
};
extern TextureSettingsRecord TextureSettings;

// The texture sizes one side of `size` pixels is divided into (into `out`, which may be null,
// room for 64). Returns how many.
int SplitTextureSize(int size, int32_t* out, int forceSingle);
// Creates the textures of an image's pieces that have none, each cleared to transparent black.
int CreateTextures(GraphicImage* image);

// The entries of the device path's table of drawing operations for graphics.
int DeviceCreateGraphicImage(GraphicRecord* g);
int DeviceAttachSubGraphic(GraphicRecord* g, const GraphicRecord* source, int x, int y);
void DeviceReleaseGraphicView(GraphicRecord* g);
void DeviceReleaseGraphicImage(GraphicImage* image);
int DevicePaintGraphic(GraphicRecord* g, int red, int green, int blue, int alpha);
int DevicePutGraphic(int x, int y, GraphicRecord* g, int useTransparency);
int DevicePutGraphicQuad(const float corners[4][2], GraphicRecord* g, int useTransparency);
int DeviceCopyToGraphic(GraphicRecord* g, const PixelImage& source, const PixelImage* alpha, const PixelRect& rect,
                        int x, int y);
int DevicePutPlanarPicture(GraphicRecord* g, const PlanarPicture& picture);
int DeviceReadGraphicPixels(GraphicRecord* g, uint32_t* argb);
int DeviceReadGraphicPixel(GraphicRecord* g, int x, int y, uint32_t* argb);
int DevicePutGraphicTransformed(GraphicRecord* g, const SpriteMapping& m, int useTransparency);
int DeviceUploadBlendImage(GraphicImage* image, const PixelRect& area);
void DeviceReleaseBlendImage(GraphicImage* image);

// The render surface of a graphic that can be the draw target; 0 when it has none.
int32_t DeviceGraphicSurface(GraphicRecord* g);
// Polygons textured with a graphic (texture = its handle; u and v run 0 to 1 over it).
int SubmitTexturedVertices(const PolygonVertex* vertices, int count, int type, int texture, int flag);
// The device's texel rule and blend must be set again before the next textured draw.
void ForgetTexelState();

}  // namespace ror
