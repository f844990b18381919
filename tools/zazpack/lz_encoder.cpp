#include "lz_encoder.h"

#include <algorithm>
#include <array>
#include <memory>

#include "file/lz_block.h"

using namespace ror;

namespace {

constexpr int kHashBits = 16;
// Positions looked at for each match, a power of two.
constexpr uint32_t kChainDepth = 16;
// Matches are searched within this window; the format reaches 16 MiB back.
constexpr uint32_t kWindow = kLzMaxDistance;
// After this many positions in a row without a match, the search skips ahead: one more byte
// per further run of this many misses, so data that does not compress passes quickly.
constexpr uint32_t kMissesBeforeSkipping = 16;
constexpr uint32_t kMaxSkip = 128;

uint32_t HashAt(const uint8_t* p)
{
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return (v * 2654435761u) >> (32 - kHashBits);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

uint8_t LeastFrequentByte(std::span<const uint8_t> data)
{
    std::array<size_t, 256> counts{};
    for (uint8_t b : data) ++counts[b];
    return uint8_t(std::min_element(counts.begin(), counts.end()) - counts.begin());
}

size_t DistanceBytes(uint32_t distance)
{
    uint32_t field = distance - 1;
    return field < 0x100 ? 1 : field < 0x10000 ? 2 : 3;
}

size_t MatchCost(uint32_t length, uint32_t distance)
{
    return 2 + (length - kLzMinMatch >= 32 ? 1 : 0) + DistanceBytes(distance);
}

// For each hash, the newest kChainDepth earlier positions with it: a search looks at no more
// than those, newest first. A fixed 4 MiB whatever the size of the data. The rings outlive a
// call so that a small file does not pay for clearing them: a ring whose stamp is not the
// current call's is empty.
// A ring is one 64-byte cache line.
struct MatchRings {
    std::vector<uint32_t> storage = std::vector<uint32_t>((size_t(kChainDepth) << kHashBits) + 16);
    uint32_t* positions =
        reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(storage.data()) + 63) & ~uintptr_t(63));
    // call << 9 | positions held (0 to 16) << 4 | newest slot
    std::vector<uint32_t> stamps = std::vector<uint32_t>(size_t(1) << kHashBits, 0);
    uint32_t call = 0;
    bool inUse = false;
};
static_assert(kChainDepth == 16, "a stamp keeps the count in 5 bits and the newest slot in 4");

constexpr uint32_t kCallsBeforeClearing = 1u << 23;

}  // namespace

std::vector<uint8_t> EncodeLzBlock(std::span<const uint8_t> data, LzProgress progress, void* progressContext)
{
    const uint8_t escape = LeastFrequentByte(data);
    std::vector<uint8_t> out(kLzHeaderSize, 0);
    out.reserve(data.size() + data.size() / 8 + 16);
    PutU32(out, 0, uint32_t(data.size()));
    out[8] = escape;

    thread_local MatchRings threadRings;
    // A progress callback that encodes gets rings of its own.
    std::unique_ptr<MatchRings> ownRings;
    MatchRings* rings = &threadRings;
    if (rings->inUse) {
        ownRings = std::make_unique<MatchRings>();
        rings = ownRings.get();
    }
    rings->inUse = true;
    if (++rings->call == kCallsBeforeClearing) {
        std::fill(rings->stamps.begin(), rings->stamps.end(), 0);
        rings->call = 1;
    }
    const uint32_t call = rings->call;
    // Block sizes are 32-bit, so are the positions.
    auto insert = [&](size_t at) {
        if (at + 4 > data.size()) return;
        const uint32_t h = HashAt(&data[at]);
        uint32_t& stamp = rings->stamps[h];
        const bool current = stamp >> 9 == call;
        const uint32_t slot = current ? (stamp + 1) % kChainDepth : 0;
        const uint32_t held = current ? std::min((stamp >> 4 & 31) + 1, kChainDepth) : 1;
        rings->positions[size_t(h) * kChainDepth + slot] = uint32_t(at);
        stamp = call << 9 | held << 4 | slot;
    };
    auto putLiteral = [&](uint8_t byte) {
        out.push_back(byte);
        if (byte == escape) out.push_back(escape);
    };

    constexpr size_t kProgressStep = size_t(1) << 20;
    size_t i = 0;
    size_t nextReport = kProgressStep;
    uint32_t misses = 0;
    while (i < data.size()) {
        if (progress != nullptr && i >= nextReport) {
            progress(i, progressContext);
            nextReport = i + kProgressStep;
        }
        uint32_t bestLength = 0;
        uint32_t bestDistance = 0;
        if (i + kLzMinMatch <= data.size()) {
            size_t limit = std::min<size_t>(kLzMaxMatch, data.size() - i);
            const uint32_t h = HashAt(&data[i]);
            const uint32_t* ring = &rings->positions[size_t(h) * kChainDepth];
            const uint32_t stamp = rings->stamps[h];
            const uint32_t held = stamp >> 9 == call ? stamp >> 4 & 31 : 0;
            for (uint32_t depth = 0; depth < held; ++depth) {
                const uint32_t candidate = ring[(stamp + kChainDepth - depth) % kChainDepth];
                if (i - size_t(candidate) > kWindow) break;
                size_t c = size_t(candidate);
                size_t length = 0;
                while (length < limit && data[c + length] == data[i + length]) ++length;
                if (length > bestLength) {
                    bestLength = uint32_t(length);
                    bestDistance = uint32_t(i - c);
                    if (length == limit) break;
                }
            }
        }
        size_t literalCost = 0;
        for (uint32_t k = 0; k < bestLength; ++k) literalCost += data[i + k] == escape ? 2 : 1;
        if (bestLength >= kLzMinMatch && MatchCost(bestLength, bestDistance) < literalCost) {
            uint32_t lengthField = bestLength - kLzMinMatch;
            uint32_t distanceField = bestDistance - 1;
            size_t distanceBytes = DistanceBytes(bestDistance);
            uint32_t code = (lengthField & 31) << 3 | (lengthField >= 32 ? 4 : 0) | uint32_t(distanceBytes - 1);
            out.push_back(escape);
            out.push_back(uint8_t(code >= escape ? code + 1 : code));
            if (lengthField >= 32) out.push_back(uint8_t(lengthField >> 5));
            for (size_t k = 0; k < distanceBytes; ++k) out.push_back(uint8_t(distanceField >> (8 * k)));
            for (uint32_t k = 0; k < bestLength; ++k) insert(i + k);
            i += bestLength;
            misses = 0;
            continue;
        }
        ++misses;
        size_t step = misses < kMissesBeforeSkipping ? 1 : std::min(kMaxSkip, misses / kMissesBeforeSkipping + 1);
        step = std::min(step, data.size() - i);
        for (size_t k = 0; k < step; ++k) {
            putLiteral(data[i + k]);
            insert(i + k);
        }
        i += step;
    }
    PutU32(out, 4, uint32_t(out.size()));
    rings->inUse = false;
    return out;
}
