// Files and folders of the operating system, as thin calls with the layer's results.
// Paths are byte strings; "\" is accepted as a separator and becomes "/".
#pragma once
#include <cstddef>
#include <cstdint>

using SystemFile = int;
constexpr SystemFile kNoSystemFile = -1;

enum class FileOpenMode {
    Read,          // existing file, reading
    Append,        // writing at the end, created when missing, kept when present
    CreateEmpty,   // writing, created anew or emptied
};

// Opens a file. `exclusive` takes a lock no other process gets at the same time
// (the log's "no sharing"); the open fails when another holder has it.
SystemFile OpenSystemFile(const char* path, FileOpenMode mode, bool exclusive = false);
void CloseSystemFile(SystemFile file);

// Results: the number of bytes moved, or -1.
int64_t ReadSystemFile(SystemFile file, void* buffer, size_t size);
int64_t ReadSystemFileAt(SystemFile file, void* buffer, size_t size, int64_t offset);
int64_t WriteSystemFile(SystemFile file, const void* data, size_t size);
// New position, or -1. origin: 0 start, 1 current, 2 end.
int64_t SeekSystemFile(SystemFile file, int64_t offset, int origin);
// Size in bytes, or -1.
int64_t SystemFileSize(SystemFile file);

int DeleteSystemFile(const char* path);                 // 0 or -1
int GetSystemCurrentDirectory(char* out, size_t size);  // 0 or -1; no trailing "/"
int SetSystemCurrentDirectory(const char* path);        // 0 or -1

// A file named by a caller (converted as above) in a folder the system reported, which is
// taken byte for byte: a "\" there belongs to a folder's name.
SystemFile OpenSystemFileInFolder(const char* folder, const char* name, FileOpenMode mode, bool exclusive = false);
int DeleteSystemFileInFolder(const char* folder, const char* name);  // 0 or -1
// Goes back to a folder the system reported (GetSystemCurrentDirectory), byte for byte. 0 or -1.
int ReturnToSystemDirectory(const char* folder);

// Converts "\" to "/" into `out` (capacity `size`); -1 when it does not fit.
int ToSystemPath(char* out, size_t size, const char* path);
