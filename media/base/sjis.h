// Shift-JIS (cp932) text helpers shared by every scanner of the layer.
#pragma once
#include <cstddef>

namespace ror {

// A byte in 0x81-0x9F or 0xE0-0xFC starts a two-byte character; the byte after it
// belongs to that character whatever its value (it may be '\n', '\\', '{' ...).
constexpr bool IsSjisLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length in bytes of the longest prefix of `text` that fits in `limit` bytes without
// splitting a two-byte character. A lone lead byte at the very end counts as one byte.
size_t SjisCutLength(const char* text, size_t limit);

// Copies `text` into `out` (capacity `outSize` including the terminator), cut on a
// character boundary when it does not fit. Returns the number of bytes copied.
size_t SjisCopyCut(char* out, size_t outSize, const char* text);

}  // namespace ror
