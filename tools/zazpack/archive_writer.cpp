// Layout of an archive as the packer writes it:
//   header (24 bytes) | file data, one after another | index block
// The index block holds the name table (offset 0), the file table and the directory
// table. Folders are numbered breadth first; the root is directory entry 0. Entries of a
// folder are sorted by their upper-case names. Every byte is scrambled for its file offset
// as it is written; the header is written last, over its place.
#include "archive_writer.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <span>

#include "file/archive.h"
#include "file/file_names.h"
#include "lz_encoder.h"

using namespace ror;

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void PutU64(std::vector<uint8_t>& out, uint64_t value)
{
    PutU32(out, uint32_t(value));
    PutU32(out, uint32_t(value >> 32));
}

void PutNameRecord(std::vector<uint8_t>& names, const std::string& name)
{
    const std::string upper = UpperCaseName(name);
    uint16_t units = uint16_t((name.size() + 4) / 4);
    uint32_t sum = 0;
    for (unsigned char c : upper) sum += c;
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

bool LoadFileBytes(const PackNode& file, std::vector<uint8_t>* storage, std::span<const uint8_t>* bytes,
                   std::string* error)
{
    const std::string& name = file.sourcePath.empty() ? file.name : file.sourcePath;
    const std::string tooLarge = name + ": 2 GiB or larger, more than an archive holds";
    if (file.sourcePath.empty()) {
        if (file.data.size() > INT32_MAX) {
            *error = tooLarge;
            return false;
        }
        *bytes = std::span<const uint8_t>(file.data);
        return true;
    }
    // The size first, so the bytes are read straight into a block of the right size.
    std::error_code failure;
    const uintmax_t size = std::filesystem::file_size(file.sourcePath, failure);
    std::ifstream in(file.sourcePath, std::ios::binary);
    if (failure || !in) {
        *error = name + ": cannot be read";
        return false;
    }
    if (size > INT32_MAX) {
        *error = tooLarge;
        return false;
    }
    // One byte more than the size shows a file that holds more than its size says (a /proc
    // file) or grew; such a file, or one whose size changed since the walk, is refused.
    storage->clear();
    storage->resize(size_t(size) + 1);
    in.read(reinterpret_cast<char*>(storage->data()), std::streamsize(size) + 1);
    if (in.bad()) {
        *error = name + ": cannot be read";
        return false;
    }
    if (uint64_t(in.gcount()) != size || size != file.sourceSize) {
        *error = name + ": changed while being packed, or holds more than its size says; refused";
        return false;
    }
    storage->resize(size_t(size));
    *bytes = std::span<const uint8_t>(*storage);
    return true;
}

namespace {

// The sink with the running file offset: bytes are scrambled for the place they land on
// into a buffer of its own (so a caller's bytes stay as they are), which goes to the sink
// when full, so many small files make few writes.
struct ScrambledOutput {
    const ArchiveSink& sink;
    ArchiveKey key;
    uint64_t offset = 0;  // of the next byte appended
    std::vector<uint8_t> buffer = std::vector<uint8_t>(256 * 1024);
    size_t buffered = 0;

    bool Flush()
    {
        const bool written =
            buffered == 0 || sink.append(sink.context, std::span<const uint8_t>(buffer.data(), buffered));
        buffered = 0;
        return written;
    }

    bool Append(std::span<const uint8_t> bytes)
    {
        while (!bytes.empty()) {
            if (buffered == buffer.size() && !Flush()) return false;
            const size_t part = std::min(bytes.size(), buffer.size() - buffered);
            ScrambleCopy(buffer.data() + buffered, bytes.data(), part, offset, key);
            buffered += part;
            offset += part;
            bytes = bytes.subspan(part);
        }
        return true;
    }
};

}  // namespace

bool WriteArchive(const PackNode& root, const PackOptions& options, const ArchiveSink& sink, std::string* error,
                  PackSummary* summary, PackProgress progress, void* progressContext)
{
    if (options.version < 1 || options.version > kArchiveNewestVersion) {
        *error = "version must be 1, 2 or 3";
        return false;
    }
    const std::string tooLarge = "the archive would exceed 2 GiB";
    const std::string unwritable = "the archive cannot be written";
    const uint32_t entrySize = options.version == 1 ? kFileEntrySizeV1 : kFileEntrySize;
    ScrambledOutput out{sink, options.fallbackKey ? FallbackArchiveKey() : DeriveArchiveKey(options.keyText)};
    // The header's place; it is written when the tables' offsets are known.
    const std::vector<uint8_t> placeholder(kArchiveHeaderSize, 0);
    if (!out.Append(placeholder)) {
        *error = unwritable;
        return false;
    }
    PackSummary counts;
    std::vector<uint8_t> names;
    std::vector<uint8_t> files;
    std::vector<uint8_t> dirs;
    std::deque<PendingFolder> queue{{&root, 0, kNoParent}};
    uint32_t nextDir = 1;
    while (!queue.empty()) {
        PendingFolder folder = queue.front();
        queue.pop_front();
        std::vector<const PackNode*> entries;
        for (const PackNode& child : folder.node->children) entries.push_back(&child);
        std::sort(entries.begin(), entries.end(),
                  [](const PackNode* a, const PackNode* b) { return UpperCaseName(a->name) < UpperCaseName(b->name); });
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
            uint32_t dataSize = 0;
            uint32_t compressedSize = kStoredUncompressed;
            if (entry->isFolder) {
                dataAddress = nextDir++ * kDirectoryEntrySize;
                queue.push_back({entry, dataAddress, folder.dirOffset});
                ++counts.folders;
            } else {
                dataAddress = uint32_t(out.offset - kArchiveHeaderSize);
                // Held only while this file is packed.
                std::vector<uint8_t> storage;
                std::span<const uint8_t> data;
                if (!LoadFileBytes(*entry, &storage, &data, error)) return false;
                dataSize = uint32_t(data.size());
                std::vector<uint8_t> packed;
                if (options.version >= 2 && options.compress && data.size() > 16) {
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
                    packed = EncodeLzBlock(data, progress ? +report : nullptr, &within);
                }
                std::span<const uint8_t> stored = data;
                if (!packed.empty() && packed.size() < data.size()) {
                    compressedSize = uint32_t(packed.size());
                    stored = packed;
                    ++counts.compressedFiles;
                }
                if (out.offset + stored.size() > INT32_MAX) {
                    *error = tooLarge;
                    return false;
                }
                if (!out.Append(stored)) {
                    *error = unwritable;
                    return false;
                }
                ++counts.files;
                counts.inputBytes += data.size();
                counts.storedBytes += stored.size();
                if (progress != nullptr) progress(counts, progressContext);
            }
            PutU32(files, nameOffset);
            PutU32(files, entry->isFolder ? kFolderAttribute : 0x20);
            PutU64(files, entry->creationTime);
            PutU64(files, entry->lastAccessTime);
            PutU64(files, entry->lastWriteTime);
            PutU32(files, dataAddress);
            PutU32(files, dataSize);
            if (entrySize == kFileEntrySize) PutU32(files, compressedSize);
        }
    }
    const uint64_t indexOffset = out.offset;
    const uint64_t indexSize = names.size() + files.size() + dirs.size();
    if (indexOffset + indexSize > INT32_MAX) {
        *error = tooLarge;
        return false;
    }
    if (!out.Append(names) || !out.Append(files) || !out.Append(dirs) || !out.Flush()) {
        *error = unwritable;
        return false;
    }
    std::vector<uint8_t> header{'Z', 'A', uint8_t(options.version), 0};
    PutU32(header, uint32_t(indexSize));
    PutU32(header, kArchiveHeaderSize);
    PutU32(header, uint32_t(indexOffset));
    PutU32(header, uint32_t(names.size()));
    PutU32(header, uint32_t(names.size() + files.size()));
    ScrambleBytes(header.data(), header.size(), 0, out.key);
    if (!sink.writeHeader(sink.context, header)) {
        *error = unwritable;
        return false;
    }
    counts.archiveBytes = out.offset;
    if (summary != nullptr) *summary = counts;
    return true;
}

bool BuildArchive(const PackNode& root, const PackOptions& options, std::vector<uint8_t>* archive, std::string* error,
                  PackSummary* summary, PackProgress progress, void* progressContext)
{
    std::vector<uint8_t> image;
    ArchiveSink sink{[](void* context, std::span<const uint8_t> bytes) {
                         auto* image = static_cast<std::vector<uint8_t>*>(context);
                         image->insert(image->end(), bytes.begin(), bytes.end());
                         return true;
                     },
                     [](void* context, std::span<const uint8_t> header) {
                         std::copy(header.begin(), header.end(), static_cast<std::vector<uint8_t>*>(context)->begin());
                         return true;
                     },
                     &image};
    if (!WriteArchive(root, options, sink, error, summary, progress, progressContext)) return false;
    *archive = std::move(image);
    return true;
}
