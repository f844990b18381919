// JPEG: grey and colour pictures against ImageMagick's reading, truncated and refused files.
#include "image_fixture.h"

#include <cstdio>
#include <jpeglib.h>

using namespace ror;

namespace {

// A smooth picture, so that the decoded pixels stay close to the source.
Rgba MakeSmoothPicture(int width, int height)
{
    Rgba out{width, height, Bytes(size_t(width) * height * 4, 255)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = out.pixels.data() + (size_t(y) * width + x) * 4;
            p[0] = uint8_t(x * 255 / width);
            p[1] = uint8_t(y * 255 / height);
            p[2] = uint8_t(128 + (x - y) / 3);
        }
    return out;
}

Bytes WriteJpeg(const Rgba& picture, bool grey, bool progressive = false, bool arithmetic = false)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(picture.width);
    cinfo.image_height = JDIMENSION(picture.height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    cinfo.arith_code = arithmetic;
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(size_t(picture.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.At(x, int(cinfo.next_scanline));
            if (grey)
                row[size_t(x)] = p[1];
            else
                std::copy(p, p + 3, row.begin() + x * 3);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

Rgba GreyOf(const Rgba& picture)
{
    Rgba out = picture;
    for (size_t i = 0; i < out.pixels.size(); i += 4) out.pixels[i] = out.pixels[i + 2] = out.pixels[i + 1];
    return out;
}

class JpegTest : public ImageTest {};

TEST_F(JpegTest, GreyAndColourMatchTheReferenceDecoder)
{
    const Rgba source = MakeSmoothPicture(45, 29);
    struct Case {
        const char* name;
        bool grey, progressive;
    };
    for (const Case& c :
         {Case{"colour", false, false}, Case{"grey", true, false}, Case{"progressive colour", false, true}}) {
        SCOPED_TRACE(c.name);
        const Bytes file = WriteJpeg(source, c.grey, c.progressive);
        LoadedImage image{};
        const Rgba decoded = DecodeBytes(file, &image);
        EXPECT_EQ(image.format.pixelBytes, c.grey ? 1 : 3);
        EXPECT_EQ(image.pitch, 45 * (c.grey ? 1 : 3));
        ReleaseLoadedImage(&image);
        EXPECT_LE(MaxDifference(decoded, c.grey ? GreyOf(source) : source), 12);
        Rgba reference;
        if (ReferenceDecode(Save("case.jpg", file), &reference)) {
            EXPECT_EQ(MaxDifference(decoded, reference), 0);
        }
    }
    ExpectNoLeak();
}

TEST_F(JpegTest, TruncatedPictureDecodesUpToItsEnd)
{
    // Tall enough that the scan data outweighs the tables, and cut in its second half.
    const Rgba source = MakeSmoothPicture(64, 512);
    const Bytes file = WriteJpeg(source, false);
    const Rgba whole = DecodeBytes(file);
    Bytes cut(file.begin(), file.begin() + long(file.size() * 7 / 10));
    LoadedImage image{};
    ASSERT_EQ(LoadImageData(cut.data(), int32_t(cut.size()), &image), 0);
    const Rgba part = DecodedToRgba(image);
    ReleaseLoadedImage(&image);
    ASSERT_EQ(part.width, 64);
    // The first rows came before the cut.
    EXPECT_TRUE(std::equal(part.pixels.begin(), part.pixels.begin() + 64 * 4 * 8, whole.pixels.begin()));

    EXPECT_NE(part, whole);
    ExpectNoLeak();
}

// Arithmetic coding spends a small fraction of a bit on a block that repeats its neighbour,
// and its decoder reads zeros past the end of the data by design, so a flat picture of
// 2048 x 2048 is a file of about a hundred bytes: no bound of blocks by data holds for it.
// Such pictures decode, a small one whose header was made larger as well (it reads as that
// picture continued flat); the limit on pixel bytes is what refuses a larger one.
TEST_F(JpegTest, ArithmeticCodedPictureFarLargerThanItsDataDecodesWithinTheLimit)
{
    constexpr int kSide = 2048;
    const Bytes flat = WriteJpeg(Rgba{kSide, kSide, Bytes(size_t(kSide) * kSide * 4, 128)}, true, false, true);
    ASSERT_LT(flat.size(), 1024u);
    Bytes enlarged = WriteJpeg(MakeSmoothPicture(64, 64), true, false, true);
    size_t frame = 0;
    for (size_t i = 2; i + 8 < enlarged.size() && frame == 0; ++i)
        if (enlarged[i] == 0xFF && enlarged[i + 1] == 0xC9) frame = i;  // arithmetic-coded baseline frame
    ASSERT_NE(frame, 0u);
    enlarged[frame + 5] = enlarged[frame + 7] = uint8_t(kSide >> 8);
    enlarged[frame + 6] = enlarged[frame + 8] = uint8_t(kSide);

    struct Case {
        const char* name;
        const Bytes* file;
        int64_t limit;
        int expected;
    };
    const Case cases[] = {
        {"flat", &flat, kDefaultMaxImageBytes, 0},
        {"small picture with a larger header", &enlarged, kDefaultMaxImageBytes, 0},
        {"flat, over a lowered limit", &flat, int64_t(kSide) * kSide - 1, -1},
    };
    const int64_t savedLimit = ImageDecoding.maxImageBytes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageDecoding.maxImageBytes = c.limit;
        LoadedImage image{};
        EXPECT_EQ(LoadImageData(c.file->data(), int32_t(c.file->size()), &image), c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(image.width, kSide);
            EXPECT_EQ(image.height, kSide);
            if (c.file == &flat) {
                uint8_t* end = image.pixels + size_t(kSide) * kSide;
                EXPECT_TRUE(std::all_of(image.pixels, end, [](uint8_t v) { return v >= 127 && v <= 129; }));
            }
        } else {
            EXPECT_EQ(image.pixels, nullptr);
        }
        ReleaseLoadedImage(&image);
    }
    ImageDecoding.maxImageBytes = savedLimit;
    ExpectNoLeak();
}

TEST_F(JpegTest, FilesWithoutAPictureAreRefused)
{
    const Bytes file = WriteJpeg(MakeSmoothPicture(16, 16), false);
    const Bytes cases[] = {
        Bytes{0xFF, 0xD8},
        Bytes{0xFF, 0xD8, 0xFF, 0xD9},
        Bytes(file.begin(), file.begin() + 100),  // cut inside the tables, before any scan
        Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02},
    };
    for (const Bytes& bytes : cases) {
        LoadedImage image{};
        EXPECT_EQ(LoadImageData(bytes.data(), int32_t(bytes.size()), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    ExpectNoLeak();
}

TEST_F(JpegTest, FourChannelPicturesAreRefused)
{
    if (!MakeWithImageMagick("-size 16x16 gradient:red-blue -colorspace CMYK cmyk.jpg"))
        GTEST_SKIP() << "no ImageMagick";
    const Bytes file = Load(PathOf("cmyk.jpg"));
    LoadedImage image{};
    EXPECT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), -1);
    ExpectNoLeak();
}

}  // namespace

// A small file whose header claims a huge picture: its data cannot code that many blocks,
// so it is refused before a block of pixels is taken for it.
TEST_F(JpegTest, HeaderClaimingMoreBlocksThanTheDataCanCodeIsRefused)
{
    // Sizes within the decoders' limit on pixel bytes, so only the data can refuse them.
    const Bytes grey = WriteJpeg(MakeSmoothPicture(64, 64), true);
    const Bytes progressive = WriteJpeg(MakeSmoothPicture(64, 64), true, true);
    const Bytes colour = WriteJpeg(MakeSmoothPicture(64, 64), false);
    struct Case {
        const char* name;
        Bytes file;
        uint8_t frameMarker;
        int width, height;
        int expected;
    };
    const Case cases[] = {
        {"grey 30000 x 30000", grey, 0xC0, 30000, 30000, -1},
        {"progressive grey 30000 x 30000", progressive, 0xC2, 30000, 30000, -1},
        {"colour 18000 x 18000", colour, 0xC0, 18000, 18000, -1},
        {"as made", colour, 0xC0, 64, 64, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = c.file;
        size_t frame = 0;
        for (size_t i = 2; i + 8 < file.size() && frame == 0; ++i)
            if (file[i] == 0xFF && file[i + 1] == c.frameMarker) frame = i;
        ASSERT_NE(frame, 0u);
        file[frame + 5] = uint8_t(c.height >> 8);
        file[frame + 6] = uint8_t(c.height);
        file[frame + 7] = uint8_t(c.width >> 8);
        file[frame + 8] = uint8_t(c.width);
        LoadedImage image{};
        EXPECT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), c.expected);
        ReleaseLoadedImage(&image);
    }
    ExpectNoLeak();
}
