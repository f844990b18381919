// PNG through libpng, reading through the layer's streams. libpng's errors come back here
// by a long jump; the job record keeps what must be freed then.
#include "core/tracked_memory.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <limits>

namespace ror {

namespace {

// A deflate stream expands its input at most about 1032 times.
constexpr int64_t kMaxDeflateRatio = 1100;
// libpng's own blocks: chunk data and a few rows (a row of the widest picture it takes,
// 1000000 pixels of 8 bytes, is 8 MB). A chunk header claiming more is damage.
constexpr int32_t kMaxChunkBytes = 8 << 20;
constexpr int32_t kMaxLibraryBlock = 64 << 20;

struct PngJob {
    ImageStream in;
    int64_t streamSize;
    png_structp png;
    png_infop info;
    uint8_t* pixels;
    png_bytep* rows;
    LoadedImage* image;
};

void ReadFromStream(png_structp png, png_bytep destination, size_t bytes)
{
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (!ReadImageBytes(job->in, destination, int64_t(bytes))) png_error(png, "Read Error");
}

void RaiseError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void IgnoreWarning(png_structp, png_const_charp) {}

png_voidp AllocForPng(png_structp, png_alloc_size_t bytes)
{
    if (bytes == 0 || bytes > png_alloc_size_t(kMaxLibraryBlock)) return nullptr;
    return TrackedAlloc(int32_t(bytes), __FILE__, __LINE__);
}

void FreeForPng(png_structp, png_voidp block)
{
    if (block != nullptr) TrackedFree(block);
}

void SetDecodedFormat(PngJob* job, int colorType, bool expanded)
{
    ColorFormat& format = job->image->format;
    const int channels = png_get_channels(job->png, job->info);
    if (colorType == PNG_COLOR_TYPE_PALETTE && !expanded) {
        MakePaletteFormat(&format);
        std::memset(format.palette, 0, sizeof(format.palette));
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(job->png, job->info, &entries, &count) != 0) {
            for (int i = 0; i < count && i < 256; ++i) {
                format.palette[i][0] = entries[i].blue;
                format.palette[i][1] = entries[i].green;
                format.palette[i][2] = entries[i].red;
                format.palette[i][3] = 0;
            }
        }
    } else if (channels == 3) {
        MakeRgb24Format(&format);
    } else if (channels == 4) {
        MakeRgb24Format(&format);
        format.colorBits = 32;
        format.pixelBytes = 4;
        format.alphaWidth = 8;
        format.alphaShift = 24;
        format.alphaMask = 0xFF000000u;
    } else if (channels == 1) {
        MakeGreyPaletteFormat(&format);
    } else {
        // Grey and alpha: every colour channel is the grey byte; the alpha byte is not used.
        BuildColorFormat(&format, 16, 0xFF, 0xFF, 0xFF, 0);
        format.unusedMask = 0xFF00;
    }
}

// Everything libpng may leave by its error jump. Kept out of line so that the job's fields
// live in memory when the jump lands in RunPngJob.
[[gnu::noinline]] void DecodePngRows(PngJob* job)
{
    png_structp png = job->png;
    png_infop info = job->info;
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);

    // Pictures larger than their compressed data could ever describe are refused unread.
    const int64_t storedRow = (int64_t(width) * bitDepth * png_get_channels(png, info) + 7) / 8 + 1;
    if (int64_t(height) * storedRow / kMaxDeflateRatio > job->streamSize) png_error(png, "Too large");

    png_set_strip_16(png);
    png_set_packing(png);
    png_set_packswap(png);
    const bool expanded =
        (colorType == PNG_COLOR_TYPE_GRAY && bitDepth <= 8) || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (expanded) png_set_expand(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const size_t rowBytes = png_get_rowbytes(png, info);
    const int64_t bytes = CheckedImageBytes(int64_t(rowBytes), height);
    if (bytes <= 0 || rowBytes > size_t(std::numeric_limits<int32_t>::max())) png_error(png, "Too large");
    job->pixels = AllocImagePixels(bytes, __FILE__, __LINE__);
    job->rows = static_cast<png_bytep*>(TrackedAlloc(int32_t(height * sizeof(png_bytep)), __FILE__, __LINE__));
    if (job->pixels == nullptr || job->rows == nullptr) png_error(png, "Out of memory");
    for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->pixels + int64_t(y) * rowBytes;
    png_read_image(png, job->rows);
    png_read_end(png, nullptr);

    SetDecodedFormat(job, colorType, expanded);
    job->image->width = int32_t(width);
    job->image->height = int32_t(height);
    job->image->pitch = int32_t(rowBytes);
}

int RunPngJob(PngJob* job)
{
    if (setjmp(png_jmpbuf(job->png)) != 0) return -1;
    DecodePngRows(job);
    return 0;
}

}  // namespace

int DecodePng(const StreamOps* ops, StreamValue stream, LoadedImage* image)
{
    const ImageStream in{ops, stream};
    uint8_t signature[8];
    // Other kinds of data are turned away before libpng is set up.
    if (!ReadImageBytes(in, signature, sizeof(signature)) || png_sig_cmp(signature, 0, sizeof(signature)) != 0)
        return -1;

    PngJob job = {in, ImageStreamSize(in), nullptr, nullptr, nullptr, nullptr, image};
    job.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, RaiseError, IgnoreWarning, nullptr, AllocForPng,
                                       FreeForPng);
    if (job.png == nullptr) return -1;
    job.info = png_create_info_struct(job.png);
    if (job.info == nullptr) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        return -1;
    }
    png_set_read_fn(job.png, &job, ReadFromStream);
    png_set_chunk_malloc_max(job.png, kMaxChunkBytes);
    png_set_sig_bytes(job.png, sizeof(signature));

    const int result = RunPngJob(&job);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    if (job.rows != nullptr) TrackedFree(job.rows);
    if (result != 0) {
        if (job.pixels != nullptr) TrackedFree(job.pixels);
        std::memset(image, 0, sizeof(*image));
        return -1;
    }
    image->pixels = job.pixels;
    return 0;
}

}  // namespace ror
