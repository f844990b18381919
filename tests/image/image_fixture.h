// Pictures for the decoder tests: a source picture, writers that store it in each format,
// the decoded result turned back into red, green, blue, alpha, and ImageMagick as referee.
#pragma once
#include "core/tracked_memory.h"
#include "image/image_stream.h"
#include "image/loaded_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Red, green, blue, alpha per pixel, rows top first.
struct Rgba {
    int width = 0;
    int height = 0;
    Bytes pixels;
    const uint8_t* At(int x, int y) const { return pixels.data() + (size_t(y) * width + x) * 4; }
    bool operator==(const Rgba&) const = default;
};

inline void PutLe16(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void PutLe32(Bytes& out, uint32_t v)
{
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}
inline void SetLe32(Bytes& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

// A picture with varied colours and alpha, the same for every run.
inline Rgba MakeTestPicture(int width, int height, bool withAlpha = true)
{
    Rgba picture{width, height, Bytes(size_t(width) * height * 4)};
    std::mt19937 random(uint32_t(width * 131 + height));
    for (size_t i = 0; i < picture.pixels.size(); i += 4) {
        const uint32_t v = random();
        picture.pixels[i] = uint8_t(v);
        picture.pixels[i + 1] = uint8_t(v >> 8);
        picture.pixels[i + 2] = uint8_t(v >> 16);
        picture.pixels[i + 3] = withAlpha ? uint8_t(v >> 24) : 255;
    }
    return picture;
}

// Indices 0..colors-1 in a pattern, and a palette of `colors` distinct entries.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::vector<std::array<uint8_t, 4>> palette;  // red, green, blue, alpha

    Rgba ToRgba() const
    {
        Rgba out{width, height, Bytes(indices.size() * 4)};
        for (size_t i = 0; i < indices.size(); ++i)
            for (int c = 0; c < 4; ++c) out.pixels[i * 4 + c] = palette[indices[i]][c];
        return out;
    }
};

inline IndexedPicture MakeIndexedPicture(int width, int height, int colors)
{
    IndexedPicture picture{width, height, {}, {}};
    std::mt19937 random(uint32_t(colors * 7 + width));
    for (int i = 0; i < colors; ++i)
        picture.palette.push_back({uint8_t(i * 37 + 11), uint8_t(255 - i * 13), uint8_t(random()), uint8_t(255 - i)});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.indices.push_back(uint8_t((x / 2 + y * 3 + (x * y) % 5) % colors));
    return picture;
}

// Reads a decoded picture back as red, green, blue, alpha: palette entries for one-byte
// pixels, every channel scaled from its width to 8 bits, opaque where there is no alpha.
inline Rgba DecodedToRgba(const ror::LoadedImage& image)
{
    const ror::ColorFormat& f = image.format;
    Rgba out{image.width, image.height, Bytes(size_t(image.width) * image.height * 4)};
    auto channel = [](uint32_t value, uint32_t mask, int shift, int width) -> uint8_t {
        if (width == 0) return 0;
        const uint32_t top = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
        return uint8_t(uint64_t((value & mask) >> shift) * 255 / top);
    };
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = image.pixels + size_t(y) * image.pitch;
        for (int x = 0; x < image.width; ++x) {
            uint8_t* px = out.pixels.data() + (size_t(y) * image.width + x) * 4;
            const uint8_t* p = row + size_t(x) * f.pixelBytes;
            if (f.pixelBytes == 1) {
                px[0] = f.palette[p[0]][2];
                px[1] = f.palette[p[0]][1];
                px[2] = f.palette[p[0]][0];
                px[3] = 255;
                continue;
            }
            uint32_t v = 0;
            for (int i = 0; i < f.pixelBytes; ++i) v |= uint32_t(p[i]) << (8 * i);
            px[0] = channel(v, f.redMask, f.redShift, f.redWidth);
            px[1] = channel(v, f.greenMask, f.greenShift, f.greenWidth);
            px[2] = channel(v, f.blueMask, f.blueShift, f.blueWidth);
            px[3] = f.alphaWidth != 0 ? channel(v, f.alphaMask, f.alphaShift, f.alphaWidth) : 255;
        }
    }
    return out;
}

// Every pixel made opaque, for comparing with a decoder that keeps no alpha.
inline Rgba Opaque(Rgba picture)
{
    for (size_t i = 3; i < picture.pixels.size(); i += 4) picture.pixels[i] = 255;
    return picture;
}

// Largest difference of any channel; -1 when the sizes differ.
inline int MaxDifference(const Rgba& a, const Rgba& b)
{
    if (a.width != b.width || a.height != b.height) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) worst = std::max(worst, std::abs(int(a.pixels[i]) - int(b.pixels[i])));
    return worst;
}

class ImageTest : public ::testing::Test {
protected:
    std::filesystem::path folder;
    int32_t allocationsAtStart = 0;

    void SetUp() override
    {
        std::random_device random;
        folder = std::filesystem::temp_directory_path() /
                 ("ror_image_" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(folder);
        allocationsAtStart = ror::TrackedAllocationCount();
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    std::string Save(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return PathOf(name);
    }

    static Bytes Load(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    // Decodes a memory block with the whole chain; fails the test when the chain refuses.
    static Rgba DecodeBytes(const Bytes& bytes, ror::LoadedImage* keep = nullptr)
    {
        ror::LoadedImage image{};
        EXPECT_EQ(ror::LoadImageData(bytes.data(), int32_t(bytes.size()), &image), 0);
        Rgba out = image.pixels != nullptr ? DecodedToRgba(image) : Rgba{};
        if (keep != nullptr)
            *keep = image;
        else
            ror::ReleaseLoadedImage(&image);
        return out;
    }

    static bool HaveImageMagick() { return std::filesystem::exists("/usr/bin/convert"); }

    // ImageMagick's reading of a file as 8-bit red, green, blue, alpha; false without it.
    bool ReferenceDecode(const std::string& path, Rgba* out) const
    {
        if (!HaveImageMagick()) return false;
        const std::string raw = PathOf("reference.rgba");
        const std::string size = PathOf("reference.size");
        const std::string command = "/usr/bin/convert '" + path + "' -auto-orient -depth 8 rgba:'" + raw +
                                    "' && /usr/bin/convert '" + path + "' -format '%w %h' info:'" + size + "'";
        if (std::system(command.c_str()) != 0) return false;
        std::ifstream sizes(size);
        sizes >> out->width >> out->height;
        out->pixels = Load(raw);
        return out->pixels.size() == size_t(out->width) * out->height * 4;
    }

    // Runs ImageMagick to make a file; false without it.
    bool MakeWithImageMagick(const std::string& arguments) const
    {
        if (!HaveImageMagick()) return false;
        return std::system(("cd '" + folder.string() + "' && /usr/bin/convert " + arguments).c_str()) == 0;
    }

    // Every tracked block taken by the decoders has been given back.
    void ExpectNoLeak() const { EXPECT_EQ(ror::TrackedAllocationCount(), allocationsAtStart); }
};
