// The vertex batch of the device path: vertices of one kind, one primitive type and one
// texture collect here and go to the device in one draw when something else comes, the
// kind's buffer is full, or a flush is asked for (present, clear, target and state changes).
#pragma once
#include <cstdint>

namespace ror {

// Positions are pixels of the draw target with a pixel's centre at whole numbers; colours
// 0xAARRGGBB. rhw is 1.0 and the second colour 0xFFFFFFFF (set when the batch is made).
struct DevicePlainVertex {  // kind 0
    float x, y, z, rhw;
    uint32_t color;
};
struct DeviceTexturedVertex {  // kind 1
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
struct DeviceTwoTextureVertex {  // kind 2
    float x, y, z, rhw;
    uint32_t color, specular;
    float u1, v1, u2, v2;
};

constexpr int32_t kBatchKinds = 3;
constexpr int32_t kBatchCapacity[kBatchKinds] = {3225, 2340, 1638};

// Primitive types: point list 1, line list 2, line strip 3, triangle list 4, strip 5, fan 6.
constexpr int32_t kPrimPoints = 1, kPrimLines = 2, kPrimLineStrip = 3, kPrimTriangles = 4, kPrimStrip = 5, kPrimFan = 6;

struct VertexBatchRecord {
    int32_t kind;
    int32_t primitive;
    int32_t texture;  // GL texture id, 0 = none
    int32_t count;
    int32_t lastKind;   // the kind whose layout the device was last given, -1 none
    int32_t suspended;  // 1: flushes drop the vertices (drawing suspended)
    int64_t flushes;    // draws made by FlushBatch (for measurements)
    DevicePlainVertex plain[3225];
    DeviceTexturedVertex textured[2340];
    DeviceTwoTextureVertex twoTexture[1638];
};
extern VertexBatchRecord VertexBatch;

// Room for `count` vertices of the kind, primitive and texture at the batch's end, flushing
// first when it holds others or has no room; the caller fills them all. Opens the scene.
// Null without a device, or when count exceeds the kind's capacity.
void* ReserveBatch(int32_t kind, int32_t primitive, int32_t texture, int32_t count);
// Draws the batch and empties it. 0; -1 without a device.
int FlushBatch();
// Empties the batch, kind 0, rhw 1.0 and the second colour set in every vertex.
void ResetVertexBatch();

}  // namespace ror
