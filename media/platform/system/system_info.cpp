#include "platform/system/system_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace ror {

int ReadOsVersion(OsVersion* out)
{
    *out = OsVersion{};
    utsname names{};
    if (uname(&names) != 0) return -1;
    std::snprintf(out->name, sizeof out->name, "%s", names.sysname);
    std::snprintf(out->release, sizeof out->release, "%s", names.release);
    const char* hash = std::strchr(names.version, '#');
    out->build = hash ? static_cast<int32_t>(std::strtol(hash + 1, nullptr, 10)) : 0;
    return 0;
}

int ReadMemoryStatus(MemoryStatus* out)
{
    *out = MemoryStatus{};
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return -1;
    out->totalPhysical = uint64_t(info.totalram) * info.mem_unit;
    out->availablePhysical = (uint64_t(info.freeram) + info.bufferram) * info.mem_unit;
    return 0;
}

void ReadCpuIdentity(CpuIdentity* out)
{
    *out = CpuIdentity{};
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    // __get_cpuid_max also tests whether the ID flag of EFLAGS can be toggled.
    if (__get_cpuid_max(0, nullptr) == 0) return;
    out->available = 1;
    __cpuid(0, eax, ebx, ecx, edx);
    out->highestLeaf = eax;
    std::memcpy(out->vendor + 0, &ebx, 4);
    std::memcpy(out->vendor + 4, &edx, 4);
    std::memcpy(out->vendor + 8, &ecx, 4);
    if (out->highestLeaf >= 1) {
        __cpuid(1, eax, ebx, ecx, edx);
        out->featureEdx = edx;
    }
    __cpuid(0x80000000u, eax, ebx, ecx, edx);
    out->highestExtended = eax;
    if (out->highestExtended >= 0x80000004u) {
        for (unsigned int leaf = 0; leaf < 3; ++leaf) {
            unsigned int words[4];
            __cpuid(0x80000002u + leaf, words[0], words[1], words[2], words[3]);
            std::memcpy(out->brand + leaf * 16, words, 16);
        }
    }
#endif
}

uint64_t ReadTimeStampCounter()
{
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return 0;
#endif
}

}  // namespace ror
