#include "graphics/device/shader_pack.h"

#include "core/tracked_memory.h"
#include "file/archive.h"
#include "file/lz_block.h"

namespace ror {

extern const uint8_t kShaderArchiveBlock[];
extern const uint32_t kShaderArchiveBlockSize;

namespace {

constexpr uint32_t kEntryCount = 49152 + 3456;
constexpr uint32_t kCodesStart = kEntryCount * 2;

struct ShaderPackRecord {
    uint8_t* archiveImage;  // the expanded archive, open while the pack is kept
    Archive archive;
    int32_t archiveOpen;
    uint8_t* pack;  // the expanded "VaVudoruRori.bin"
    uint32_t packSize;
    uint32_t offsets[kEntryCount];  // of each code from the pack's start; 0 when absent
};
ShaderPackRecord Pack;

// Expands an LZ block into a new tracked buffer; null when the block is damaged.
uint8_t* Expand(const uint8_t* block, size_t size, uint32_t* expandedSize)
{
    const int64_t expanded = DecodeLzBlock(block, size, nullptr, 0);
    if (expanded <= 0 || expanded > 0x7FFFFFFF) return nullptr;
    auto* buffer = static_cast<uint8_t*>(TrackedAlloc(int32_t(expanded), __FILE__, __LINE__));
    if (buffer == nullptr) return nullptr;
    if (DecodeLzBlock(block, size, buffer, size_t(expanded)) != expanded) {
        TrackedFree(buffer);
        return nullptr;
    }
    *expandedSize = uint32_t(expanded);
    return buffer;
}

// Offsets of the codes; -1 when the sizes run past the pack.
int IndexPack()
{
    if (Pack.packSize < kCodesStart) return -1;
    uint64_t at = kCodesStart;
    for (uint32_t i = 0; i < kEntryCount; ++i) {
        const uint32_t size = uint32_t(Pack.pack[i * 2]) | uint32_t(Pack.pack[i * 2 + 1]) << 8;
        Pack.offsets[i] = size != 0 ? uint32_t(at) : 0;
        at += size;
        if (at > Pack.packSize) return -1;
    }
    return 0;
}

}  // namespace

void LoadShaderPack()
{
    ReleaseShaderPack();
    uint32_t imageSize = 0;
    Pack.archiveImage = Expand(kShaderArchiveBlock, kShaderArchiveBlockSize, &imageSize);
    if (Pack.archiveImage == nullptr) return;
    if (OpenArchiveImage(&Pack.archive, Pack.archiveImage, imageSize, nullptr) != 0) {
        ReleaseShaderPack();
        return;
    }
    Pack.archiveOpen = 1;
    uint32_t offset = 0, size = 0;
    if (LocateArchiveEntry(&Pack.archive, "VaVudoruRori.bin", &offset, &size) != 0 || offset > imageSize ||
        size > imageSize - offset) {
        ReleaseShaderPack();
        return;
    }
    Pack.pack = Expand(Pack.archiveImage + offset, size, &Pack.packSize);
    if (Pack.pack == nullptr || IndexPack() != 0) ReleaseShaderPack();
}

void ReleaseShaderPack()
{
    if (Pack.archiveOpen) CloseArchive(&Pack.archive);
    TrackedFree(Pack.archiveImage);
    TrackedFree(Pack.pack);
    Pack = ShaderPackRecord{};
}

int ShaderPackEntry(int table, int32_t index, ShaderCode* out)
{
    if (Pack.pack == nullptr || table < 0 || table > 1 || index < 0 || index >= kShaderTableSizes[table]) return -1;
    const uint32_t entry = uint32_t(table == 0 ? index : kShaderTableSizes[0] + index);
    const uint32_t size = uint32_t(Pack.pack[entry * 2]) | uint32_t(Pack.pack[entry * 2 + 1]) << 8;
    if (size == 0) return -1;
    *out = ShaderCode{reinterpret_cast<const char*>(Pack.pack + Pack.offsets[entry]), size};
    return 0;
}

}  // namespace ror
