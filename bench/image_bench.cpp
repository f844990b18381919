// Decoding the same PNG and JPEG pictures through the loader chain, through libpng and
// libjpeg called directly (the chain's own work on top is its overhead), and through the
// peers stb_image and libspng.
#include <benchmark/benchmark.h>

#include "core/tracked_memory.h"
#include "image/loaded_image.h"

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <spng.h>
#include <stb/stb_image.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace ror;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// A photograph-like picture: smooth shapes with a little noise.
Bytes MakePicture(int channels)
{
    Bytes pixels(size_t(kWidth) * kHeight * channels);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245 + 12345;
            const int n = int((noise >> 16) & 7) - 4;
            uint8_t* p = &pixels[(size_t(y) * kWidth + x) * channels];
            p[0] = uint8_t(std::clamp(int(128 + 100 * std::sin(x * 0.01) + n), 0, 255));
            p[1] = uint8_t(std::clamp(int(128 + 100 * std::cos(y * 0.013 + x * 0.002) + n), 0, 255));
            p[2] = uint8_t(std::clamp(int((x ^ y) & 0xFF) / 2 + 64 + n, 0, 255));
            if (channels == 4) p[3] = uint8_t(std::clamp(255 - (x + y) / 8, 0, 255));
        }
    return pixels;
}

void AppendBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes EncodePng(int channels)
{
    const Bytes pixels = MakePicture(channels);
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendBytes, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) png_write_row(png, &pixels[size_t(y) * kWidth * channels]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes EncodeJpeg()
{
    const Bytes pixels = MakePicture(3);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&pixels[size_t(cinfo.next_scanline) * kWidth * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

const Bytes& PngRgb()
{
    static const Bytes file = EncodePng(3);
    return file;
}
const Bytes& PngRgba()
{
    static const Bytes file = EncodePng(4);
    return file;
}
const Bytes& Jpeg()
{
    static const Bytes file = EncodeJpeg();
    return file;
}

void SetBytes(benchmark::State& bench, const Bytes& file)
{
    bench.SetBytesProcessed(int64_t(bench.iterations()) * int64_t(file.size()));
    bench.counters["pixels/s"] =
        benchmark::Counter(double(bench.iterations()) * kWidth * kHeight, benchmark::Counter::kIsRate);
}

void Chain(benchmark::State& bench, const Bytes& file)
{
    for (auto _ : bench) {
        LoadedImage image{};
        if (LoadImageData(file.data(), int32_t(file.size()), &image) != 0) bench.SkipWithError("chain refused");
        benchmark::DoNotOptimize(image.pixels);
        ReleaseLoadedImage(&image);
    }
    SetBytes(bench, file);
}

// libpng with the same requests as the chain, reading from memory into one block.
struct MemoryReader {
    const Bytes* file;
    size_t at;
};

void ReadMemory(png_structp png, png_bytep out, size_t length)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->file->size() - reader->at < length) png_error(png, "Read Error");
    std::memcpy(out, reader->file->data() + reader->at, length);
    reader->at += length;
}

void DirectLibpng(benchmark::State& bench, const Bytes& file)
{
    for (auto _ : bench) {
        MemoryReader reader{&file, 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_read_fn(png, &reader, ReadMemory);
        png_read_info(png, info);
        png_set_strip_16(png);
        png_set_packing(png);
        png_set_bgr(png);
        png_read_update_info(png, info);
        const size_t rowBytes = png_get_rowbytes(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        auto* pixels = static_cast<uint8_t*>(std::malloc(rowBytes * height));
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels + y * rowBytes;
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
    }
    SetBytes(bench, file);
}

void Spng(benchmark::State& bench, const Bytes& file, int format)
{
    for (auto _ : bench) {
        spng_ctx* ctx = spng_ctx_new(0);
        spng_set_png_buffer(ctx, file.data(), file.size());
        size_t size = 0;
        spng_decoded_image_size(ctx, format, &size);
        auto* pixels = static_cast<uint8_t*>(std::malloc(size));
        if (spng_decode_image(ctx, pixels, size, format, 0) != 0) bench.SkipWithError("libspng refused");
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
        spng_ctx_free(ctx);
    }
    SetBytes(bench, file);
}

void Stb(benchmark::State& bench, const Bytes& file)
{
    for (auto _ : bench) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load_from_memory(file.data(), int(file.size()), &width, &height, &channels, 0);
        if (pixels == nullptr) bench.SkipWithError("stb_image refused");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    SetBytes(bench, file);
}

// libjpeg with the library's memory source, writing blue, green, red as the chain does.
void DirectLibjpeg(benchmark::State& bench, const Bytes& file)
{
    for (auto _ : bench) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr errors;
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), file.size());
        jpeg_read_header(&cinfo, TRUE);
#ifdef JCS_EXTENSIONS
        cinfo.out_color_space = JCS_EXT_BGR;
#endif
        jpeg_start_decompress(&cinfo);
        const size_t rowBytes = size_t(cinfo.output_width) * cinfo.output_components;
        auto* pixels = static_cast<uint8_t*>(std::malloc(rowBytes * cinfo.output_height));
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels + size_t(cinfo.output_scanline) * rowBytes;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
    }
    SetBytes(bench, file);
}

void BM_PngRgbChain(benchmark::State& b) { Chain(b, PngRgb()); }
void BM_PngRgbLibpng(benchmark::State& b) { DirectLibpng(b, PngRgb()); }
void BM_PngRgbSpng(benchmark::State& b) { Spng(b, PngRgb(), SPNG_FMT_RGB8); }
void BM_PngRgbStb(benchmark::State& b) { Stb(b, PngRgb()); }
void BM_PngRgbaChain(benchmark::State& b) { Chain(b, PngRgba()); }
void BM_PngRgbaLibpng(benchmark::State& b) { DirectLibpng(b, PngRgba()); }
void BM_PngRgbaSpng(benchmark::State& b) { Spng(b, PngRgba(), SPNG_FMT_RGBA8); }
void BM_PngRgbaStb(benchmark::State& b) { Stb(b, PngRgba()); }
void BM_JpegChain(benchmark::State& b) { Chain(b, Jpeg()); }
void BM_JpegLibjpeg(benchmark::State& b) { DirectLibjpeg(b, Jpeg()); }
void BM_JpegStb(benchmark::State& b) { Stb(b, Jpeg()); }

BENCHMARK(BM_PngRgbChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgbLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgbSpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgbStb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgbaChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgbaLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgbaSpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgbaStb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegStb)->Unit(benchmark::kMillisecond);

}  // namespace
