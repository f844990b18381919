// The device path's forms of the screen and shape operations: the entries of its table of
// drawing operations (same contracts as the table's).
#pragma once
#include "graphics/graphic_handles.h"

#include <cstdint>

namespace ror {

struct PixelRect;
struct PolygonVertex;

int DeviceOpenScreen();
void DeviceReleaseScreen();
int DeviceClearScreen();
int DevicePresentScreen();
int DeviceReadScreenPixels(uint32_t* pixels);
int DeviceReadScreenPixel(int x, int y, uint32_t* argb);
int DeviceSetDrawTarget(int32_t handle, GraphicRecord* graphic);
void DeviceSetDrawRegion(const PixelRect& area);
void DeviceBlendStateChanged();
void DeviceSetBlendImage(GraphicRecord* graphic);
int DeviceDrawLine(int x1, int y1, int x2, int y2, uint32_t color);
int DeviceDrawBox(int x1, int y1, int x2, int y2, uint32_t color, int filled);
int DeviceSubmitVertices(const PolygonVertex* vertices, int count, int type, int texture, int flag);

}  // namespace ror
