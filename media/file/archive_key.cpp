// The archive key and the scrambling of archive bytes.
#include <cstring>

#include "file/archive.h"

namespace ror {

namespace {

// One-byte constants of this system's key; archives made for it must use them too.
constexpr uint8_t kDefaultKeyFill = 0xC3;
constexpr uint8_t kFallbackKeyFill = 0x6B;
constexpr uint8_t kKeyXor2 = 0x9D;
constexpr uint8_t kKeyXor5 = 0x27;
constexpr uint8_t kKeyXor9 = 0xE1;
constexpr uint8_t kKeyXor10 = 0x4C;
constexpr uint8_t kKeyXor11 = 0xB8;

constexpr uint8_t SwapNibbles(uint8_t b) { return uint8_t(b << 4 | b >> 4); }

constexpr uint8_t RotateRight(uint8_t b, int bits) { return uint8_t(b >> bits | b << (8 - bits)); }

constexpr uint8_t RotateLeft(uint8_t b, int bits) { return uint8_t(b << bits | b >> (8 - bits)); }

}  // namespace

ArchiveKey DeriveArchiveKey(const char* keyText)
{
    ArchiveKey key;
    size_t length = keyText == nullptr ? 0 : std::strlen(keyText);
    for (int i = 0; i < kArchiveKeySize; ++i)
        key.bytes[i] = length == 0 ? kDefaultKeyFill : uint8_t(keyText[size_t(i) % length]);
    uint8_t* k = key.bytes;
    k[0] = uint8_t(~k[0]);
    k[1] = SwapNibbles(k[1]);
    k[2] ^= kKeyXor2;
    k[3] = uint8_t(~SwapNibbles(k[3]));
    k[4] = uint8_t(~k[4]);
    k[5] ^= kKeyXor5;
    k[6] = uint8_t(~k[6]);
    k[7] = uint8_t(~RotateRight(k[7], 3));
    k[8] = RotateLeft(k[8], 3);
    k[9] ^= kKeyXor9;
    k[10] = uint8_t(SwapNibbles(k[10]) ^ kKeyXor10);
    k[11] ^= kKeyXor11;
    return key;
}

ArchiveKey FallbackArchiveKey()
{
    ArchiveKey key;
    std::memset(key.bytes, kFallbackKeyFill, sizeof key.bytes);
    return key;
}

void ScrambleCopy(uint8_t* destination, const uint8_t* source, size_t length, uint64_t position, const ArchiveKey& key)
{
    // The key laid out 8 times from `position` on: 96 bytes, six 16-byte vectors.
    constexpr size_t kSpan = kArchiveKeySize * 8;
    using Vector = uint8_t __attribute__((vector_size(16)));
    constexpr size_t kVectors = kSpan / sizeof(Vector);
    uint8_t spread[kSpan];
    for (size_t i = 0; i < kSpan; ++i) spread[i] = key.bytes[(position + i) % kArchiveKeySize];
    Vector keys[kVectors];
    std::memcpy(keys, spread, kSpan);
    size_t done = 0;
    for (; done + kSpan <= length; done += kSpan) {
        for (size_t v = 0; v < kVectors; ++v) {
            Vector value;
            std::memcpy(&value, source + done + v * sizeof(Vector), sizeof(Vector));
            value ^= keys[v];
            std::memcpy(destination + done + v * sizeof(Vector), &value, sizeof(Vector));
        }
    }
    for (size_t i = 0; done + i < length; ++i) destination[done + i] = source[done + i] ^ spread[i];
}

void ScrambleBytes(uint8_t* bytes, size_t length, uint64_t position, const ArchiveKey& key)
{
    ScrambleCopy(bytes, bytes, length, position, key);
}

}  // namespace ror
