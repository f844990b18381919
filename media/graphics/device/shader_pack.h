// The shader pack "VaVudoruRori.bin": read at graphics set-up from the archive image the
// layer carries inside itself, kept until graphics are released.
#pragma once
#include <cstdint>

namespace ror {

constexpr int32_t kShaderTableSizes[2] = {49152, 3456};
constexpr int32_t kScreenVertexShaderEntry = 32774;  // first table
constexpr int32_t kScreenPixelShaderEntry = 2454;    // second table

struct ShaderCode {
    const char* code;
    uint32_t size;
};

// Any failure leaves the pack absent; set-up goes on.
void LoadShaderPack();
void ReleaseShaderPack();
// Entry `index` of table 0 or 1: 0 with its code, -1 when absent or out of range.
int ShaderPackEntry(int table, int32_t index, ShaderCode* out);

}  // namespace ror
