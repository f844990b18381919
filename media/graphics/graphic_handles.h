// The graphic handle table and the records of graphics and their shared images.
#pragma once
#include "core/handles.h"
#include "graphics/pixel_store.h"

#include <cstdint>

namespace ror {

constexpr int32_t kGraphicSlots = 32768;

// One texture of a textured image: where it sits in the image and how much of it is used.
struct TexturePiece {
    int32_t texture;  // GL texture id
    int32_t surface;  // render surface id for drawable images, else 0
    int32_t x, y;     // position in the image
    int32_t usedWidth, usedHeight;
    int32_t textureWidth, textureHeight;
};

// The part of one piece that a graphic covers.
struct TexturePlacement {
    int32_t piece;             // index into the image's pieces
    int32_t destX, destY;      // offset in the graphic
    int32_t sourceX, sourceY;  // offset in the piece's texture
    int32_t width, height;
    float corners[4][2];  // top-left, top-right, bottom-right, bottom-left, relative to the graphic
    float u0, v0, u1, v1;
};

struct GraphicImage {
    int32_t refCount;
    int32_t textured;  // 1 when the pixels live in textures (hardware path)
    int32_t formatSlot;
    int32_t drawable;
    int32_t defaultPool;
    int32_t levels;
    int32_t width, height;
    MEMIMG store;          // the whole image (software path)
    TexturePiece* pieces;  // textured images: the grid of textures, row by row
    int32_t pieceCount;
    int32_t keyColor;  // textured images: 0xRRGGBB of the transparent colour
    int32_t hasAlpha;
    // 1: a blend image, one 8-bit level per pixel in `store` (kind 2) on both paths; such
    // an image is only ever selected with SetBlendImage, never drawn or drawn into.
    int32_t blend;
    int32_t blendTexture;      // device path: the levels as one single-channel texture, 0 none
    int32_t smoothSampling;    // device path: 1 while its textures mix texels (linear filtering)
    int32_t planeTextures[3];  // device path: a movie's Y, Cb and Cr planes (R8 textures), 0 none
};

struct GraphicRecord {
    HandleHeader header;  // identity and handle
    int32_t* lostFlag;
    int32_t movie;  // -1 none
    GraphicImage* image;
    int32_t offsetX, offsetY;
    int32_t width, height;
    MEMIMG view;  // this graphic's part of the image
    int32_t noDrawTargetSurface;
    TexturePlacement* placements;  // textured images
    int32_t placementCount;
    // A graphic loaded from a file: the file's name (a tracked copy, null for none) and where
    // the graphic's top-left pixel lies in its picture, so that it can be loaded again.
    char* sourcePath;
    int32_t sourceX, sourceY;
    // 1 while a mode change that keeps graphics holds the record without an image.
    int32_t setAside;
};

struct GraphicTableRecord {
    HandleHeader* slots[kGraphicSlots];
    HandleTable table;  // kind 1, its check counter is the identity counter
    int32_t count;      // graphics in use
    int32_t highWater;  // slots below it have been used
};
extern GraphicTableRecord GraphicTable;

// Settings read when an image is made; callers save, change and restore them.
struct GraphicCreationSettings {
    int32_t colorDepth;  // 0 = the screen's, 16 or 32
    int32_t alphaChannel;
    int32_t useTransparentColor;
    int32_t transparentColor[3];  // red, green, blue
};
extern GraphicCreationSettings GraphicCreation;

// Called with a graphic's `movie` as the graphic goes, so that its movie closes with it; set
// by the movies once one is opened.
extern void (*CloseMovieOfGraphic)(int32_t movie);

int NewGraphicHandle();
// Records that the graphic's pixels come from the picture in `path`, from (x, y) on. 0 / -1.
int SetGraphicSource(GraphicRecord* graphic, const char* path, int32_t x, int32_t y);
GraphicRecord* ResolveGraphic(int handle);
void ResetGraphicCounters();
// 1 when the graphic may be the draw target: a colour image without alpha or palette.
int IsDrawableGraphic(const GraphicRecord* graphic);

}  // namespace ror
