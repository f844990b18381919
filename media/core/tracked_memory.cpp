#include "core/tracked_memory.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/last_failure.h"
#include "base/sjis.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ror {

AllocState TrackedAllocState;

static constexpr size_t kNameKept = sizeof(AllocFields::name) - 1;
static constexpr uint32_t kDataShown = 16;

// The process heap. Sizes below zero are requests no heap can meet.
// A request the heap is not asked for: an injected failure (tests) or a negative size.
static bool RefuseHeapRequest(int32_t size)
{
    AllocState& s = TrackedAllocState;
    if (s.failHeapRequests > 0) {
        --s.failHeapRequests;
        return true;
    }
    if (s.failNthRequest > 0 && --s.failNthRequest == 0) return true;
    return size < 0;
}

static AllocHeader* HeapAllocate(int32_t size)
{
    if (RefuseHeapRequest(size)) return nullptr;
    return static_cast<AllocHeader*>(std::malloc(sizeof(AllocHeader) + size_t(size)));
}

static AllocHeader* HeapResize(AllocHeader* header, int32_t size)
{
    if (RefuseHeapRequest(size)) return nullptr;
    return static_cast<AllocHeader*>(std::realloc(header, sizeof(AllocHeader) + size_t(size)));
}

static void RefreshCheck(AllocHeader* header)
{
    if (header != nullptr) header->check = header->fields;
}

static bool HeaderIntact(const AllocHeader* header)
{
    return std::memcmp(&header->fields, &header->check, sizeof(AllocFields)) == 0;
}

// Keeps the last 15 characters, starting on a character boundary.
static void StoreName(char (&out)[sizeof(AllocFields::name)], const char* name)
{
    std::memset(out, 0, sizeof out);
    if (name == nullptr) return;
    size_t length = std::strlen(name);
    size_t start = 0;
    while (length - start > kNameKept)
        start += IsSjisLeadByte(static_cast<unsigned char>(name[start])) && name[start + 1] != '\0' ? 2 : 1;
    std::memcpy(out, name + start, length - start);
}

static void Label(AllocHeader* header, const char* name, int32_t line)
{
    AllocState& s = TrackedAllocState;
    StoreName(header->fields.name, name);
    header->fields.line = static_cast<uint16_t>(line);
    header->fields.id = s.nextId;
    s.nextId = static_cast<uint16_t>(s.nextId + 1);
}

// Totals wrap rather than overflow when callers hold more than 2 GB.
static void AddToTotal(int32_t size)
{
    TrackedAllocState.totalSize =
        static_cast<int32_t>(static_cast<uint32_t>(TrackedAllocState.totalSize) + static_cast<uint32_t>(size));
}

// One line per block: its fields, then its first bytes as characters and as hex.
// The bytes shown never pass the smaller of the two sizes the header holds, so a
// damaged header cannot make the dump read past its block.
static void WriteBlockLine(const AllocHeader* header)
{
    const AllocFields& f = header->fields;
    uint32_t shown = std::min({static_cast<uint32_t>(f.size), static_cast<uint32_t>(header->check.size), kDataShown});
    const unsigned char* data = reinterpret_cast<const unsigned char*>(header + 1);
    unsigned long long address = reinterpret_cast<uintptr_t>(data);

    char line[256];
    int length = std::snprintf(line, sizeof line, "\tsize:%d(%.3fkb)  file:%.15s  line:%d  ID:%d  addr:%08llx  data:<",
                               f.size, static_cast<uint32_t>(f.size) / 1024.0, f.name, int(f.line), int(f.id), address);
    size_t used = static_cast<size_t>(std::max(length, 0));
    for (uint32_t i = 0; i < shown; ++i) line[used++] = data[i] >= 0x20 && data[i] <= 0x7F ? char(data[i]) : '.';
    used += std::snprintf(line + used, sizeof line - used, "> [");
    for (uint32_t i = 0; i < shown; ++i)
        used += std::snprintf(line + used, sizeof line - used, i == 0 ? "%02x" : " %02x", data[i]);
    std::snprintf(line + used, sizeof line - used, "]\n");
    LogWrite(line);
}

static void WriteTotalsLine()
{
    const AllocState& s = TrackedAllocState;
    LogWriteFormat("\tTotal size:%d(%.3fkb)  Alloc num:%d", s.totalSize, s.totalSize / 1024.0, s.count);
}

static void LogOperation(const char* prefix, const AllocHeader* header)
{
    const AllocState& s = TrackedAllocState;
    if (s.watchSize < 0 || s.watchSize == header->fields.size || s.logEveryOp == 1) {
        LogWrite(prefix);
        WriteBlockLine(header);
    }
    if (s.logTotals == 1) WriteTotalsLine();
}

void* TrackedAlloc(int32_t size, const char* name, int32_t line)
{
    AllocState& s = TrackedAllocState;
    AllocHeader* header = HeapAllocate(size);
    if (header == nullptr) {
        NoteFailure(FAILURE_OUT_OF_MEMORY, PickLogText("メモリの確保に失敗しました"));
        DumpAllocations();
        VerifyAllocations();
        return nullptr;
    }
    std::memset(header, 0, sizeof *header);
    header->fields.size = size;
    Label(header, name, line);

    if (s.head == nullptr) s.head = &s.endMarker;
    AllocHeader* oldHead = s.head;
    oldHead->fields.prev = header;
    header->fields.next = oldHead;
    header->fields.prev = nullptr;
    s.head = header;
    RefreshCheck(header);
    RefreshCheck(oldHead);

    AddToTotal(size);
    s.count += 1;

    LogOperation("mem alloc  ", header);
    if (s.verifyEveryOp == 1) VerifyAllocations();
    return header + 1;
}

void* TrackedAllocZeroed(int32_t size, const char* name, int32_t line)
{
    void* block = TrackedAlloc(size, name, line);
    if (block != nullptr) std::memset(block, 0, size_t(size));
    return block;
}

int TrackedFree(void* block)
{
    if (block == nullptr) return 0;
    AllocState& s = TrackedAllocState;
    AllocHeader* header = HeaderOfBlock(block);
    AddToTotal(-header->fields.size);
    s.count -= 1;
    if (s.verifyEveryOp == 1) VerifyAllocations();

    AllocHeader* next = header->fields.next;
    AllocHeader* prev = header->fields.prev;
    if (next != nullptr) next->fields.prev = prev;
    if (prev != nullptr) prev->fields.next = next;
    if (s.head == header) s.head = next;
    RefreshCheck(prev);
    RefreshCheck(next);

    LogOperation("mem free  ", header);
    std::free(header);
    return 1;
}

void* TrackedRealloc(void* block, int32_t size, const char* name, int32_t line)
{
    if (block == nullptr) return TrackedAlloc(size, name, line);
    AllocState& s = TrackedAllocState;
    AllocHeader* old = HeaderOfBlock(block);
    int32_t oldSize = old->fields.size;
    bool wasHead = s.head == old;

    AllocHeader* header = HeapResize(old, size);
    if (header == nullptr) {
        NoteFailure(FAILURE_OUT_OF_MEMORY, PickLogText("メモリの確保に失敗しました"));
        DumpAllocations();
        return nullptr;
    }
    if (size > oldSize) std::memset(reinterpret_cast<char*>(header + 1) + oldSize, 0, size_t(size - oldSize));

    Label(header, name, line);
    AllocHeader* next = header->fields.next;
    AllocHeader* prev = header->fields.prev;
    if (next != nullptr) next->fields.prev = header;
    if (prev != nullptr) prev->fields.next = header;
    if (wasHead) s.head = header;

    AddToTotal(-oldSize);
    header->fields.size = size;
    AddToTotal(size);
    RefreshCheck(header);
    RefreshCheck(next);
    RefreshCheck(prev);

    LogOperation("mem realloc  ", header);
    if (s.verifyEveryOp == 1) VerifyAllocations();
    return header + 1;
}

void DumpAllocations()
{
    const AllocState& s = TrackedAllocState;
    LogWrite("\n");
    LogWrite("Alloc memory dump\n");
    for (const AllocHeader* h = s.head; h != nullptr && h != &s.endMarker; h = h->fields.next) {
        WriteBlockLine(h);
        // A damaged link cannot be followed safely; the rest of the list is lost to the dump.
        if (h->fields.next != h->check.next) break;
    }
    WriteTotalsLine();
    LogWrite("\n");
}

int VerifyAllocations()
{
    const AllocState& s = TrackedAllocState;
    for (const AllocHeader* h = s.head; h != nullptr && h != &s.endMarker; h = h->fields.next) {
        if (!HeaderIntact(h)) {
            LogWrite("以下のメモリ確保情報が破損しました");
            WriteBlockLine(h);
            return -1;
        }
    }
    return 0;
}

int32_t TrackedAllocationCount() { return TrackedAllocState.count; }

int32_t TrackedAllocationBytes() { return TrackedAllocState.totalSize; }

}  // namespace ror
