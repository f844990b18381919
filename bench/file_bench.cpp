// Files and archives: the LZ decoder against zlib's inflate, LZ4 and memcpy on the same
// data; sequential reading of a 64 MiB file through an archive (stored and compressed)
// and through the plain layer, against plain reads of the system.
#include <benchmark/benchmark.h>

#include <lz4.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive_writer.h"
#include "file/archive_files.h"
#include "file/file_access.h"
#include "file/lz_block.h"
#include "file/plain_file.h"
#include "lz_encoder.h"
#include "platform/files/files.h"

using namespace ror;

namespace {

// Deterministic data sets of up to 8 MiB: words of a small vocabulary, pixels of a noisy
// gradient, and this program's own executable (real machine code and tables).
uint32_t NextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

std::vector<uint8_t> TextData(size_t size)
{
    static const char* words[] = {"the",  "castle", "north",  "river",   "of",     "army", "gold",
                                  "and",  "a",      "border", "country", "winter", "map",  "to",
                                  "king", "road",   "holds",  "east",    "west",   "its"};
    std::vector<uint8_t> out;
    uint32_t state = 7;
    while (out.size() < size) {
        const char* word = words[NextRandom(state) % 20];
        out.insert(out.end(), word, word + std::strlen(word));
        out.push_back(NextRandom(state) % 11 == 0 ? '\n' : ' ');
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> PixelData(size_t size)
{
    std::vector<uint8_t> out(size);
    uint32_t state = 11;
    for (size_t i = 0; i < size; i += 4) {
        size_t pixel = i / 4;
        uint32_t x = uint32_t(pixel % 1024);
        uint32_t y = uint32_t(pixel / 1024);
        uint32_t noise = NextRandom(state) % 4;
        out[i] = uint8_t(x / 4 + noise);
        out[i + 1] = uint8_t(y / 4);
        out[i + 2] = uint8_t((x + y) / 8);
        if (i + 3 < size) out[i + 3] = 255;
    }
    return out;
}

std::vector<uint8_t> ExecutableData(size_t size)
{
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::vector<uint8_t> exe{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // Not repeated: a repeat would only measure the decoders' windows.
    if (exe.size() > size) exe.resize(size);
    return exe;
}

constexpr size_t kCodecSize = 8 << 20;

struct CodecData {
    std::vector<uint8_t> raw;
    std::vector<uint8_t> ours;
    std::vector<uint8_t> zlib;
    std::vector<char> lz4;
};

const CodecData& Codec(int which)
{
    static CodecData sets[3];
    CodecData& set = sets[which];
    if (set.raw.empty()) {
        set.raw = which == 0 ? TextData(kCodecSize) : which == 1 ? PixelData(kCodecSize) : ExecutableData(kCodecSize);
        set.ours = EncodeLzBlock(std::span<const uint8_t>(set.raw));
        uLongf zlibSize = compressBound(uLong(set.raw.size()));
        set.zlib.resize(zlibSize);
        compress2(set.zlib.data(), &zlibSize, set.raw.data(), uLong(set.raw.size()), 6);
        set.zlib.resize(zlibSize);
        set.lz4.resize(size_t(LZ4_compressBound(int(set.raw.size()))));
        int lz4Size = LZ4_compress_default(reinterpret_cast<const char*>(set.raw.data()), set.lz4.data(),
                                           int(set.raw.size()), int(set.lz4.size()));
        set.lz4.resize(size_t(lz4Size));
    }
    return set;
}

const char* kSetNames[] = {"text", "pixels", "executable"};

void Report(benchmark::State& state, const CodecData& set, size_t packed)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(set.raw.size()));
    state.counters["ratio"] = double(packed) / double(set.raw.size());
    state.SetLabel(kSetNames[state.range(0)]);
}

void BM_DecodeLzBlock(benchmark::State& state)
{
    const CodecData& set = Codec(int(state.range(0)));
    std::vector<uint8_t> out(set.raw.size());
    for (auto _ : state) {
        int64_t got = DecodeLzBlock(set.ours.data(), set.ours.size(), out.data(), out.size());
        benchmark::DoNotOptimize(got);
    }
    if (out != set.raw) state.SkipWithError("round trip differs");
    Report(state, set, set.ours.size());
}

void BM_ZlibInflate(benchmark::State& state)
{
    const CodecData& set = Codec(int(state.range(0)));
    std::vector<uint8_t> out(set.raw.size());
    for (auto _ : state) {
        uLongf size = uLongf(out.size());
        uncompress(out.data(), &size, set.zlib.data(), uLong(set.zlib.size()));
        benchmark::DoNotOptimize(out.data());
    }
    Report(state, set, set.zlib.size());
}

void BM_Lz4Decompress(benchmark::State& state)
{
    const CodecData& set = Codec(int(state.range(0)));
    std::vector<uint8_t> out(set.raw.size());
    for (auto _ : state) {
        int got = LZ4_decompress_safe(set.lz4.data(), reinterpret_cast<char*>(out.data()), int(set.lz4.size()),
                                      int(out.size()));
        benchmark::DoNotOptimize(got);
    }
    Report(state, set, set.lz4.size());
}

void BM_Memcpy(benchmark::State& state)
{
    const CodecData& set = Codec(int(state.range(0)));
    std::vector<uint8_t> out(set.raw.size());
    for (auto _ : state) {
        std::memcpy(out.data(), set.raw.data(), set.raw.size());
        benchmark::ClobberMemory();
    }
    Report(state, set, set.raw.size());
}

BENCHMARK(BM_DecodeLzBlock)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Lz4Decompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZlibInflate)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Memcpy)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

// 64 MiB read sequentially in 1 MiB requests. The files stay in the page cache: this
// measures the layers' own cost.
constexpr size_t kReadSize = 64 << 20;
constexpr size_t kChunk = 1 << 20;

// Every path reads into a buffer that starts on a page: the kernel copies from the page cache
// about twice as fast to a page-aligned address as to one 16 bytes past it (where a large
// vector's block starts).
struct PageBuffer {
    uint8_t* bytes;
    explicit PageBuffer(size_t size) : bytes(static_cast<uint8_t*>(std::aligned_alloc(4096, size))) {}
    ~PageBuffer() { std::free(bytes); }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    uint8_t* data() const { return bytes; }
};

struct ReadFolder {
    std::filesystem::path folder;
    std::vector<uint8_t> random;  // incompressible: stored in the archive
    std::vector<uint8_t> text;    // compressible: compressed in the archive
};

const ReadFolder& Files()
{
    static ReadFolder files = [] {
        ReadFolder made;
        made.folder = std::filesystem::temp_directory_path() / "rorodiv_file_bench";
        std::filesystem::create_directories(made.folder);
        std::filesystem::current_path(made.folder);
        made.random.resize(kReadSize);
        uint32_t state = 3;
        for (size_t i = 0; i < kReadSize; i += 4) {
            uint32_t value = NextRandom(state) * 2654435761u;
            std::memcpy(&made.random[i], &value, 4);
        }
        made.text = TextData(kReadSize);
        std::ofstream("plain.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(made.random.data()), std::streamsize(made.random.size()));
        PackNode root;
        root.isFolder = true;
        PackNode stored;
        stored.name = "stored.bin";
        stored.data = made.random;
        PackNode packed;
        packed.name = "packed.txt";
        packed.data = made.text;
        root.children = {stored, packed};
        std::vector<uint8_t> archive;
        std::string error;
        BuildArchive(root, PackOptions{}, &archive, &error);
        std::ofstream("data.zaz", std::ios::binary)
            .write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
        ClearArchiveTables();
        InstallFileAccess(nullptr);
        return made;
    }();
    std::filesystem::current_path(files.folder);
    return files;
}

void BM_ReadSystem(benchmark::State& state)
{
    Files();
    PageBuffer buffer(kChunk);
    for (auto _ : state) {
        SystemFile file = OpenSystemFile("plain.bin", FileOpenMode::Read);
        while (ReadSystemFile(file, buffer.data(), kChunk) > 0) {}
        CloseSystemFile(file);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kReadSize));
}

void ReadThroughTable(benchmark::State& state, const char* path, int32_t useCache, int32_t async, size_t expected)
{
    PageBuffer buffer(kChunk);
    for (auto _ : state) {
        FileValue file = FileOpen(path, useCache, 0, async);
        size_t total = 0;
        size_t got;
        while ((got = FileRead(buffer.data(), 1, kChunk, file)) > 0) {
            while (FileIdle(file) == 0) {}
            total += got;
        }
        FileClose(file);
        if (total != expected) state.SkipWithError("short read");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(expected));
}

void BM_ReadPlainLayer(benchmark::State& state)
{
    Files();
    ReadThroughTable(state, "plain.bin", 0, 0, kReadSize);
}

void BM_ReadPlainLayerAsync(benchmark::State& state)
{
    Files();
    ReadThroughTable(state, "plain.bin", 0, 1, kReadSize);
}

void BM_ReadArchiveStored(benchmark::State& state)
{
    Files();
    ReadThroughTable(state, "data/stored.bin", 0, 0, kReadSize);
}

void BM_ReadArchiveCompressed(benchmark::State& state)
{
    Files();
    ReadThroughTable(state, "data/packed.txt", 0, 0, kReadSize);
}

// The whole file in one request into a 64 MiB buffer, as a loader reads a picture.
void BM_ReadSystemWhole(benchmark::State& state)
{
    Files();
    PageBuffer buffer(kReadSize);
    for (auto _ : state) {
        SystemFile file = OpenSystemFile("plain.bin", FileOpenMode::Read);
        ReadSystemFile(file, buffer.data(), kReadSize);
        CloseSystemFile(file);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kReadSize));
}

void ReadWholeThroughTable(benchmark::State& state, const char* path)
{
    PageBuffer buffer(kReadSize);
    for (auto _ : state) {
        FileValue file = FileOpen(path, 0, 0, 0);
        if (FileRead(buffer.data(), 1, kReadSize, file) == 0) state.SkipWithError("nothing read");
        FileClose(file);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kReadSize));
}

void BM_ReadPlainLayerWhole(benchmark::State& state)
{
    Files();
    ReadWholeThroughTable(state, "plain.bin");
}

void BM_ReadArchiveStoredWhole(benchmark::State& state)
{
    Files();
    ReadWholeThroughTable(state, "data/stored.bin");
}

BENCHMARK(BM_ReadSystemWhole)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlainLayerWhole)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadArchiveStoredWhole)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadSystem)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlainLayer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlainLayerAsync)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadArchiveStored)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadArchiveCompressed)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// Descrambling 256 KiB pieces, the size synchronous archive reads work in.
void BM_ScrambleBytes(benchmark::State& state)
{
    std::vector<uint8_t> bytes(256 << 10, 0x5A);
    ArchiveKey key = DeriveArchiveKey(nullptr);
    for (auto _ : state) {
        ScrambleBytes(bytes.data(), bytes.size(), 7, key);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

BENCHMARK(BM_ScrambleBytes);

}  // namespace
