#include "core/handles.h"

namespace ror {

HandleHeader* ResolveHandle(int32_t handle, const HandleTable& table)
{
    if (handle < 0) return nullptr;
    if ((handle & 0x78000000) != (int32_t(table.kind) << 27)) return nullptr;
    const int32_t index = HandleIndex(handle);
    if (index >= table.indexLimit) return nullptr;
    HandleHeader* record = table.slots[index];
    if (record == nullptr) return nullptr;
    if ((record->check << 16) != (handle & 0x07FF0000)) return nullptr;
    return record;
}

int32_t StampCheck(HandleTable& table)
{
    const int32_t check = table.checkCounter;
    table.checkCounter = check + 1 > kHandleCheckLimit ? 0 : check + 1;
    return check;
}

}  // namespace ror
