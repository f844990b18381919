#include "file/search_handles.h"
#include "rorodiv.h"

#include "core/app_log.h"

namespace ror {

SearchHandlesState SearchHandles = {
    {},
    {HandleKind::PlainSearch, kSearchTableSize, SearchHandles.plainSlots, 0},
    {},
    {HandleKind::ArchiveSearch, kSearchTableSize, SearchHandles.archiveSlots, 0},
};

SearchValue AddSearchHandle(HandleTable& table, HandleHeader* record)
{
    for (int32_t slot = 0; slot < table.indexLimit; ++slot) {
        if (table.slots[slot] != nullptr) continue;
        record->check = StampCheck(table);
        record->handle = MakeHandle(table.kind, slot, record->check);
        table.slots[slot] = record;
        return record->handle;
    }
    LogWriteFormat("作成できるファイル検索ハンドル数 %d の限界を超えました\n", table.indexLimit);
    return kNoSearch;
}

HandleHeader* ResolveSearch(SearchValue value, const HandleTable& table)
{
    // A value past 32 bits names no handle (an old pointer, say).
    if (value < 0 || value > INT32_MAX) return nullptr;
    return ResolveHandle(int32_t(value), table);
}

void RemoveSearchHandle(HandleTable& table, const HandleHeader* record)
{
    table.slots[HandleIndex(record->handle)] = nullptr;
}

}  // namespace ror
