// What the machine is: the operating system's name and version, the physical memory, the
// processor's identification and its time-stamp counter.
#pragma once
#include <cstdint>

namespace ror {

struct OsVersion {
    char name[65];     // the system's name ("Linux")
    int32_t build;     // the kernel build's number (the "#N" of its version), 0 when none
    char release[65];  // the kernel release ("6.1.0-18-amd64")
};

struct MemoryStatus {
    uint64_t totalPhysical;      // bytes
    uint64_t availablePhysical;  // bytes free now, buffers included
};

struct CpuIdentity {
    int32_t available;         // the identification instruction exists
    uint32_t highestLeaf;      // highest standard function (leaf 0's EAX)
    char vendor[13];           // 12 characters from EBX, EDX, ECX of leaf 0
    uint32_t featureEdx;       // leaf 1's EDX: bit 4 time-stamp counter, 23 MMX, 25 SSE, 26 SSE2
    uint32_t highestExtended;  // leaf 0x80000000's EAX
    char brand[49];            // leaves 0x80000002-4, empty when not reported
};

int ReadOsVersion(OsVersion* out);        // 0 / -1
int ReadMemoryStatus(MemoryStatus* out);  // 0 / -1
void ReadCpuIdentity(CpuIdentity* out);
uint64_t ReadTimeStampCounter();

}  // namespace ror
