// Building archives: a tree of folders and files becomes the bytes of an archive file,
// scrambled with the key, written out one file at a time.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct PackNode {
    std::string name;  // as written (Shift-JIS bytes); empty for the root
    bool isFolder = false;
    std::vector<uint8_t> data;  // a file's bytes, when the tree holds them
    std::string sourcePath;     // else the file on disk they are read from, when packed
    uint64_t sourceSize = 0;    // that file's size when the folder was read
    uint64_t creationTime = 0;  // 100-ns units since 1601, UTC
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    std::vector<PackNode> children;  // folders only
};

struct PackOptions {
    int version = 3;                // 1 to 3; version 1 stores every file as it is
    bool compress = true;           // versions 2 and 3: LZ-compress a file when that makes it smaller
    const char* keyText = nullptr;  // null: the default key
    bool fallbackKey = false;       // scramble with the fallback key instead
};

struct PackSummary {
    uint32_t files = 0;
    uint32_t folders = 0;
    uint64_t inputBytes = 0;
    uint64_t storedBytes = 0;
    uint32_t compressedFiles = 0;
    uint64_t archiveBytes = 0;  // the whole archive, header and tables included
};

// Called while a large file is encoded (`sofar.inputBytes` counts the part done) and after
// each file is packed; for a progress line.
using PackProgress = void (*)(const PackSummary& sofar, void* context);

// Where an archive's bytes go: appended in order, and at the end the header written over
// the first bytes (the header holds the offsets of the tables, which come last).
struct ArchiveSink {
    bool (*append)(void* context, std::span<const uint8_t> bytes);
    bool (*writeHeader)(void* context, std::span<const uint8_t> header);
    void* context;
};

// Writes the archive for the tree under `root` to `sink`. Files are read (from `data`, or
// from `sourcePath`), compressed and written one at a time, so what is held at once is the
// largest file, its compressed form and the tables. On failure (a file unreadable or of
// 2 GiB or more, a name too long, an archive over 2 GiB, version out of range, the sink
// failing) returns false with `error` set; the sink then holds a partial archive.
bool WriteArchive(const PackNode& root, const PackOptions& options, const ArchiveSink& sink, std::string* error,
                  PackSummary* summary = nullptr, PackProgress progress = nullptr, void* progressContext = nullptr);

// The same into memory: the whole archive in `archive`.
bool BuildArchive(const PackNode& root, const PackOptions& options, std::vector<uint8_t>* archive, std::string* error,
                  PackSummary* summary = nullptr, PackProgress progress = nullptr, void* progressContext = nullptr);

// The bytes of a file node: a view of its `data`, or of its file read into `storage`.
// False with `error` set when that file cannot be read, is 2 GiB or larger, or is not the
// size it had when the folder was read (or holds more than its size says, as /proc files do).
bool LoadFileBytes(const PackNode& file, std::vector<uint8_t>* storage, std::span<const uint8_t>* bytes,
                   std::string* error);

// Upper-cases ASCII letters, leaving both bytes of two-byte characters as they are.
std::string UpperCaseName(const std::string& name);
