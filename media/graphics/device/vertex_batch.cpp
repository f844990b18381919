#include "graphics/device/vertex_batch.h"

#include "graphics/device/device_state.h"

namespace ror {

VertexBatchRecord VertexBatch;

namespace {

void* BatchEnd(int32_t kind)
{
    VertexBatchRecord& b = VertexBatch;
    switch (kind) {
    case 0: return &b.plain[b.count];
    case 1: return &b.textured[b.count];
    default: return &b.twoTexture[b.count];
    }
}

const void* BatchStart(int32_t kind)
{
    VertexBatchRecord& b = VertexBatch;
    switch (kind) {
    case 0: return b.plain;
    case 1: return b.textured;
    default: return b.twoTexture;
    }
}

}  // namespace

void ResetVertexBatch()
{
    VertexBatchRecord& b = VertexBatch;
    for (DevicePlainVertex& v : b.plain) v.rhw = 1.0f;
    for (DeviceTexturedVertex& v : b.textured) v.rhw = 1.0f;
    for (DeviceTwoTextureVertex& v : b.twoTexture) {
        v.rhw = 1.0f;
        v.specular = 0xFFFFFFFFu;
    }
    b.kind = 0;
    b.primitive = kPrimTriangles;
    b.texture = 0;
    b.count = 0;
    b.lastKind = -1;
    b.suspended = 0;
}

void* ReserveBatch(int32_t kind, int32_t primitive, int32_t texture, int32_t count)
{
    VertexBatchRecord& b = VertexBatch;
    if (!DeviceState.device || kind < 0 || kind >= kBatchKinds || count <= 0 || count > kBatchCapacity[kind])
        return nullptr;
    if (b.count > 0 &&
        (b.kind != kind || b.primitive != primitive || b.texture != texture || b.count + count > kBatchCapacity[kind]))
        FlushBatch();
    BeginSceneIfNeeded();
    b.kind = kind;
    b.primitive = primitive;
    b.texture = texture;
    void* room = BatchEnd(kind);
    b.count += count;
    return room;
}

int FlushBatch()
{
    VertexBatchRecord& b = VertexBatch;
    if (!DeviceState.device) return -1;
    if (b.count > 0 && !b.suspended) {
        b.lastKind = b.kind;
        DrawGlVertices(BatchStart(b.kind), b.count, GlVertexLayout(b.kind), GlPrimitive(b.primitive), b.texture);
        ++b.flushes;
    }
    b.count = 0;
    return 0;
}

}  // namespace ror
