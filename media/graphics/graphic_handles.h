// The graphic handle table and the records of graphics and their shared images.
#pragma once
#include "core/handles.h"
#include "graphics/software/memimg.h"

#include <cstdint>

constexpr int32_t kGraphicSlots = 32768;

struct GraphicImage {
    int32_t refCount;
    int32_t textured;    // 1 when the pixels live in textures (hardware path)
    int32_t formatSlot;
    int32_t drawable;
    int32_t defaultPool;
    int32_t levels;
    int32_t width, height;
    MEMIMG store;        // the whole image (software path)
};

struct GraphicRecord {
    HandleHeader header;  // identity and handle
    int32_t* lostFlag;
    int32_t movie;        // -1 none
    GraphicImage* image;
    int32_t offsetX, offsetY;
    int32_t width, height;
    MEMIMG view;          // this graphic's part of the image
    int32_t noDrawTargetSurface;
};

struct GraphicTableRecord {
    HandleHeader* slots[kGraphicSlots];
    HandleTable table;    // kind 1, its check counter is the identity counter
    int32_t count;        // graphics in use
    int32_t highWater;    // slots below it have been used
};
extern GraphicTableRecord GraphicTable;

// Settings read when an image is made; callers save, change and restore them.
struct GraphicCreationSettings {
    int32_t colorDepth;        // 0 = the screen's, 16 or 32
    int32_t alphaChannel;
    int32_t useTransparentColor;
    int32_t transparentColor[3];  // red, green, blue
};
extern GraphicCreationSettings GraphicCreation;

int NewGraphicHandle();
GraphicRecord* ResolveGraphic(int handle);
void ResetGraphicCounters();
// 1 when the graphic may be the draw target: a colour image without alpha or palette.
int IsDrawableGraphic(const GraphicRecord* graphic);
