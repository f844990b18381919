// Pictures loaded into graphics on the software path: pixels and alpha as decoded, drawing
// them, sheets of cells, and DXT blocks expanded on the way.
#include "graphics/graphic_handles.h"
#include "graphics/software/software_screen.h"
#include "file/file_access.h"
#include "image/dxt_blocks.h"
#include "graphics/image_graphic.h"
#include "image_fixture.h"
#include "rorodiv.h"

#include <png.h>

using namespace ror;

namespace {

// An RGBA file, or an RGB one without the alpha channel.
Bytes EncodePng(const Rgba& picture, bool withAlpha = true)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    Bytes samples;
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        if (withAlpha || i % 4 != 3) samples.push_back(picture.pixels[i]);
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, samples.data(), 0, nullptr);
    Bytes out(size);
    EXPECT_NE(png_image_write_to_memory(&image, out.data(), &size, 0, samples.data(), 0, nullptr), 0);
    out.resize(size);
    return out;
}

// The graphic's pixel as red, green, blue, alpha (alpha 255 when it keeps none).
std::array<uint8_t, 4> GraphicPixel(int handle, int x, int y)
{
    const GraphicRecord* g = ResolveGraphic(handle);
    const uint32_t v = PixelAt(g->view, x, y);
    const bool alpha = g->view.base->format->alphaWidth != 0;
    return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), alpha ? uint8_t(v >> 24) : uint8_t(255)};
}

std::array<uint8_t, 4> SourcePixel(const Rgba& picture, int x, int y)
{
    const uint8_t* p = picture.At(x, y);
    return {p[0], p[1], p[2], p[3]};
}

class GraphicLoadTest : public ImageTest {
protected:
    void SetUp() override
    {
        ImageTest::SetUp();
        StartSoftwareScreen(64, 48, 32);
    }
    void TearDown() override
    {
        StopSoftwareScreen();
        ImageTest::TearDown();
    }
};

TEST_F(GraphicLoadTest, APngWithAlphaBecomesAGraphicWithAlpha)
{
    const Rgba picture = MakeTestPicture(9, 7);
    const Bytes png = EncodePng(picture);
    const int handle = LoadGraphicFromMemory(png.data(), int32_t(png.size()));
    ASSERT_NE(handle, -1);
    int width = 0, height = 0;
    ASSERT_EQ(GraphicSize(handle, &width, &height), 0);
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 7);
    EXPECT_NE(ResolveGraphic(handle)->view.base->format->alphaWidth, 0);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) ASSERT_EQ(GraphicPixel(handle, x, y), SourcePixel(picture, x, y)) << x << "," << y;
    EXPECT_EQ(GraphicCreation.alphaChannel, 0) << "the creation settings are given back";
}

TEST_F(GraphicLoadTest, AnOpaquePngIsDrawnOnTheScreen)
{
    const Rgba picture = MakeTestPicture(12, 10, false);
    const std::string path = Save("picture.png", EncodePng(picture, false));
    const int handle = LoadGraphic(path.c_str());
    ASSERT_NE(handle, -1);
    EXPECT_EQ(ResolveGraphic(handle)->view.base->format->alphaWidth, 0);
    ASSERT_EQ(PutGraphic(20, 30, handle, 0), 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const uint8_t* p = picture.At(x, y);
            EXPECT_EQ(PixelAt(SoftScreen.screen, 20 + x, 30 + y) & 0xFFFFFF,
                      uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
        }
    EXPECT_EQ(PixelAt(SoftScreen.screen, 19, 30) & 0xFFFFFF, 0u);
    EXPECT_EQ(PixelAt(SoftScreen.screen, 32, 39) & 0xFFFFFF, 0u);
}

TEST_F(GraphicLoadTest, ASheetGivesOneGraphicPerCell)
{
    const Rgba picture = MakeTestPicture(16, 7);
    const Bytes png = EncodePng(picture);
    int handles[7];
    ASSERT_EQ(LoadDividedGraphicFromMemory(png.data(), int32_t(png.size()), 7, 4, 2, 4, 3, handles), 0);
    EXPECT_EQ(GraphicTable.count, 7) << "the whole picture's own graphic is gone";
    for (int i = 0; i < 7; ++i) {
        int width = 0, height = 0;
        ASSERT_EQ(GraphicSize(handles[i], &width, &height), 0);
        EXPECT_EQ(width, 4);
        EXPECT_EQ(height, 3);
        EXPECT_EQ(GraphicPixel(handles[i], 1, 2), SourcePixel(picture, i % 4 * 4 + 1, i / 4 * 3 + 2));
    }
    for (int handle : handles) DestroyGraphic(handle);

    struct Bad {
        int count, columns, rows, cellWidth, cellHeight;
    };
    for (const Bad& b :
         {Bad{9, 4, 2, 4, 3}, Bad{4, 5, 1, 4, 3}, Bad{2, 2, 1, 4, 8}, Bad{0, 4, 2, 4, 3}, Bad{1, 1, 1, 0, 3}}) {
        EXPECT_EQ(LoadDividedGraphicFromMemory(png.data(), int32_t(png.size()), b.count, b.columns, b.rows, b.cellWidth,
                                               b.cellHeight, handles),
                  -1);
        EXPECT_EQ(GraphicTable.count, 0);
    }
    EXPECT_EQ(LoadDividedGraphicFromMemory(png.data(), int32_t(png.size()), 1, 1, 1, 4, 3, nullptr), -1);
    EXPECT_EQ(GraphicTable.count, 0);
}

TEST_F(GraphicLoadTest, DxtBlocksAreExpandedWithTheirAlpha)
{
    // One DXT1 block: red and blue ends, indices 0, 1, 2, 3 along each row.
    LoadedImage dxt1{};
    uint8_t block1[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    dxt1.format.compression = 1;
    dxt1.width = dxt1.height = 4;
    dxt1.pixels = block1;
    uint8_t out[4 * 4 * 4];
    ASSERT_EQ(ExpandDxtBlocks(dxt1, out, 16), 0);
    const uint8_t row[16] = {0, 0, 255, 255, 255, 0, 0, 255, 85, 0, 170, 255, 170, 0, 85, 255};
    EXPECT_EQ(Bytes(out, out + 16), Bytes(row, row + 16));
    // With the first end not above the second, index 3 is transparent.
    std::swap(block1[0], block1[2]);
    std::swap(block1[1], block1[3]);
    ASSERT_EQ(ExpandDxtBlocks(dxt1, out, 16), 0);
    EXPECT_EQ(Bytes(out + 8, out + 16), Bytes({127, 0, 127, 255, 0, 0, 0, 0}));

    // DXT5 alpha: ends 255 and 0, the eight steps in the first two rows.
    uint8_t block5[16] = {255, 0, 0x88, 0xC6, 0xFA, 0, 0, 0, 0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
    LoadedImage dxt5 = dxt1;
    dxt5.format.compression = 5;
    dxt5.pixels = block5;
    ASSERT_EQ(ExpandDxtBlocks(dxt5, out, 16), 0);
    const uint8_t alphas[8] = {255, 0, 218, 182, 145, 109, 72, 36};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i * 4 + 3], alphas[i]) << i;
}

TEST_F(GraphicLoadTest, ImageMagickDdsFilesLoadCloseToItsOwnReading)
{
    for (const char* made : {"-size 20x12 gradient:red-blue -define dds:compression=dxt1 a.dds",
                             "-size 20x12 gradient:red-blue -alpha set -channel A -fx 'i/w' +channel -define "
                             "dds:compression=dxt5 b.dds"}) {
        SCOPED_TRACE(made);
        if (!MakeWithImageMagick(made)) GTEST_SKIP() << "no ImageMagick";
        const std::string path = PathOf(std::string(made).substr(std::string(made).rfind(' ') + 1));
        Rgba reference;
        ASSERT_TRUE(ReferenceDecode(path, &reference));
        const int handle = LoadGraphic(path.c_str());
        ASSERT_NE(handle, -1);
        int worst = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x) {
                const auto got = GraphicPixel(handle, x, y);
                for (int c = 0; c < 4; ++c) worst = std::max(worst, std::abs(int(got[c]) - int(reference.At(x, y)[c])));
            }
        EXPECT_LE(worst, 2);
    }
}

// Counts the files opened through the installed file operations.
struct OpenCounter {
    static inline FileAccessTable saved{};
    static inline int opens = 0;
    static FileValue Open(const char* path, int32_t useCache, int32_t spare, int32_t async)
    {
        ++opens;
        return saved.fileOpen(path, useCache, spare, async);
    }
};

// The restore after a device loss: graphics from files get their pixels back (a sheet's cells
// and a graphic derived from a file graphic their own parts), each run of graphics from one
// file reads it once, and graphics from memory or from a file now gone stay as they are.
TEST_F(GraphicLoadTest, TheBuiltInRestoreLoadsFileGraphicsAgain)
{
    const int32_t allocationsBefore = TrackedAllocationCount();
    const Rgba first = MakeTestPicture(16, 7, false), sheet = MakeTestPicture(8, 6, false);
    const std::string firstPath = Save("first.png", EncodePng(first, false));
    const std::string sheetPath = Save("sheet.png", EncodePng(sheet, false));
    const int whole = LoadGraphic(firstPath.c_str());
    int cells[4];
    ASSERT_EQ(LoadDividedGraphic(sheetPath.c_str(), 4, 2, 2, 4, 3, cells), 0);
    const Bytes png = EncodePng(first, false);
    const int fromMemory = LoadGraphicFromMemory(png.data(), int32_t(png.size()));
    const int derived = CreateSubGraphic(5, 2, 6, 4, whole);
    ASSERT_NE(whole, -1);
    ASSERT_NE(fromMemory, -1);
    ASSERT_NE(derived, -1);
    const std::array<uint8_t, 4> paint{1, 2, 3, 255};
    auto loseEverything = [&] {
        for (int handle : {whole, cells[0], cells[1], cells[2], cells[3], fromMemory, derived})
            PaintGraphic(handle, paint[0], paint[1], paint[2], 255);
    };

    OpenCounter::saved = *InstalledFileAccess();
    FileAccessTable counting = OpenCounter::saved;
    counting.fileOpen = OpenCounter::Open;
    InstallFileAccess(&counting);
    OpenCounter::opens = 0;
    loseEverything();
    RestoreGraphicsFromFiles();
    // first.png for the whole graphic, sheet.png for the four cells, first.png for the derived one.
    EXPECT_EQ(OpenCounter::opens, 3);
    EXPECT_EQ(GraphicPixel(whole, 0, 0), SourcePixel(first, 0, 0));
    EXPECT_EQ(GraphicPixel(whole, 15, 6), SourcePixel(first, 15, 6));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(GraphicPixel(cells[i], 3, 2), SourcePixel(sheet, i % 2 * 4 + 3, i / 2 * 3 + 2)) << "cell " << i;
    EXPECT_EQ(GraphicPixel(derived, 0, 0), SourcePixel(first, 5, 2));
    EXPECT_EQ(GraphicPixel(fromMemory, 4, 4), paint);

    std::filesystem::remove(sheetPath);
    loseEverything();
    RestoreGraphicsFromFiles();
    EXPECT_EQ(GraphicPixel(whole, 7, 3), SourcePixel(first, 7, 3));
    EXPECT_EQ(GraphicPixel(cells[3], 1, 1), paint);
    InstallFileAccess(&OpenCounter::saved);

    for (int handle : {whole, cells[0], cells[1], cells[2], cells[3], fromMemory, derived})
        EXPECT_EQ(DestroyGraphic(handle), 0);
    EXPECT_EQ(TrackedAllocationCount(), allocationsBefore) << "the remembered file names are freed with the graphics";
}

TEST(GraphicLoadWithoutScreen, RefusesAndKeepsNothing)
{
    const int32_t before = TrackedAllocationCount();
    const Bytes png = EncodePng(MakeTestPicture(4, 4));
    EXPECT_EQ(LoadGraphicFromMemory(png.data(), int32_t(png.size())), -1);
    EXPECT_EQ(LoadGraphic("/nonexistent/picture.png"), -1);
    EXPECT_EQ(TrackedAllocationCount(), before);
}

}  // namespace

// A grey picture's values become a blend image's levels; a colour picture gives its brightness.
TEST_F(GraphicLoadTest, PicturesBecomeBlendImages)
{
    // A grey ramp written as a one-channel PNG file.
    png_image grey{};
    grey.version = PNG_IMAGE_VERSION;
    grey.width = 16;
    grey.height = 2;
    grey.format = PNG_FORMAT_GRAY;
    Bytes ramp;
    for (int i = 0; i < 32; ++i) ramp.push_back(uint8_t(i * 8 + 7));
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&grey, nullptr, &size, 0, ramp.data(), 0, nullptr);
    Bytes greyPng(size);
    ASSERT_NE(png_image_write_to_memory(&grey, greyPng.data(), &size, 0, ramp.data(), 0, nullptr), 0);
    greyPng.resize(size);
    const int fromFile = LoadBlendGraphic(Save("ramp.png", greyPng).c_str());
    ASSERT_NE(fromFile, -1);
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(MemImgRow(&ResolveGraphic(fromFile)->view, i / 16)[i % 16], ramp[size_t(i)]) << i;
    EXPECT_EQ(SetBlendImage(fromFile, 0, 0), 0);

    Rgba colours{3, 1, {255, 0, 0, 255, 0, 255, 0, 255, 90, 90, 90, 255}};
    const Bytes colourPng = EncodePng(colours, false);
    const int fromMemory = LoadBlendGraphicFromMemory(colourPng.data(), int32_t(colourPng.size()));
    ASSERT_NE(fromMemory, -1);
    const uint8_t* levels = MemImgRow(&ResolveGraphic(fromMemory)->view, 0);
    EXPECT_EQ(levels[0], 76);
    EXPECT_EQ(levels[1], 149);
    EXPECT_EQ(levels[2], 90);

    EXPECT_EQ(LoadBlendGraphic(PathOf("missing.png").c_str()), -1);
    EXPECT_EQ(LoadBlendGraphicFromMemory(colourPng.data(), 8), -1);
    SetBlendImage(-1, 0, 0);
}
