// Folder listing, file facts, local time and temporary files of the operating system.
// Paths and names are the layer's texts, converted as files.h says.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/files/files.h"

namespace ror {

// An open folder listing; 0 is none.
using SystemDirectory = uintptr_t;

SystemDirectory OpenSystemDirectory(const char* path);
// Copies the next entry's name, in cp932, into `name` (capacity `size`): 0, or -1 when no
// entry is left. Names that do not fit or do not convert exactly (ToLayerPath) are skipped.
int ReadSystemDirectory(SystemDirectory directory, char* name, size_t size);
int CloseSystemDirectory(SystemDirectory directory);  // 0 or -1

struct SystemFileFacts {
    int32_t isDirectory;
    uint64_t size;
    int64_t creationTime;   // seconds since 1970 (UTC); the last change of state where no birth time is kept
    int64_t lastWriteTime;  // seconds since 1970 (UTC)
};
int ReadSystemFileFacts(const char* path, SystemFileFacts* facts);  // 0 or -1
// The same for a path as the system names it, byte for byte (a tool walking a folder itself).
int ReadFactsOfSystemPath(const char* systemPath, SystemFileFacts* facts);

struct SystemLocalTime {
    int32_t year, month, day, hour, minute, second;  // month 1-12
};
// Converts seconds since 1970 (UTC) to the local calendar time: 0 or -1.
int ToSystemLocalTime(int64_t seconds, SystemLocalTime* out);

// Creates a new, empty file with a unique name starting "tmp" in the temporary folder
// ($TMPDIR, else /tmp), open for writing. Its full path goes to `path` (capacity `size`)
// when given, as a layer's path. kNoSystemFile on failure, also when that path does not fit
// or does not convert (the file is then removed again).
SystemFile CreateSystemTempFile(char* path, size_t size);

}  // namespace ror
