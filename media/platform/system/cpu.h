// What the processor offers, read once through its identification instruction.
#pragma once

namespace ror {

struct CpuFeatures {
    bool hasCpuid;  // the identification instruction answers with functions above 0
    bool mmx;
    bool sse2;
    bool avx2;        // AVX2 instructions and the system saves the 256-bit registers
    char vendor[13];  // "GenuineIntel", "AuthenticAMD", ...; empty without CPUID
};

// The processor's features; the instruction runs on the first call only.
const CpuFeatures& ReadCpuFeatures();

}  // namespace ror
