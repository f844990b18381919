#include "platform/system/cpu.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace ror {

namespace {

#if defined(__x86_64__) || defined(__i386__)
// Which register sets the operating system saves on a switch (XCR0).
unsigned long long ReadExtendedControlRegister0()
{
    unsigned int low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<unsigned long long>(high) << 32) | low;
}

CpuFeatures QueryCpuFeatures()
{
    CpuFeatures features{};
    unsigned int vendorWords[3] = {};
    unsigned int highest = __get_cpuid_max(0, &vendorWords[0]);
    if (highest == 0) return features;
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid(0, eax, vendorWords[0], vendorWords[2], vendorWords[1]);
    std::memcpy(features.vendor, vendorWords, 12);
    features.hasCpuid = true;

    __cpuid(1, eax, ebx, ecx, edx);
    features.mmx = (edx & bit_MMX) != 0;
    features.sse2 = (edx & bit_SSE2) != 0;
    bool osSavesYmm = false;
    if ((ecx & bit_OSXSAVE) && (ecx & bit_AVX)) {
        osSavesYmm = (ReadExtendedControlRegister0() & 0x6) == 0x6;  // XMM and YMM state
    }
    if (highest >= 7 && osSavesYmm) {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        features.avx2 = (ebx & bit_AVX2) != 0;
    }
    return features;
}
#else
CpuFeatures QueryCpuFeatures() { return CpuFeatures{}; }
#endif

}  // namespace

const CpuFeatures& ReadCpuFeatures()
{
    static const CpuFeatures features = QueryCpuFeatures();
    return features;
}

}  // namespace ror
