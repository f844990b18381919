// Layout of an archive as the packer writes it:
//   header (24 bytes) | file data, one after another | index block
// The index block holds the name table (offset 0), the file table and the directory
// table. Folders are numbered breadth first; the root is directory entry 0. Entries of a
// folder are sorted by their upper-case names. Every byte is scrambled at the end.
#include "archive_writer.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <span>

#include "file/archive.h"
#include "file/file_names.h"
#include "lz_encoder.h"

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

void PutU64(std::vector<uint8_t>& out, uint64_t value)
{
    PutU32(out, uint32_t(value));
    PutU32(out, uint32_t(value >> 32));
}

void SetU32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

void PutNameRecord(std::vector<uint8_t>& names, const std::string& name)
{
    const std::string upper = UpperCaseName(name);
    uint16_t units = uint16_t((name.size() + 4) / 4);
    uint32_t sum = 0;
    for (unsigned char c : upper)
        sum += c;
    PutU16(names, units);
    PutU16(names, uint16_t(sum));
    for (const std::string* copy : {&upper, &name}) {
        names.insert(names.end(), copy->begin(), copy->end());
        names.insert(names.end(), 4u * units - copy->size(), 0);
    }
}

struct PendingFolder {
    const PackNode* node;
    uint32_t dirOffset;
    uint32_t parentOffset;
};

}  // namespace

std::string UpperCaseName(const std::string& name)
{
    std::string upper(name.size() + 1, '\0');
    UpperCaseCopy(upper.data(), upper.size(), name.c_str());
    upper.resize(name.size());
    return upper;
}

bool BuildArchive(const PackNode& root, const PackOptions& options, std::vector<uint8_t>* archive,
                  std::string* error, PackSummary* summary, PackProgress progress, void* progressContext)
{
    if (options.version < 1 || options.version > kArchiveNewestVersion) {
        *error = "version must be 1, 2 or 3";
        return false;
    }
    const uint32_t entrySize = options.version == 1 ? kFileEntrySizeV1 : kFileEntrySize;
    PackSummary counts;
    std::vector<uint8_t> out(kArchiveHeaderSize, 0);
    std::vector<uint8_t> names;
    std::vector<uint8_t> files;
    std::vector<uint8_t> dirs;
    std::deque<PendingFolder> queue{{&root, 0, kNoParent}};
    uint32_t nextDir = 1;
    while (!queue.empty()) {
        PendingFolder folder = queue.front();
        queue.pop_front();
        std::vector<const PackNode*> entries;
        for (const PackNode& child : folder.node->children)
            entries.push_back(&child);
        std::sort(entries.begin(), entries.end(), [](const PackNode* a, const PackNode* b) {
            return UpperCaseName(a->name) < UpperCaseName(b->name);
        });
        PutU32(dirs, 0);
        PutU32(dirs, folder.parentOffset);
        PutU32(dirs, uint32_t(entries.size()));
        PutU32(dirs, uint32_t(files.size()));
        for (const PackNode* entry : entries) {
            if (entry->name.empty() || entry->name.size() >= kFilePathSize ||
                FindLastSeparator(entry->name.c_str(), false) >= 0) {
                *error = "unusable name \"" + entry->name + "\"";
                return false;
            }
            uint32_t nameOffset = uint32_t(names.size());
            PutNameRecord(names, entry->name);
            uint32_t dataAddress;
            uint32_t compressedSize = kStoredUncompressed;
            if (entry->isFolder) {
                dataAddress = nextDir++ * kDirectoryEntrySize;
                queue.push_back({entry, dataAddress, folder.dirOffset});
                ++counts.folders;
            } else {
                dataAddress = uint32_t(out.size() - kArchiveHeaderSize);
                std::vector<uint8_t> packed;
                if (options.version >= 2 && options.compress && entry->data.size() > 16) {
                    struct Within {
                        PackSummary counts;
                        PackProgress progress;
                        void* context;
                    } within{counts, progress, progressContext};
                    auto report = [](size_t done, void* context) {
                        auto* w = static_cast<Within*>(context);
                        PackSummary sofar = w->counts;
                        sofar.inputBytes += done;
                        w->progress(sofar, w->context);
                    };
                    packed = EncodeLzBlock(std::span<const uint8_t>(entry->data), progress ? +report : nullptr, &within);
                }
                if (!packed.empty() && packed.size() < entry->data.size()) {
                    compressedSize = uint32_t(packed.size());
                    out.insert(out.end(), packed.begin(), packed.end());
                    ++counts.compressedFiles;
                } else {
                    out.insert(out.end(), entry->data.begin(), entry->data.end());
                }
                ++counts.files;
                counts.inputBytes += entry->data.size();
                counts.storedBytes += compressedSize == kStoredUncompressed ? entry->data.size() : compressedSize;
                if (out.size() > INT32_MAX) {
                    *error = "the archive would exceed 2 GiB";
                    return false;
                }
                if (progress != nullptr)
                    progress(counts, progressContext);
            }
            PutU32(files, nameOffset);
            PutU32(files, entry->isFolder ? kFolderAttribute : 0x20);
            PutU64(files, entry->creationTime);
            PutU64(files, entry->lastAccessTime);
            PutU64(files, entry->lastWriteTime);
            PutU32(files, dataAddress);
            PutU32(files, entry->isFolder ? 0 : uint32_t(entry->data.size()));
            if (entrySize == kFileEntrySize)
                PutU32(files, compressedSize);
        }
    }
    uint32_t indexOffset = uint32_t(out.size());
    uint32_t fileTableOffset = uint32_t(names.size());
    uint32_t dirTableOffset = uint32_t(names.size() + files.size());
    out.insert(out.end(), names.begin(), names.end());
    out.insert(out.end(), files.begin(), files.end());
    out.insert(out.end(), dirs.begin(), dirs.end());
    if (out.size() > INT32_MAX) {
        *error = "the archive would exceed 2 GiB";
        return false;
    }
    out[0] = 'Z';
    out[1] = 'A';
    out[2] = uint8_t(options.version);
    out[3] = 0;
    SetU32(out, 4, uint32_t(out.size()) - indexOffset);
    SetU32(out, 8, kArchiveHeaderSize);
    SetU32(out, 12, indexOffset);
    SetU32(out, 16, fileTableOffset);
    SetU32(out, 20, dirTableOffset);
    ArchiveKey key = options.fallbackKey ? FallbackArchiveKey() : DeriveArchiveKey(options.keyText);
    ScrambleBytes(out.data(), out.size(), 0, key);
    *archive = std::move(out);
    if (summary != nullptr)
        *summary = counts;
    return true;
}
