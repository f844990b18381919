// libFuzzer target: the movie container and picture decoder over a memory block, the way a
// movie plays: every frame decoded and its picture converted row by row, then back to the
// start and a few frames again.
#include "core/tracked_memory.h"
#include "file/file_access.h"
#include "graphics/software/planar_convert.h"
#include "movie/movie_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace ror;

namespace {

const StreamOps kMemoryOps = {TellMemoryStream,  SeekMemoryStream, ReadMemoryStream,
                              MemoryStreamAtEnd, MemoryStreamIdle, CloseMemoryStream};

// Reads every sample of the picture, so that a plane pointer or pitch out of its buffer shows.
void ConvertPicture(const PlanarPicture& picture)
{
    std::vector<uint32_t> row(size_t(picture.width));
    for (int y = 0; y < picture.height; ++y) {
        const int cy = y >> picture.chromaShiftY;
        ConvertPlanarRowScalar(picture.planes[0] + intptr_t(y) * picture.pitches[0],
                               picture.planes[1] + intptr_t(cy) * picture.pitches[1],
                               picture.planes[2] + intptr_t(cy) * picture.pitches[2], picture.width,
                               picture.chromaShiftX, row.data());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFFF) return 0;
    MemoryStream* stream = OpenMemoryStream(data, int32_t(size));
    if (stream == nullptr) __builtin_trap();
    MovieInfo info{};
    MovieFile* file = OpenMovieFile({&kMemoryOps, reinterpret_cast<StreamValue>(stream)}, &info);
    if (file != nullptr) {
        if (info.width <= 0 || info.height <= 0 || info.frames <= 0 || info.rateNumerator <= 0 ||
            info.rateDenominator <= 0)
            __builtin_trap();
        PlanarPicture picture{};
        // Pictures bigger than the fuzzer's memory allows are decoded, not converted.
        const bool convert = int64_t(info.width) * info.height <= 1 << 20;
        int got = 1;
        for (int frame = 0; frame < 2000 && got == 1; ++frame) {
            got = ReadMovieFrame(file, &picture);
            if (got == 1 && (picture.width != info.width || picture.height != info.height)) __builtin_trap();
            if (got == 1 && convert) ConvertPicture(picture);
        }
        if (RewindMovieFile(file) == 0)
            for (int frame = 0; frame < 3 && ReadMovieFrame(file, &picture) == 1; ++frame) {}
        CloseMovieFile(file);
    }
    CloseMemoryStream(reinterpret_cast<StreamValue>(stream));
    if (TrackedAllocationCount() != 0) __builtin_trap();
    return 0;
}
