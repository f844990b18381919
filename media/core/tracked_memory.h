// The tracked allocator: every block of the media layer carries a header that links it
// into one list, so the layer can count, verify and list (at shutdown: leak-report) them.
#pragma once
#include <cstdint>

void* TrackedAlloc(int32_t size, const char* name, int32_t line);
void* TrackedAllocZeroed(int32_t size, const char* name, int32_t line);
void* TrackedRealloc(void* block, int32_t size, const char* name, int32_t line);
int TrackedFree(void* block);
void DumpAllocations();
int VerifyAllocations();

// Live totals, for callers and tests.
int32_t TrackedAllocationCount();
int32_t TrackedAllocationBytes();
