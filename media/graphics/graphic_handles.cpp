#include "graphics/graphic_handles.h"

#include "core/fatal_exit.h"
#include "core/tracked_memory.h"
#include "graphics/window_link.h"

#include <cstdint>
#include <cstring>

namespace ror {

GraphicTableRecord GraphicTable{{}, {HandleKind::Graphic, kGraphicSlots, GraphicTable.slots, 0}, 0, 0};
GraphicCreationSettings GraphicCreation{0, 0, 1, {0, 0, 0}};
void (*CloseMovieOfGraphic)(int32_t movie) = nullptr;

int NewGraphicHandle()
{
    GraphicTableRecord& t = GraphicTable;
    if (t.count >= kGraphicSlots) FatalExit("グラフィックの数が許容量を越えました終了します");
    int slot = t.highWater;
    if (slot >= kGraphicSlots) {
        slot = 0;
        while (t.slots[slot] != nullptr) ++slot;
    }
    auto* record = static_cast<GraphicRecord*>(TrackedAllocZeroed(sizeof(GraphicRecord), __FILE__, __LINE__));
    if (record == nullptr) FatalExit("メモリの確保に失敗しました");
    record->header.check = StampCheck(t.table);
    record->header.handle = MakeHandle(HandleKind::Graphic, slot, record->header.check);
    record->movie = -1;
    record->noDrawTargetSurface = 1;
    t.slots[slot] = &record->header;
    ++t.count;
    if (slot == t.highWater) ++t.highWater;
    return record->header.handle;
}

int SetGraphicSource(GraphicRecord* graphic, const char* path, int32_t x, int32_t y)
{
    const size_t length = std::strlen(path);
    if (length >= size_t(INT32_MAX)) return -1;
    auto* copy = static_cast<char*>(TrackedAlloc(int32_t(length + 1), __FILE__, __LINE__));
    if (copy == nullptr) return -1;
    std::memcpy(copy, path, length + 1);
    TrackedFree(graphic->sourcePath);
    graphic->sourcePath = copy;
    graphic->sourceX = x;
    graphic->sourceY = y;
    return 0;
}

GraphicRecord* ResolveGraphic(int handle)
{
    return reinterpret_cast<GraphicRecord*>(ResolveHandle(handle, GraphicTable.table));
}

void ResetGraphicCounters()
{
    // Identities keep counting across set-ups; only the slot bookkeeping starts over when empty.
    if (GraphicTable.count == 0) GraphicTable.highWater = 0;
}

int IsDrawableGraphic(const GraphicRecord* g)
{
    if (g == nullptr || g->image == nullptr) return 0;
    if (g->image->textured) return g->image->drawable;
    const MemImgStore* s = g->view.base;
    return s != nullptr && !s->isPalette && !s->hasAlpha && (s->kind == 0 || s->kind == 1) ? 1 : 0;
}

}  // namespace ror
