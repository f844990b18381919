#include "folder_tree.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <unordered_map>

#include "base/sjis.h"
#include "file/archive.h"
#include "file/file_names.h"
#include "file/lz_block.h"
#include "platform/system/codepage.h"
#include "platform/files/directory.h"

using namespace ror;

namespace fs = std::filesystem;

namespace {

// The name an entry of a folder on disk gets in the archive: names on disk are UTF-8, an
// archive's are the layer's cp932. False when the name has no exact cp932 form.
bool StoredEntryName(const fs::directory_entry& entry, std::string* name)
{
    char converted[kFilePathSize];
    if (ToLayerPath(converted, sizeof converted, entry.path().filename().c_str()) != 0) return false;
    *name = converted;
    return true;
}

bool ReadFolderInto(const fs::path& folder, PackNode* node, std::string* error, std::vector<std::string>* skipped)
{
    std::error_code failure;
    fs::directory_iterator it(folder, failure);
    if (failure) {
        *error = folder.string() + ": " + failure.message();
        return false;
    }
    for (const fs::directory_entry& entry : it) {
        PackNode child;
        if (!StoredEntryName(entry, &child.name)) {
            if (skipped != nullptr)
                skipped->push_back(entry.path().string() + ": a name with no cp932 form, not packed");
            continue;
        }
        SystemFileFacts facts{};
        if (ReadFactsOfSystemPath(entry.path().c_str(), &facts) == 0) {
            child.creationTime = ToEntryTime(facts.creationTime);
            child.lastWriteTime = ToEntryTime(facts.lastWriteTime);
            child.lastAccessTime = child.lastWriteTime;
        }
        if (entry.is_directory(failure) && entry.is_symlink(failure)) {
            if (skipped != nullptr) skipped->push_back(entry.path().string() + ": a link to a folder, not followed");
            continue;
        }
        if (entry.is_directory(failure)) {
            child.isFolder = true;
            if (!ReadFolderInto(entry.path(), &child, error, skipped)) return false;
        } else if (entry.is_regular_file(failure)) {
            // The bytes are read when the file is packed.
            child.sourcePath = entry.path().string();
            child.sourceSize = entry.file_size(failure);
        } else {
            if (skipped != nullptr)
                skipped->push_back(entry.path().string() +
                                   (entry.is_symlink(failure)
                                        ? ": a link that leads nowhere (dangling or a loop), not packed"
                                        : ": not a regular file (a FIFO, device or socket), not packed"));
            continue;
        }
        node->children.push_back(std::move(child));
    }
    return true;
}

// Folders nested deeper than this are refused rather than walked on a thin stack.
constexpr int kMaxFolderDepth = 256;

bool ReadArchiveFolder(Archive* archive, uint32_t dirOffset, PackNode* node, int depth, std::string* error)
{
    if (depth > kMaxFolderDepth) {
        *error = "folders nested too deeply";
        return false;
    }
    DirectoryEntry folder = ReadDirectoryEntry(archive, dirOffset);
    for (uint32_t i = 0; i < folder.count; ++i) {
        const uint8_t* bytes = archive->fileTable + folder.firstEntry + uint64_t(i) * archive->entrySize;
        FileEntry entry = ReadFileEntry(archive, bytes);
        PackNode child;
        child.name = EntryName(archive, entry);
        child.creationTime = entry.creationTime;
        child.lastAccessTime = entry.lastAccessTime;
        child.lastWriteTime = entry.lastWriteTime;
        if (entry.attributes & kFolderAttribute) {
            child.isFolder = true;
            if (!ReadArchiveFolder(archive, entry.dataAddress, &child, depth + 1, error)) return false;
        } else {
            const uint8_t* data = archive->image + archive->header.dataOffset + entry.dataAddress;
            child.data.resize(entry.dataSize);
            if (entry.compressedSize == kStoredUncompressed) {
                std::copy(data, data + entry.dataSize, child.data.begin());
            } else if (DecodeLzBlock(data, entry.compressedSize, child.data.data(), child.data.size()) !=
                       int64_t(entry.dataSize)) {
                *error = child.name + ": damaged compressed data";
                return false;
            }
        }
        node->children.push_back(std::move(child));
    }
    return true;
}

// A folder's children by upper-cased name (the first of equal names), so that comparing two
// folders takes time in proportion to their size.
std::unordered_map<std::string, const PackNode*> ChildrenByName(const PackNode& node)
{
    std::unordered_map<std::string, const PackNode*> byName;
    byName.reserve(node.children.size());
    for (const PackNode& child : node.children) byName.emplace(UpperCaseName(child.name), &child);
    return byName;
}

}  // namespace

bool ReadFolderTree(const std::string& folder, PackNode* root, std::string* error, std::vector<std::string>* skipped)
{
    *root = PackNode{};
    root->isFolder = true;
    std::error_code failure;
    if (!fs::is_directory(folder, failure)) {
        *error = folder + ": not a folder";
        return false;
    }
    return ReadFolderInto(folder, root, error, skipped);
}

bool ReadArchiveTree(std::vector<uint8_t> image, const char* keyText, PackNode* root, int* version, std::string* error)
{
    *root = PackNode{};
    root->isFolder = true;
    if (image.size() > UINT32_MAX) {
        *error = "larger than 4 GiB";
        return false;
    }
    Archive archive{};
    if (OpenArchiveImage(&archive, image.data(), uint32_t(image.size()), keyText) != 0) {
        *error = "not an archive, or a damaged one";
        return false;
    }
    *version = archive.header.version;
    bool read = ReadArchiveFolder(&archive, 0, root, 0, error);
    CloseArchive(&archive);
    return read;
}

const char* UnsafeEntryName(const std::string& name)
{
    if (name.empty()) return "an empty name";
    if (name == "." || name == "..") return "a name that leads out of its folder";
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        // The second byte of a two-byte character may be 0x5C; it is no separator.
        if (IsSjisLeadByte(c) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (c == '/' || c == '\\') return "a name with a folder separator";
        if (c == '\0') return "a name with a NUL byte";
    }
    return nullptr;
}

namespace {

// Writes the bytes under a new temporary name beside `path` and renames that into place, so
// that a link already at `path` (hard or symbolic) is replaced, never written through, and a
// failed write leaves no cut file behind. "" when done, else why not.
std::string WriteFileInPlace(const fs::path& path, const std::vector<uint8_t>& data)
{
    const fs::path temporary = fs::path(path).concat(".zazpack-part");
    // "x": created new, never through whatever already stands at that name.
    std::FILE* out = std::fopen(temporary.c_str(), "wbx");
    if (out == nullptr)
        return "cannot be written (its temporary file " + temporary.filename().string() + " exists or cannot be made)";
    const bool written = std::fwrite(data.data(), 1, data.size(), out) == data.size();
    const bool closed = std::fclose(out) == 0;
    std::error_code failure;
    if (written && closed) fs::rename(temporary, path, failure);
    if (!written || !closed || failure) {
        fs::remove(temporary, failure);
        return "cannot be written";
    }
    return "";
}

// Writes what it safely can; every refusal is added to `error` as a line of its own.
bool WriteFolderInto(const PackNode& node, const fs::path& folder, std::string* error)
{
    bool whole = true;
    auto refuse = [&](const std::string& what) {
        *error += (error->empty() ? "" : "\n") + what;
        whole = false;
    };
    for (const PackNode& child : node.children) {
        if (const char* why = UnsafeEntryName(child.name)) {
            refuse((folder / "").string() + "\"" + std::string(child.name.c_str()) + "\": refused, " + why);
            continue;
        }
        char diskName[kFilePathSize * 3];  // a cp932 byte takes at most 3 in UTF-8
        if (Cp932ToUtf8Exact(child.name.c_str(), diskName, sizeof diskName) < 0) {
            refuse((folder / "").string() + "\"" + child.name + "\": refused, a name with no UTF-8 form");
            continue;
        }
        const fs::path path = folder / diskName;
        std::error_code failure;
        // A link inside the target could send the bytes anywhere.
        if (fs::is_symlink(fs::symlink_status(path, failure))) {
            refuse(path.string() + ": refused, a symbolic link is in its place");
            continue;
        }
        if (child.isFolder) {
            fs::create_directory(path, failure);
            if (failure) {
                refuse(path.string() + ": " + failure.message());
                continue;
            }
            whole = WriteFolderInto(child, path, error) && whole;
            continue;
        }
        if (const std::string why = WriteFileInPlace(path, child.data); !why.empty())
            refuse(path.string() + ": " + why);
    }
    return whole;
}

}  // namespace

bool WriteFolderTree(const PackNode& root, const std::string& folder, std::string* error)
{
    error->clear();
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure) {
        *error = folder + ": " + failure.message();
        return false;
    }
    return WriteFolderInto(root, fs::path(folder), error);
}

std::string CompareTrees(const PackNode& a, const PackNode& b, const std::string& prefix)
{
    if (a.children.size() != b.children.size()) return prefix.empty() ? "/" : prefix;
    const std::unordered_map<std::string, const PackNode*> others = ChildrenByName(b);
    for (const PackNode& child : a.children) {
        std::string path = prefix + "/" + child.name;
        const auto found = others.find(UpperCaseName(child.name));
        const PackNode* other = found == others.end() ? nullptr : found->second;
        if (other == nullptr || other->isFolder != child.isFolder) return path;
        if (child.isFolder) {
            std::string difference = CompareTrees(child, *other, path);
            if (!difference.empty()) return difference;
        } else {
            std::vector<uint8_t> storage;
            std::vector<uint8_t> otherStorage;
            std::span<const uint8_t> bytes;
            std::span<const uint8_t> otherBytes;
            std::string error;
            if (!LoadFileBytes(child, &storage, &bytes, &error) ||
                !LoadFileBytes(*other, &otherStorage, &otherBytes, &error))
                return path + " (" + error + ")";
            if (!std::ranges::equal(bytes, otherBytes)) return path;
        }
    }
    return "";
}
