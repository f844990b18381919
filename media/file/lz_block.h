// The LZ block of a compressed archive file: a 9-byte header (expanded size, stored size,
// escape byte) and codes. A byte other than the escape is a literal; escape + escape is a
// literal escape; escape + code byte c (c > escape counts one lower) is a back-reference:
// length = c >> 3, bit 2 adds a byte b with length |= b << 5, c & 3 gives the distance
// field's size (1-3 bytes, little-endian); length + 4 bytes are copied from distance + 1 back.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ror {

constexpr uint32_t kLzHeaderSize = 9;
constexpr uint32_t kLzMinMatch = 4;
constexpr uint32_t kLzMaxMatch = kLzMinMatch + 8191;
constexpr uint32_t kLzMaxDistance = 1u << 24;

// Expands `block` (blockSize bytes available) into `destination` (capacity destinationSize).
// With no destination, returns the expanded size. Returns the expanded size, or -1 for a
// damaged block: sizes that do not fit, a truncated code, a code with c & 3 = 3, a
// back-reference before the start of the output, output longer or shorter than announced.
int64_t DecodeLzBlock(const uint8_t* block, size_t blockSize, uint8_t* destination, size_t destinationSize);

}  // namespace ror
