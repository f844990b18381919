// The tracked allocator: every block of the media layer carries a header that links it
// into one list, so the layer can count, verify and list (at shutdown: leak-report) them.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ror {

struct AllocHeader;

// The bookkeeping fields of a header. Links are 64 bits wide here, so the fields take
// 40 bytes (name 0-15, id 16-17, line 18-19, size 20-23, next 24-31, prev 32-39).
struct AllocFields {
    char name[16];      // the last 15 characters of the source name; empty when none
    uint16_t id;        // allocation number; wraps from 65535 to 0
    uint16_t line;      // the caller's line, kept in 16 bits (-1 reads back as 65535)
    int32_t size;       // bytes of the caller's block
    AllocHeader* next;  // the next older header; the end marker ends the list
    AllocHeader* prev;  // the next newer header; null for the newest
};

// Placed directly in front of the caller's block. 80 bytes, a multiple of 16, so the
// caller's block keeps the heap's 16-byte alignment.
struct AllocHeader {
    AllocFields fields;
    AllocFields check;  // copy of fields, refreshed whenever any of them changes
};

static_assert(sizeof(AllocFields) == 40);
static_assert(sizeof(AllocHeader) == 80 && sizeof(AllocHeader) % 16 == 0);

struct AllocState {
    AllocHeader* head;      // newest live header; null before the first allocation
    AllocHeader endMarker;  // always ends the list; its prev names the oldest live header
    int32_t totalSize;      // bytes in live blocks
    int32_t count;          // live blocks
    uint16_t nextId;
    int32_t logEveryOp;  // debugging switches, left at 0
    int32_t logTotals;
    int32_t verifyEveryOp;
    int32_t watchSize;         // < 0: every size
    int32_t failHeapRequests;  // test hook: the next this many heap requests fail
    int32_t failNthRequest;    // test hook: counts heap requests down; the one that reaches 0 fails
};

extern AllocState TrackedAllocState;

void* TrackedAlloc(int32_t size, const char* name, int32_t line);
void* TrackedAllocZeroed(int32_t size, const char* name, int32_t line);
void* TrackedRealloc(void* block, int32_t size, const char* name, int32_t line);
int TrackedFree(void* block);
void DumpAllocations();
int VerifyAllocations();

// Live totals, for callers and tests.
int32_t TrackedAllocationCount();
int32_t TrackedAllocationBytes();

inline AllocHeader* HeaderOfBlock(void* block)
{
    return reinterpret_cast<AllocHeader*>(static_cast<char*>(block) - sizeof(AllocHeader));
}

}  // namespace ror
