// DDS (block data kept compressed, uncompressed layouts, mip levels) and the raw "BGRA" format.
#include "image_fixture.h"

using namespace ror;

namespace {

constexpr uint32_t kMipHeaderFlags = 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000;
constexpr uint32_t kMipCaps = 0x1000 | 0x8 | 0x400000;

struct DdsRecipe {
    int width, height;
    uint32_t mipCount;    // 0: no mip flags
    uint32_t pixelFlags;  // 0x4 four-character code, 0x40 RGB, 0x1 alpha pixels
    uint32_t fourCc;
    uint32_t rgbBits;
    uint32_t masks[4];
};

Bytes DdsHeader(const DdsRecipe& recipe)
{
    Bytes out = {'D', 'D', 'S', ' '};
    Bytes h(124, 0);
    SetLe32(h, 0, 124);
    SetLe32(h, 4, recipe.mipCount ? kMipHeaderFlags : 0x1007);
    SetLe32(h, 8, uint32_t(recipe.height));
    SetLe32(h, 12, uint32_t(recipe.width));
    SetLe32(h, 24, recipe.mipCount);
    SetLe32(h, 72, 32);
    SetLe32(h, 76, recipe.pixelFlags);
    SetLe32(h, 80, recipe.fourCc);
    SetLe32(h, 84, recipe.rgbBits);
    for (int i = 0; i < 4; ++i) SetLe32(h, 88 + 4 * i, recipe.masks[i]);
    SetLe32(h, 104, recipe.mipCount ? kMipCaps : 0x1000);
    out.insert(out.end(), h.begin(), h.end());
    return out;
}

uint32_t Code(const char* text) { return ReadLe32(reinterpret_cast<const uint8_t*>(text)); }

Bytes Payload(size_t bytes)
{
    Bytes out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = uint8_t(i * 7 + i / 251);
    return out;
}

class DdsTest : public ImageTest {};

TEST_F(DdsTest, BlockDataIsKeptWithEveryMipLevel)
{
    struct Case {
        const char* code;
        int width, height;
        uint32_t mips;
        int64_t bytes;
        int compression, colorBits;
    };
    const Case cases[] = {
        {"DXT1", 256, 256, 0, 32768, 1, 4},
        {"DXT1", 256, 256, 9, 32768 + 8192 + 2048 + 512 + 128 + 32 + 8 + 8 + 8, 1, 4},
        {"DXT2", 64, 64, 0, 4096, 2, 8},
        {"DXT3", 16, 16, 5, 256 + 64 + 16 + 16 + 16, 3, 8},
        {"DXT4", 8, 8, 0, 64, 4, 8},
        // A level smaller than a block still takes one, in every mip chain.
        {"DXT5", 64, 16, 7, 1024 + 256 + 64 + 32 + 16 + 16 + 16, 5, 8},
        {"DXT1", 6, 6, 0, 32, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.width << "x" << c.height << " mips " << c.mips);
        Bytes file = DdsHeader({c.width, c.height, c.mips, 0x4, Code(c.code), 0, {}});
        const Bytes payload = Payload(size_t(c.bytes));
        file.insert(file.end(), payload.begin(), payload.end());
        file.insert(file.end(), {0xEE, 0xEE});  // trailing bytes are not read
        LoadedImage image{};
        ASSERT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), 0);
        EXPECT_EQ(image.format.compression, c.compression);
        EXPECT_EQ(image.format.colorBits, c.colorBits);
        EXPECT_EQ(image.format.alphaMask, 0xFF000000u);
        EXPECT_EQ(image.pitch, 0);
        EXPECT_EQ(image.mipLevels, int(c.mips));
        EXPECT_EQ(HeaderOfBlock(image.pixels)->fields.size, c.bytes);
        EXPECT_EQ(Bytes(image.pixels, image.pixels + c.bytes), payload);
        ReleaseLoadedImage(&image);

        file.resize(file.size() - 3);  // one byte short
        EXPECT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), -1);
    }
    ExpectNoLeak();
}

TEST_F(DdsTest, UncompressedLayoutsReadWithTheirMasks)
{
    const Rgba source = MakeTestPicture(5, 3);
    struct Case {
        const char* name;
        DdsRecipe recipe;
        bool alpha;
    };
    const Case cases[] = {
        {"A8R8G8B8 masks", {5, 3, 0, 0x41, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}, true},
        {"X8R8G8B8 masks without alpha", {5, 3, 0, 0x40, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}}, false},
        {"R8G8B8 masks", {5, 3, 0, 0x40, 0, 24, {0xFF0000, 0xFF00, 0xFF, 0}}, false},
        {"code 21 (A8R8G8B8)", {5, 3, 0, 0x4, 21, 0, {}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = DdsHeader(c.recipe);
        const int bytesPerPixel = c.recipe.rgbBits == 24 ? 3 : 4;
        for (size_t i = 0; i < source.pixels.size(); i += 4) {
            file.insert(file.end(), {source.pixels[i + 2], source.pixels[i + 1], source.pixels[i]});
            if (bytesPerPixel == 4) file.push_back(source.pixels[i + 3]);
        }
        LoadedImage image{};
        ASSERT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), 0);
        EXPECT_EQ(image.pitch, 5 * bytesPerPixel);
        EXPECT_EQ(DecodedToRgba(image), c.alpha ? source : Opaque(source));
        ReleaseLoadedImage(&image);
    }
    ExpectNoLeak();
}

TEST_F(DdsTest, DamagedHeadersAreRefusedWithoutHanging)
{
    struct Case {
        const char* name;
        DdsRecipe recipe;
        size_t payload;
    };
    const Case cases[] = {
        {"unknown code", {4, 4, 0, 0x4, Code("ATI2"), 0, {}}, 16},
        {"code of no layout", {4, 4, 0, 0x4, 28, 0, {}}, 16},
        {"no masks", {4, 4, 0, 0x40, 0, 32, {}}, 64},
        {"12-bit pixels", {4, 4, 0, 0x40, 0, 12, {0xF00, 0xF0, 0xF, 0}}, 64},
        {"width 0", {0, 4, 0, 0x4, Code("DXT1"), 0, {}}, 16},
        {"huge size", {0x7FFFFFF0, 0x7FFFFFF0, 0, 0x4, Code("DXT5"), 0, {}}, 16},
        {"four billion mip levels", {4, 4, 0xFFFFFFFF, 0x4, Code("DXT1"), 0, {}}, 4096},
        {"four billion uncompressed levels",
         {1, 1, 0xFFFFFFFF, 0x41, 0, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
         4096},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = DdsHeader(c.recipe);
        file.resize(file.size() + c.payload, 0x11);
        LoadedImage image{};
        EXPECT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), -1);
    }
    Bytes shortHeader = DdsHeader({4, 4, 0, 0x4, Code("DXT1"), 0, {}});
    shortHeader.resize(100);
    LoadedImage image{};
    EXPECT_EQ(LoadImageData(shortHeader.data(), int32_t(shortHeader.size()), &image), -1);
    ExpectNoLeak();
}

TEST_F(DdsTest, ImageMagickBlockFilesKeepTheirBlocks)
{
    // An opaque picture: ImageMagick writes DXT1 blocks, the base level and three mip levels.
    if (!MakeWithImageMagick(
            "-size 32x32 gradient:red-blue -define dds:compression=dxt1 -define dds:mipmaps=3 made.dds"))
        GTEST_SKIP() << "no ImageMagick";
    const Bytes file = Load(PathOf("made.dds"));
    ASSERT_EQ(file.size(), 128u + 512 + 128 + 32 + 8);
    LoadedImage image{};
    ASSERT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), 0);
    EXPECT_EQ(image.format.compression, 1);
    EXPECT_EQ(image.mipLevels, 4);
    EXPECT_EQ(Bytes(image.pixels, image.pixels + 680), Bytes(file.begin() + 128, file.end()));
    ReleaseLoadedImage(&image);
}

Bytes BgraFile(uint32_t marker, int width, int height, const Bytes& pixels)
{
    Bytes out = {'B', 'G', 'R', 'A'};
    PutLe32(out, marker);
    PutLe32(out, uint32_t(width));
    PutLe32(out, uint32_t(height));
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

class BgraTest : public ImageTest {};

TEST_F(BgraTest, EightAndSixteenBitChannels)
{
    LoadedImage image{};
    const Bytes sixteen = BgraFile(0x10101010, 1, 1, {0x00, 0x11, 0x00, 0x22, 0x00, 0x33, 0x00, 0x44});
    ASSERT_EQ(LoadImageData(sixteen.data(), int32_t(sixteen.size()), &image), 0);
    EXPECT_EQ(ReadLe32(image.pixels), 0x44332211u);
    EXPECT_EQ(image.format.alphaMask, 0xFF000000u);
    EXPECT_EQ(image.format.colorBits, 32);
    ReleaseLoadedImage(&image);

    const Rgba source = MakeTestPicture(7, 5);
    Bytes eight, wide;
    for (size_t i = 0; i < source.pixels.size(); i += 4) {
        const uint8_t bgra[4] = {source.pixels[i + 2], source.pixels[i + 1], source.pixels[i], source.pixels[i + 3]};
        for (uint8_t c : bgra) {
            eight.push_back(c);
            wide.insert(wide.end(), {uint8_t(c ^ 0x5A), c});
        }
    }
    for (const Bytes& file : {BgraFile(0x08080808, 7, 5, eight), BgraFile(0x10101010, 7, 5, wide)}) {
        ASSERT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), 0);
        EXPECT_EQ(image.pitch, 28);
        EXPECT_EQ(DecodedToRgba(image), source);
        ReleaseLoadedImage(&image);
    }
    ExpectNoLeak();
}

TEST_F(BgraTest, WrongMarkersAndShortDataAreRefused)
{
    const Bytes cases[] = {
        BgraFile(0x08080807, 1, 1, {1, 2, 3, 4}),
        BgraFile(0x08080808, 2, 1, {1, 2, 3, 4}),
        BgraFile(0x10101010, 1, 1, {1, 2, 3, 4}),
        BgraFile(0x08080808, 0, 1, {}),
        BgraFile(0x08080808, 0x40000000, 0x40000000, {1, 2, 3, 4}),
        BgraFile(0x08080808, -1, 1, {1, 2, 3, 4}),
        Bytes{'B', 'G', 'R', 'A', 8, 8, 8},
    };
    for (const Bytes& file : cases) {
        LoadedImage image{};
        EXPECT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    ExpectNoLeak();
}

}  // namespace
