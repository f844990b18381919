// What the process holds of the system right now, for the tests that start and stop the
// layer many times and compare before and after.
#pragma once
#include <cstdint>

namespace ror {

struct ProcessUsage {
    int32_t openFiles;  // file descriptors
    int32_t threads;
    int64_t mappedBytes;  // the whole address space in use
    int32_t windows;      // windows of the window system made by this process and not destroyed
};

int ReadProcessUsage(ProcessUsage* out);  // 0 / -1

}  // namespace ror
