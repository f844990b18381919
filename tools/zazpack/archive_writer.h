// Building archive images: a tree of folders and files in memory becomes the bytes of an
// archive file, scrambled with the key.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PackNode {
    std::string name;  // as written (Shift-JIS bytes); empty for the root
    bool isFolder = false;
    std::vector<uint8_t> data;  // files only
    uint64_t creationTime = 0;  // 100-ns units since 1601, UTC
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    std::vector<PackNode> children;  // folders only
};

struct PackOptions {
    int version = 3;              // 1 to 3; version 1 stores every file as it is
    bool compress = true;         // versions 2 and 3: LZ-compress a file when that makes it smaller
    const char* keyText = nullptr;  // null: the default key
    bool fallbackKey = false;     // scramble with the fallback key instead
};

struct PackSummary {
    uint32_t files = 0;
    uint32_t folders = 0;
    uint64_t inputBytes = 0;
    uint64_t storedBytes = 0;
    uint32_t compressedFiles = 0;
};

// Called while a large file is encoded (`sofar.inputBytes` counts the part done) and after
// each file is packed; for a progress line.
using PackProgress = void (*)(const PackSummary& sofar, void* context);

// The archive for the tree under `root`. On failure (a name too long, more than 4 GiB,
// version out of range) returns false with `error` set.
bool BuildArchive(const PackNode& root, const PackOptions& options, std::vector<uint8_t>* archive,
                  std::string* error, PackSummary* summary = nullptr, PackProgress progress = nullptr,
                  void* progressContext = nullptr);

// Upper-cases ASCII letters, leaving both bytes of two-byte characters as they are.
std::string UpperCaseName(const std::string& name);
