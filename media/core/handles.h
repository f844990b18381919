// Handle values: kind, check value and slot index packed into one signed 32-bit number,
// so that stale handles and handles of the wrong kind are both rejected.
#pragma once
#include <cstdint>

namespace ror {

enum class HandleKind : int32_t {
    Graphic = 1,
    Sound = 2,
    Movie = 3,
    Font = 4,
    PlainSearch = 5,
    ArchiveSearch = 6,
    Mask = 8,
    Network = 9,
    KeyInput = 10,
    Music = 11,
    Light = 12,
    Play = 13,
    SoftImage = 14,
    FontFile = 15,
};

constexpr int32_t kHandleCheckLimit = 0x7FF;  // check values run 0-2047

// Every record named by a handle starts with this header.
struct HandleHeader {
    int32_t check;   // stamped at creation, 0-2047
    int32_t handle;  // the handle value that names the record
};

// One kind's table of records: slots[i] is null for a free slot.
struct HandleTable {
    HandleKind kind;
    int32_t indexLimit;    // indexes at or above this are rejected
    HandleHeader** slots;  // indexLimit entries (at least)
    int32_t checkCounter;  // stamps new records
};

constexpr int32_t MakeHandle(HandleKind kind, int32_t index, int32_t check)
{
    return index | (check << 16) | (int32_t(kind) << 27);
}

constexpr int32_t HandleIndex(int32_t handle) { return handle & 0xFFFF; }

// The record named by `handle` in `table`, or null when the handle is negative, of another
// kind, out of range, names a free slot or carries a stale check value.
HandleHeader* ResolveHandle(int32_t handle, const HandleTable& table);

// The next check value of the table's kind; the counter wraps from 2047 to 0.
int32_t StampCheck(HandleTable& table);

}  // namespace ror
