// PNG: every colour type and depth, transparency chunks and interlacing, written here with
// libpng and compared with the samples stored and with ImageMagick's reading.
#include "image_fixture.h"

#include <png.h>
#include <zlib.h>

using namespace ror;

namespace {

struct PngRecipe {
    const char* name;
    int colorType;
    int bitDepth;
    bool transparency;  // a tRNS chunk
    bool interlaced;
};

// Samples of the stored picture: one per channel, in 0 .. 2^bitDepth - 1.
struct PngPicture {
    int width = 0, height = 0, channels = 0;
    std::vector<uint16_t> samples;
    std::vector<png_color> palette;
    Bytes paletteAlpha;
};

int ChannelsOf(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

PngPicture MakePngPicture(const PngRecipe& recipe, int width, int height)
{
    PngPicture p{width, height, ChannelsOf(recipe.colorType), {}, {}, {}};
    std::mt19937 random(uint32_t(recipe.colorType * 100 + recipe.bitDepth));
    const uint32_t top = (1u << recipe.bitDepth) - 1;
    for (int i = 0; i < width * height * p.channels; ++i) p.samples.push_back(uint16_t(random() & top));
    if (recipe.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (uint32_t i = 0; i <= top; ++i)
            p.palette.push_back({uint8_t(random()), uint8_t(random()), uint8_t(random())});
        if (recipe.transparency)
            for (uint32_t i = 0; i <= top / 2; ++i) p.paletteAlpha.push_back(uint8_t(i * 3));
    }
    // Keep one colour that the tRNS key of grey and RGB pictures names.
    if (recipe.transparency && recipe.colorType != PNG_COLOR_TYPE_PALETTE)
        for (int c = 0; c < p.channels; ++c) p.samples[size_t(c)] = uint16_t(top / 3);
    return p;
}

void AppendToVector(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes WritePng(const PngRecipe& recipe, const PngPicture& p)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        ADD_FAILURE() << "libpng could not write the fixture";
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendToVector, nullptr);
    png_set_IHDR(png, info, png_uint_32(p.width), png_uint_32(p.height), recipe.bitDepth, recipe.colorType,
                 recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), int(p.palette.size()));
    if (recipe.transparency) {
        png_color_16 key{};
        const uint16_t value = p.samples[0];
        key.gray = key.red = value;
        key.green = p.channels > 1 ? p.samples[1] : value;
        key.blue = p.channels > 2 ? p.samples[2] : value;
        png_set_tRNS(png, info, p.paletteAlpha.empty() ? nullptr : p.paletteAlpha.data(), int(p.paletteAlpha.size()),
                     p.paletteAlpha.empty() ? &key : nullptr);
    }
    png_write_info(png, info);
    // Rows packed as the format stores them: big-endian 16-bit samples, small ones high bits first.
    const size_t rowBytes = (size_t(p.width) * p.channels * recipe.bitDepth + 7) / 8;
    std::vector<Bytes> rows(size_t(p.height), Bytes(rowBytes, 0));
    std::vector<png_bytep> rowPointers;
    for (int y = 0; y < p.height; ++y) {
        Bytes& row = rows[size_t(y)];
        for (int i = 0; i < p.width * p.channels; ++i) {
            const uint16_t v = p.samples[size_t(y) * p.width * p.channels + i];
            if (recipe.bitDepth == 16) {
                row[size_t(i) * 2] = uint8_t(v >> 8);
                row[size_t(i) * 2 + 1] = uint8_t(v);
            } else if (recipe.bitDepth == 8) {
                row[size_t(i)] = uint8_t(v);
            } else {
                const int bit = i * recipe.bitDepth;
                row[size_t(bit / 8)] |= uint8_t(v << (8 - recipe.bitDepth - bit % 8));
            }
        }
        rowPointers.push_back(row.data());
    }
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The picture as the decoder gives it: samples cut to 8 bits (16-bit ones keep their high
// byte, smaller grey ones are widened), alpha only where the decoded layout keeps it.
Rgba Expected(const PngRecipe& recipe, const PngPicture& p)
{
    Rgba out{p.width, p.height, Bytes(size_t(p.width) * p.height * 4, 255)};
    const uint32_t top = (1u << recipe.bitDepth) - 1;
    auto eight = [&](uint16_t v) { return uint8_t(recipe.bitDepth == 16 ? v >> 8 : v * 255 / top); };
    for (int i = 0; i < p.width * p.height; ++i) {
        const uint16_t* s = &p.samples[size_t(i) * p.channels];
        uint8_t* px = &out.pixels[size_t(i) * 4];
        switch (recipe.colorType) {
        case PNG_COLOR_TYPE_PALETTE:
            px[0] = p.palette[s[0]].red;
            px[1] = p.palette[s[0]].green;
            px[2] = p.palette[s[0]].blue;
            if (recipe.transparency) px[3] = s[0] < p.paletteAlpha.size() ? p.paletteAlpha[s[0]] : 255;
            break;
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA: px[0] = px[1] = px[2] = eight(s[0]); break;
        default:
            for (int c = 0; c < 3; ++c) px[c] = eight(s[c]);
            if (recipe.colorType == PNG_COLOR_TYPE_RGB_ALPHA) px[3] = eight(s[3]);
            if (recipe.colorType == PNG_COLOR_TYPE_RGB && recipe.transparency)
                px[3] = (s[0] == p.samples[0] && s[1] == p.samples[1] && s[2] == p.samples[2]) ? 0 : 255;
        }
    }
    return out;
}

// Bytes per decoded pixel: palette indices, grey, grey and alpha, blue-green-red(-alpha).
int ExpectedPixelBytes(const PngRecipe& recipe)
{
    if (recipe.colorType == PNG_COLOR_TYPE_PALETTE) return recipe.transparency ? 4 : 1;
    if (recipe.colorType == PNG_COLOR_TYPE_GRAY) return recipe.transparency ? 2 : 1;
    if (recipe.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) return 2;
    if (recipe.colorType == PNG_COLOR_TYPE_RGB) return recipe.transparency ? 4 : 3;
    return 4;
}

const PngRecipe kPngCases[] = {
    {"palette 1 bit", PNG_COLOR_TYPE_PALETTE, 1, false, false},
    {"palette 2 bits", PNG_COLOR_TYPE_PALETTE, 2, false, false},
    {"palette 4 bits", PNG_COLOR_TYPE_PALETTE, 4, false, false},
    {"palette 8 bits", PNG_COLOR_TYPE_PALETTE, 8, false, false},
    {"palette 4 bits with tRNS", PNG_COLOR_TYPE_PALETTE, 4, true, false},
    {"palette 8 bits with tRNS", PNG_COLOR_TYPE_PALETTE, 8, true, false},
    {"grey 1 bit", PNG_COLOR_TYPE_GRAY, 1, false, false},
    {"grey 2 bits", PNG_COLOR_TYPE_GRAY, 2, false, false},
    {"grey 4 bits", PNG_COLOR_TYPE_GRAY, 4, false, false},
    {"grey 8 bits", PNG_COLOR_TYPE_GRAY, 8, false, false},
    {"grey 16 bits", PNG_COLOR_TYPE_GRAY, 16, false, false},
    {"grey 8 bits with tRNS", PNG_COLOR_TYPE_GRAY, 8, true, false},
    {"grey and alpha 8 bits", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
    {"grey and alpha 16 bits", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
    {"RGB 8 bits", PNG_COLOR_TYPE_RGB, 8, false, false},
    {"RGB 16 bits", PNG_COLOR_TYPE_RGB, 16, false, false},
    {"RGB 8 bits with tRNS", PNG_COLOR_TYPE_RGB, 8, true, false},
    {"RGBA 8 bits", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
    {"RGBA 16 bits", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false},
    {"RGBA 8 bits interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true},
    {"palette 2 bits interlaced", PNG_COLOR_TYPE_PALETTE, 2, false, true},
    {"grey 16 bits interlaced", PNG_COLOR_TYPE_GRAY, 16, false, true},
};

class PngTest : public ImageTest {};

TEST_F(PngTest, EveryColourTypeAndDepthDecodesToTheStoredSamples)
{
    for (const PngRecipe& recipe : kPngCases) {
        SCOPED_TRACE(recipe.name);
        const PngPicture picture = MakePngPicture(recipe, 19, 11);
        const Bytes file = WritePng(recipe, picture);
        LoadedImage image{};
        const Rgba decoded = DecodeBytes(file, &image);
        const Rgba expected = Expected(recipe, picture);
        EXPECT_EQ(decoded, expected);
        EXPECT_EQ(image.format.pixelBytes, ExpectedPixelBytes(recipe));
        if (image.format.pixelBytes == 2) {
            EXPECT_EQ(image.format.unusedMask, 0xFF00u) << "the alpha byte is not used";
        }
        ReleaseLoadedImage(&image);

        Rgba reference;
        if (ReferenceDecode(Save("case.png", file), &reference)) {
            // ImageMagick rounds 16-bit samples to 8 bits; the decoder keeps their high byte.
            const bool keepsAlpha = ExpectedPixelBytes(recipe) == 4;
            EXPECT_LE(MaxDifference(keepsAlpha ? reference : Opaque(reference), expected),
                      recipe.bitDepth == 16 ? 1 : 0);
        }
    }
    ExpectNoLeak();
}

TEST_F(PngTest, PaletteIndicesAndEntriesAreKept)
{
    const PngRecipe recipe{"palette 4 bits", PNG_COLOR_TYPE_PALETTE, 4, false, false};
    const PngPicture picture = MakePngPicture(recipe, 9, 2);
    const Bytes file = WritePng(recipe, picture);
    LoadedImage image{};
    ASSERT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), 0);
    EXPECT_EQ(image.pitch, 9);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(image.pixels[x], picture.samples[size_t(x)]);
    EXPECT_EQ(image.format.palette[1][0], picture.palette[1].blue);
    EXPECT_EQ(image.format.palette[1][2], picture.palette[1].red);
    EXPECT_EQ(image.format.palette[1][3], 0);
    EXPECT_EQ(image.format.palette[16][2], 0) << "entries past the file's palette stay 0";
    ReleaseLoadedImage(&image);
}

TEST_F(PngTest, DamagedFilesAreRefusedAndNothingIsLeft)
{
    const PngRecipe recipe{"RGB", PNG_COLOR_TYPE_RGB, 8, false, false};
    const Bytes file = WritePng(recipe, MakePngPicture(recipe, 40, 30));
    LoadedImage image{};
    for (size_t length : {size_t(8), size_t(20), size_t(33), file.size() / 2, file.size() - 13, file.size() - 1}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(LoadImageData(file.data(), int32_t(length), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    Bytes badCrc = file;
    badCrc[40] ^= 0x01;
    EXPECT_EQ(LoadImageData(badCrc.data(), int32_t(badCrc.size()), &image), -1);
    // A header claiming 100000 x 100000 pixels over a few bytes of data is turned away unread.
    Bytes huge = file;
    SetLe32(huge, 16, 0xA0860100);  // big-endian 100000
    SetLe32(huge, 20, 0xA0860100);
    const uint32_t crc = uint32_t(crc32(0, huge.data() + 12, 17));
    for (int i = 0; i < 4; ++i) huge[29 + i] = uint8_t(crc >> (24 - 8 * i));
    EXPECT_EQ(LoadImageData(huge.data(), int32_t(huge.size()), &image), -1);
    // A text chunk claiming 1.9 GB at the end of a small file: refused without taking it.
    const Bytes claim = {0x89, 'P',  'N', 'G', 13, 10,  26,  10,  0,   0,   0,   13,   'I', 'H',  'D',  'R',
                         0,    0,    0,   19,  0,  0,   0,   13,  1,   0,   0,   0,    0,   0x63, 0xF7, 0x68,
                         0x8A, 0x75, 0,   0,   7,  't', 'E', 'X', 't', 'd', 'a', 0xAE, 'B', '`',  0x82};
    EXPECT_EQ(LoadImageData(claim.data(), int32_t(claim.size()), &image), -1);
    ExpectNoLeak();
}

}  // namespace
