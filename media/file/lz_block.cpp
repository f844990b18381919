// Expanding an LZ block. Every code is checked against the block's end and the output's
// bounds before it is used.
#include "file/lz_block.h"

#include <bit>
#include <cstring>

namespace ror {

static_assert(std::endian::native == std::endian::little, "distance fields are read as little-endian words");

namespace {

uint32_t LoadU32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// Copies `length` bytes from `distance` back; a distance shorter than the length repeats
// the last `distance` bytes.
void CopyMatch(uint8_t* out, size_t distance, size_t length)
{
    const uint8_t* from = out - distance;
    if (distance >= length) {
        std::memcpy(out, from, length);
    } else if (distance == 1) {
        std::memset(out, *from, length);
    } else {
        // The output from `from` on repeats with period `distance`: each pass copies all
        // that is already there, so the copied span doubles and never overlaps its source.
        size_t done = 0;
        while (done < length) {
            size_t chunk = distance + done < length - done ? distance + done : length - done;
            std::memcpy(out + done, from, chunk);
            done += chunk;
        }
    }
}

}  // namespace

int64_t DecodeLzBlock(const uint8_t* block, size_t blockSize, uint8_t* destination, size_t destinationSize)
{
    if (block == nullptr || blockSize < kLzHeaderSize) return -1;
    uint32_t expandedSize = LoadU32(block);
    uint32_t storedSize = LoadU32(block + 4);
    if (storedSize < kLzHeaderSize || storedSize > blockSize) return -1;
    if (destination == nullptr) return expandedSize;
    if (expandedSize > destinationSize) return -1;
    const uint8_t escape = block[8];
    const uint64_t escapes = 0x0101010101010101ULL * escape;
    const uint8_t* in = block + kLzHeaderSize;
    const uint8_t* end = block + storedSize;
    uint8_t* out = destination;
    uint8_t* outEnd = destination + expandedSize;
    while (in < end) {
        if (*in != escape) {
            // Literals, eight at a time while both sides have room: the word is written
            // whole and the output advances only to the first escape byte in it.
            if (end - in >= 8 && outEnd - out >= 8) {
                uint64_t word;
                std::memcpy(&word, in, 8);
                std::memcpy(out, &word, 8);
                uint64_t x = word ^ escapes;
                uint64_t zero = (x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL;
                size_t run = zero == 0 ? 8 : size_t(__builtin_ctzll(zero)) / 8;
                in += run;
                out += run;
                continue;
            }
            if (out == outEnd) return -1;
            *out++ = *in++;
            continue;
        }
        if (end - in < 2) return -1;
        uint32_t code = in[1];
        in += 2;
        if (code == escape) {
            if (out == outEnd) return -1;
            *out++ = escape;
            continue;
        }
        if (code > escape) --code;
        size_t length = code >> 3;
        if (code & 4) {
            if (in == end) return -1;
            length |= size_t(*in++) << 5;
        }
        uint32_t distanceBytes = (code & 3) + 1;
        if (distanceBytes > 3 || size_t(end - in) < distanceBytes) return -1;
        size_t distance;
        if (end - in >= 4) {
            uint32_t word;
            std::memcpy(&word, in, 4);
            distance = word & (0xFFFFFFu >> (8 * (3 - distanceBytes)));
        } else {
            distance = in[0];
            if (distanceBytes > 1) distance |= size_t(in[1]) << 8;
            if (distanceBytes > 2) distance |= size_t(in[2]) << 16;
        }
        in += distanceBytes;
        length += kLzMinMatch;
        distance += 1;
        if (distance > size_t(out - destination) || length > size_t(outEnd - out)) return -1;
        if (distance >= 8 && size_t(outEnd - out) >= length + 8) {
            // Eight bytes at a time, each step reading only bytes already final; the last
            // step may write up to seven bytes beyond the match, inside the output.
            std::memcpy(out, out - distance, 8);
            for (size_t i = 8; i < length; i += 8) std::memcpy(out + i, out + i - distance, 8);
        } else {
            CopyMatch(out, distance, length);
        }
        out += length;
    }
    return out == outEnd ? int64_t(expandedSize) : -1;
}

}  // namespace ror
