// Folder-search handles: plain searches of the disk (kind 5) and archive-aware searches
// (kind 6) each have a table, so that stale, closed and forged values are rejected.
#pragma once
#include <cstdint>

#include "core/handles.h"
#include "rorodiv_file.h"

namespace ror {

constexpr int32_t kSearchTableSize = 1024;

struct SearchHandlesState {
    HandleHeader* plainSlots[kSearchTableSize];
    HandleTable plain;
    HandleHeader* archiveSlots[kSearchTableSize];
    HandleTable archive;
};

extern SearchHandlesState SearchHandles;

// Stamps `record` and puts it in the lowest free slot: its handle, or kNoSearch with a log
// line when the table is full.
SearchValue AddSearchHandle(HandleTable& table, HandleHeader* record);
// The record `value` names in `table`, or null.
HandleHeader* ResolveSearch(SearchValue value, const HandleTable& table);
// Frees the slot of a record resolved from `table`.
void RemoveSearchHandle(HandleTable& table, const HandleHeader* record);

}  // namespace ror
