// libFuzzer target for the archive reader and the LZ decoder. The first input byte picks
// the path: even, the rest is an LZ block; odd, the rest is an archive image, which is
// opened, walked (every folder, every file expanded or read) and closed again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "file/archive.h"
#include "file/lz_block.h"

using namespace ror;

namespace {

void FuzzLzBlock(const uint8_t* data, size_t size)
{
    int64_t expanded = DecodeLzBlock(data, size, nullptr, 0);
    if (expanded < 0) return;
    // A capacity of its own size, so any write past it is caught by the address checker.
    size_t capacity = size_t(expanded) < (size_t(1) << 20) ? size_t(expanded) : (size_t(1) << 20);
    std::vector<uint8_t> out(capacity);
    DecodeLzBlock(data, size, out.data(), out.size());
}

// Deep trees are valid; the walk stops descending where its own stack would run short.
constexpr int kWalkDepth = 64;

void WalkFolder(Archive* archive, uint32_t dirOffset, int depth)
{
    DirectoryEntry folder = ReadDirectoryEntry(archive, dirOffset);
    for (uint32_t i = 0; i < folder.count; ++i) {
        const uint8_t* bytes = archive->fileTable + folder.firstEntry + uint64_t(i) * archive->entrySize;
        FileEntry entry = ReadFileEntry(archive, bytes);
        const char* name = EntryName(archive, entry);
        volatile size_t sink = std::strlen(EntryUpperName(archive, entry)) + std::strlen(name);
        (void)sink;
        if (entry.attributes & kFolderAttribute) {
            uint32_t before = archive->currentDir;
            if (depth < kWalkDepth && ChangeArchiveDir(archive, name, 1) == 0) {
                WalkFolder(archive, archive->currentDir, depth + 1);
                ChangeArchiveDir(archive, "..", 1);
            }
            archive->currentDir = before;
            continue;
        }
        if (FindArchiveEntry(archive, name) == nullptr) continue;
        const uint8_t* data = archive->image + archive->header.dataOffset + entry.dataAddress;
        if (entry.compressedSize == kStoredUncompressed) {
            volatile uint8_t last = entry.dataSize > 0 ? data[entry.dataSize - 1] : 0;
            (void)last;
        } else if (entry.dataSize <= (1u << 20)) {
            std::vector<uint8_t> out(entry.dataSize);
            DecodeLzBlock(data, entry.compressedSize, out.data(), out.size());
        }
    }
}

void FuzzArchiveImage(const uint8_t* data, size_t size)
{
    if (size == 0) return;
    std::vector<uint8_t> image(data, data + size);
    Archive archive{};
    if (OpenArchiveImage(&archive, image.data(), uint32_t(image.size()), nullptr) != 0) {
        if (std::memcmp(image.data(), data, size) != 0) std::abort();  // a failed open must leave the image as it was
        return;
    }
    WalkFolder(&archive, 0, 0);
    ChangeArchiveDir(&archive, "a\\b/../c", 1);
    ChangeArchiveDir(&archive, "..", 1);
    CloseArchive(&archive);
    if (std::memcmp(image.data(), data, size) != 0) std::abort();  // closing must give the image back unchanged
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (size_t(1) << 24)) return 0;
    if (data[0] & 1)
        FuzzArchiveImage(data + 1, size - 1);
    else
        FuzzLzBlock(data + 1, size - 1);
    return 0;
}
