// Saving the screen and graphics as PNG on both drawing paths: the pictures read back with
// libpng itself hold the pixels the layer reads, in a file and in memory alike.
#include "both_paths_fixture.h"

#include "graphics/draw_ops.h"
#include "graphics/graphic_handles.h"

#include <png.h>

#include <fstream>
#include <iterator>
#include <vector>

using namespace ror;

namespace {

using PictureSavingTest = BothPathsTest;

struct Decoded {
    int width = 0, height = 0;
    bool alpha = false;
    std::vector<uint32_t> argb;
};

Decoded DecodePng(const std::vector<uint8_t>& bytes)
{
    Decoded out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return out;
    out.alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA;
    out.argb.resize(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, out.argb.data(), 0, nullptr)) return Decoded{};
    out.width = int(image.width);
    out.height = int(image.height);
    return out;
}

std::vector<uint8_t> SaveToMemory(int handle)
{
    const int32_t size = handle == -1 ? SaveScreenToPngMemory(nullptr, 0) : SaveGraphicToPngMemory(handle, nullptr, 0);
    EXPECT_GT(size, 0);
    if (size <= 0) return {};
    std::vector<uint8_t> bytes(size_t(size) + 8, 0xEE);
    // Too small: nothing written, the size still told.
    const int32_t told = handle == -1 ? SaveScreenToPngMemory(bytes.data(), size - 1)
                                      : SaveGraphicToPngMemory(handle, bytes.data(), size - 1);
    EXPECT_EQ(told, size);
    EXPECT_EQ(bytes[0], 0xEE);
    EXPECT_EQ(handle == -1 ? SaveScreenToPngMemory(bytes.data(), size)
                           : SaveGraphicToPngMemory(handle, bytes.data(), size),
              size);
    EXPECT_EQ(bytes[size_t(size)], 0xEE);  // not a byte past it
    bytes.resize(size_t(size));
    return bytes;
}

std::vector<uint8_t> FileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_P(PictureSavingTest, ScreenSavesAsTheLayerReadsIt)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    ClearScreen();
    DrawRect(10, 20, 200, 120, PackColor(200, 40, 90), 1);
    DrawSegment(0, 300, 640, 310, PackColor(20, 220, 250), 3);
    ASSERT_EQ(PresentScreen(), 0);

    std::vector<uint32_t> expected(640 * 480);
    ASSERT_EQ(DrawOps.readScreenPixels(expected.data()), 0);
    const std::vector<uint8_t> png = SaveToMemory(-1);
    const Decoded decoded = DecodePng(png);
    EXPECT_EQ(decoded.width, 640);
    EXPECT_EQ(decoded.height, 480);
    EXPECT_FALSE(decoded.alpha);
    EXPECT_TRUE(decoded.argb == expected);
    EXPECT_EQ(decoded.argb[size_t(50 * 640 + 50)], 0xFFC8285Au);

    ASSERT_EQ(SaveScreenToPng("shot.png"), 0);
    EXPECT_EQ(FileBytes(folder / "shot.png"), png);
}

TEST_P(PictureSavingTest, GraphicsSaveWithTheirAlpha)
{
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    // A picture with alpha, made by libpng here: its pixels come back as they went in.
    const uint32_t source[6] = {0xFF102030u, 0x80FF0000u, 0x00000000u, 0xFF00FF00u, 0x400000FFu, 0xFFFFFFFFu};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 2;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, source, 0, nullptr));
    std::vector<uint8_t> file(size);
    ASSERT_TRUE(png_image_write_to_memory(&image, file.data(), &size, 0, source, 0, nullptr));
    const int withAlpha = LoadGraphicFromMemory(file.data(), int32_t(size));
    ASSERT_NE(withAlpha, -1);
    const Decoded decoded = DecodePng(SaveToMemory(withAlpha));
    EXPECT_TRUE(decoded.alpha);
    EXPECT_EQ(decoded.width, 3);
    EXPECT_EQ(decoded.height, 2);
    std::vector<uint32_t> read(6);
    ASSERT_EQ(DrawOps.readGraphicPixels(ResolveGraphic(withAlpha), read.data()), 0);
    EXPECT_TRUE(decoded.argb == read);
    EXPECT_EQ(decoded.argb[0], 0xFF102030u);

    // A drawn graphic without alpha: opaque, as drawn.
    const int blank = CreateBlankGraphic(16, 8);
    ASSERT_EQ(PaintGraphic(blank, 30, 60, 90, 255), 0);
    ASSERT_EQ(SaveGraphicToPng(blank, "blank.png"), 0);
    const Decoded painted = DecodePng(FileBytes(folder / "blank.png"));
    EXPECT_FALSE(painted.alpha);
    ASSERT_EQ(painted.argb.size(), 16u * 8u);
    EXPECT_EQ(painted.argb[0] & 0xFFFFFFu, PackColor(30, 60, 90) & 0xFFFFFFu);
}

TEST_P(PictureSavingTest, RefusalsLeaveNoFileBehind)
{
    EXPECT_EQ(SaveScreenToPng("early.png"), -1);  // before start-up
    EXPECT_EQ(SaveScreenToPngMemory(nullptr, 0), -1);
    if (!Start()) GTEST_SKIP() << "this drawing path is not available here";
    const int blend = CreateBlendGraphic(4, 4);
    const int gone = CreateBlankGraphic(4, 4);
    DestroyGraphic(gone);
    for (int handle : {blend, gone, -1, 12345}) {
        EXPECT_EQ(SaveGraphicToPng(handle, "refused.png"), -1) << handle;
        EXPECT_EQ(SaveGraphicToPngMemory(handle, nullptr, 0), -1) << handle;
    }
    EXPECT_EQ(SaveScreenToPng(nullptr), -1);
    EXPECT_EQ(SaveScreenToPng("no such folder/shot.png"), -1);
    EXPECT_EQ(SaveScreenToPngMemory(nullptr, -1), -1);
    EXPECT_FALSE(std::filesystem::exists(folder / "early.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "refused.png"));
    EXPECT_NE(Log().find("no such folder/shot.png"), std::string::npos);
}

INSTANTIATE_ON_BOTH_PATHS(PictureSavingTest);

}  // namespace
