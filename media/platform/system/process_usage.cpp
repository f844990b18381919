#include "platform/system/process_usage.h"

#include "platform/window_system/window_record.h"

#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace ror {

namespace {

// Entries of a folder of /proc, without "." and "..", less the descriptor reading it.
int32_t CountEntries(const char* path, int32_t own)
{
    DIR* folder = opendir(path);
    if (!folder) return -1;
    int32_t count = 0;
    while (const dirent* entry = readdir(folder)) count += entry->d_name[0] != '.';
    closedir(folder);
    return count - own;
}

int32_t CountWindows()
{
    int32_t count = 0;
    for (const PlatformWindow& window : Windows) count += window.inUse != 0;
    return count;
}

}  // namespace

int ReadProcessUsage(ProcessUsage* out)
{
    out->openFiles = CountEntries("/proc/self/fd", 1);
    out->threads = CountEntries("/proc/self/task", 0);
    std::ifstream statm("/proc/self/statm");
    int64_t pages = -1;
    statm >> pages;
    out->mappedBytes = pages < 0 ? -1 : pages * sysconf(_SC_PAGESIZE);
    out->windows = CountWindows();
    return out->openFiles < 0 || out->threads < 0 || pages < 0 ? -1 : 0;
}

}  // namespace ror
