// JPEG through libjpeg, reading through the layer's streams. libjpeg's errors come back
// here by a long jump; the job record keeps what must be freed then.
#include "core/tracked_memory.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"

#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

namespace ror {

namespace {

// libjpeg-turbo takes its fast Huffman path only while the source buffer holds a few
// kilobytes (512 bytes per block of an MCU, up to ten blocks); with a buffer that size
// it would decode most MCUs on the slow path. A large buffer keeps it on the fast one.
constexpr int kSourceBufferBytes = 64 * 1024;
// Progressive files with endless scans would take endless time.
constexpr int kMaxScans = 1000;

struct JpegSource {
    jpeg_source_mgr pub;
    ImageStream in;
    int64_t remaining;  // bytes of the stream not yet read
    bool started;       // some data has been read
    JOCTET buffer[kSourceBufferBytes];
};

struct JpegJob {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    jmp_buf back;
    JpegSource source;
    uint8_t* pixels;
    LoadedImage* image;
};

JpegJob* JobOf(j_common_ptr cinfo)
{
    return reinterpret_cast<JpegJob*>(reinterpret_cast<char*>(cinfo) - offsetof(JpegJob, cinfo));
}

void ReturnToDecoder(j_common_ptr cinfo) { std::longjmp(JobOf(cinfo)->back, 1); }

// Messages stay quiet: a damaged picture is reported by the result alone.
void KeepMessage(j_common_ptr) {}

void LimitScans(j_common_ptr cinfo)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kMaxScans) ERREXIT(cinfo, JERR_NOTIMPL);
}

void InitSource(j_decompress_ptr) {}

boolean FillBuffer(j_decompress_ptr cinfo)
{
    JpegSource* source = &JobOf(reinterpret_cast<j_common_ptr>(cinfo))->source;
    const int64_t want = std::min<int64_t>(kSourceBufferBytes, source->remaining);
    const size_t got = want > 0 ? source->in.ops->read(source->buffer, 1, size_t(want), source->in.stream) : 0;
    if (got == 0) {
        if (!source->started) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A truncated picture ends here: the rest is filled in by the library.
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        source->pub.next_input_byte = source->buffer;
        source->pub.bytes_in_buffer = 2;
        source->remaining = 0;
        WARNMS(cinfo, JWRN_JPEG_EOF);
        return TRUE;
    }
    source->remaining -= int64_t(got);
    source->started = true;
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = got;
    return TRUE;
}

void SkipData(j_decompress_ptr cinfo, long bytes)
{
    jpeg_source_mgr* pub = cinfo->src;
    while (bytes > long(pub->bytes_in_buffer)) {
        bytes -= long(pub->bytes_in_buffer);
        FillBuffer(cinfo);
    }
    if (bytes > 0) {
        pub->next_input_byte += bytes;
        pub->bytes_in_buffer -= size_t(bytes);
    }
}

void TermSource(j_decompress_ptr) {}

// Everything libjpeg may leave by its error jump; kept out of line so the job's fields
// live in memory when the jump lands in RunJpegJob.
[[gnu::noinline]] void DecodeJpegRows(JpegJob* job)
{
    j_decompress_ptr cinfo = &job->cinfo;
    jpeg_read_header(cinfo, TRUE);
    // Four-channel (CMYK, YCCK) pictures are not read.
    if (cinfo->num_components != 1 && cinfo->num_components != 3) ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
#ifdef JCS_EXTENSIONS
    // The library writes blue, green, red itself: the same bytes as swapping afterwards.
    if (cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = JCS_EXT_BGR;
#endif
    // Huffman-coded data spends at least one bit on every block of every component (its DC
    // difference), so data that cannot code the blocks the header claims is damaged: refused
    // before a block of pixels is taken for them. Arithmetic-coded data has no such floor: a
    // block that repeats its neighbour costs a small fraction of a bit and the decoder reads
    // zeros past the end of the data by design, so a flat picture of any size is a file of a
    // hundred bytes. Only the limit on pixel bytes bounds those.
    if (!cinfo->arith_code) {
        uint64_t blocks = 0;
        for (int i = 0; i < cinfo->num_components; ++i)
            blocks += uint64_t(cinfo->comp_info[i].width_in_blocks) * cinfo->comp_info[i].height_in_blocks;
        const uint64_t dataBits = (uint64_t(job->source.remaining) + cinfo->src->bytes_in_buffer) * 8;
        if (blocks > dataBits) ERREXIT(cinfo, JERR_BAD_LENGTH);
    }
    jpeg_calc_output_dimensions(cinfo);
    const int components = cinfo->output_components;
    const int64_t rowBytes = int64_t(cinfo->output_width) * components;
    const int64_t bytes = CheckedImageBytes(rowBytes, cinfo->output_height);
    if ((components != 1 && components != 3) || bytes <= 0) ERREXIT(cinfo, JERR_WIDTH_OVERFLOW);
    cinfo->mem->max_memory_to_use = long(std::min<int64_t>(ImageDecoding.maxImageBytes * 3, 0x7FFFFFFF));
    job->pixels = AllocImagePixels(bytes, __FILE__, __LINE__);
    if (job->pixels == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);

    jpeg_start_decompress(cinfo);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = job->pixels + int64_t(cinfo->output_scanline) * rowBytes;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) break;
#ifndef JCS_EXTENSIONS
        if (components == 3)
            for (int64_t x = 0; x < rowBytes; x += 3) std::swap(row[x], row[x + 2]);
#endif
    }
    jpeg_finish_decompress(cinfo);

    LoadedImage* image = job->image;
    if (components == 1)
        MakeGreyPaletteFormat(&image->format);
    else
        MakeRgb24Format(&image->format);
    image->width = int32_t(cinfo->output_width);
    image->height = int32_t(cinfo->output_height);
    image->pitch = int32_t(rowBytes);
}

int RunJpegJob(JpegJob* job)
{
    if (setjmp(job->back) != 0) return -1;
    DecodeJpegRows(job);
    return 0;
}

}  // namespace

int DecodeJpeg(const StreamOps* ops, StreamValue stream, LoadedImage* image)
{
    const ImageStream in{ops, stream};
    uint8_t start[2];
    // Other kinds of data are turned away before libjpeg is set up.
    if (!ReadImageBytes(in, start, 2) || start[0] != 0xFF || start[1] != 0xD8 || !SeekImageStream(in, 0)) return -1;

    auto* job = static_cast<JpegJob*>(TrackedAllocZeroed(int32_t(sizeof(JpegJob)), __FILE__, __LINE__));
    if (job == nullptr) return -1;
    job->image = image;
    job->cinfo.err = jpeg_std_error(&job->errors);
    job->errors.error_exit = ReturnToDecoder;
    job->errors.output_message = KeepMessage;
    job->progress.progress_monitor = LimitScans;
    job->source.in = in;
    job->source.remaining = RemainingImageBytes(in);
    job->source.pub.init_source = InitSource;
    job->source.pub.fill_input_buffer = FillBuffer;
    job->source.pub.skip_input_data = SkipData;
    job->source.pub.resync_to_restart = jpeg_resync_to_restart;
    job->source.pub.term_source = TermSource;

    int result = -1;
    if (setjmp(job->back) == 0) {
        jpeg_create_decompress(&job->cinfo);
        job->cinfo.src = &job->source.pub;
        job->cinfo.progress = &job->progress;
        result = RunJpegJob(job);
    }
    jpeg_destroy_decompress(&job->cinfo);
    if (result == 0) {
        image->pixels = job->pixels;
    } else {
        if (job->pixels != nullptr) TrackedFree(job->pixels);
        std::memset(image, 0, sizeof(*image));
    }
    TrackedFree(job);
    return result;
}

}  // namespace ror
