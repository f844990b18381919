// BMP: every stored layout against the source picture and ImageMagick's reading.
#include "bmp_writer.h"
#include "core/app_log.h"
#include "core/tracked_memory.h"

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace ror;

namespace {

struct BmpCase {
    const char* name;
    BmpRecipe recipe;
    // ImageMagick widens 4-bit channels without filling their low bits (15 reads 240).
    bool imageMagickAgrees = true;
};

const BmpCase kBmpCases[] = {
    {"1 bit", {1, 0, false}},
    {"1 bit top-down", {1, 0, true}},
    {"4 bits", {4, 0, false}},
    {"4 bits top-down", {4, 0, true}},
    {"8 bits", {8, 0, false}},
    {"8 bits top-down", {8, 0, true}},
    {"8 bits, 20 colours stored", {8, 0, false, 40, {}, 20}},
    {"8 bits, version 5 header", {8, 0, false, 124}},
    {"4 bits, version 4 header", {4, 0, true, 108}},
    {"RLE8", {8, 1, false}},
    {"RLE4", {4, 2, false}},
    {"16 bits", {16, 0, false}},
    {"16 bits top-down", {16, 0, true}},
    {"16 bits, 5-6-5 fields", {16, 3, false, 40, {0xF800, 0x07E0, 0x001F}}},
    {"16 bits, 4-4-4 fields", {16, 3, true, 40, {0x0F00, 0x00F0, 0x000F}}, false},
    {"24 bits", {24, 0, false}},
    {"24 bits top-down", {24, 0, true}},
    {"32 bits", {32, 0, false}},
    {"32 bits, 10-bit fields", {32, 3, false, 40, {0x3FF00000, 0x000FFC00, 0x000003FF}}},
    {"32 bits, fields in a version 4 header", {32, 3, true, 108, {0x0000FF00, 0x00FF0000, 0xFF000000}}},
};

// What the decoder should give: palette colours, or each channel through the stored masks.
Rgba Expected(const BmpRecipe& recipe, const IndexedPicture& indexed, const Rgba& rgba)
{
    if (recipe.bits <= 8) return Opaque(indexed.ToRgba());
    if (recipe.bits == 24) return Opaque(rgba);
    const uint32_t defaults16[3] = {0x7C00, 0x3E0, 0x1F}, defaults32[3] = {0xFF0000, 0xFF00, 0xFF};
    const uint32_t* masks = recipe.compression == 3 ? recipe.masks : recipe.bits == 16 ? defaults16 : defaults32;
    Rgba out = Opaque(rgba);
    for (size_t i = 0; i < out.pixels.size(); i += 4)
        for (int c = 0; c < 3; ++c) out.pixels[i + c] = ThroughMask(out.pixels[i + c], masks[c]);
    return out;
}

class BmpTest : public ImageTest {};

TEST_F(BmpTest, EveryLayoutDecodesToTheSourcePixels)
{
    for (const BmpCase& c : kBmpCases) {
        SCOPED_TRACE(c.name);
        const int colors =
            c.recipe.bits <= 8 ? std::min(c.recipe.colorsUsed ? c.recipe.colorsUsed : 256, 1 << c.recipe.bits) : 0;
        const IndexedPicture indexed = MakeIndexedPicture(13, 7, std::max(colors, 2));
        const Rgba rgba = MakeTestPicture(13, 7);
        const Bytes file = WriteBmp(c.recipe, &indexed, &rgba);
        const Rgba expected = Expected(c.recipe, indexed, rgba);

        LoadedImage image{};
        const Rgba decoded = DecodeBytes(file, &image);
        EXPECT_EQ(decoded, expected);
        EXPECT_EQ(image.format.pixelBytes, c.recipe.bits == 4 || c.recipe.bits == 8 ? 1 : 3);
        ReleaseLoadedImage(&image);

        Rgba reference;
        if (c.imageMagickAgrees && ReferenceDecode(Save("case.bmp", file), &reference)) {
            EXPECT_LE(MaxDifference(Opaque(reference), expected),
                      c.recipe.compression == 3 || c.recipe.bits == 16 ? 1 : 0);
        }
    }
    ExpectNoLeak();
}

TEST_F(BmpTest, PitchesOfIndexAndRunLengthRows)
{
    struct Row {
        BmpRecipe recipe;
        int width;
        int pitch;
    };
    // Plain 4 bits and RLE4 give one byte per pixel, so their rows are the width rounded up.
    const Row rows[] = {{{4, 0, false}, 5, 8}, {{8, 0, false}, 5, 8}, {{4, 2, false}, 13, 16}, {{8, 1, false}, 13, 16}};
    for (const Row& r : rows) {
        const IndexedPicture indexed = MakeIndexedPicture(r.width, 3, 16);
        LoadedImage image{};
        ASSERT_EQ(LoadImageData(WriteBmp(r.recipe, &indexed, nullptr).data(),
                                int32_t(WriteBmp(r.recipe, &indexed, nullptr).size()), &image),
                  0);
        EXPECT_EQ(image.pitch, r.pitch);
        EXPECT_EQ(DecodedToRgba(image), Opaque(indexed.ToRgba()));
        ReleaseLoadedImage(&image);
    }
}

// A 4-bit or 8-bit picture of width x height whose pixel data is `codes`.
Bytes RunLengthBmp(int width, int height, int compression, const Bytes& codes)
{
    IndexedPicture indexed = MakeIndexedPicture(width, height, 16);
    BmpRecipe recipe{compression == 1 ? 8 : 4, compression, false};
    Bytes file = WriteBmp(recipe, &indexed, nullptr);
    const uint32_t offset = ReadLe32(file.data() + 10);
    file.resize(offset);
    file.insert(file.end(), codes.begin(), codes.end());
    return file;
}

TEST_F(BmpTest, RunLengthCodesStayInsideThePicture)
{
    struct Case {
        const char* name;
        int compression;
        Bytes codes;
        Bytes top, bottom;  // expected indices of a 4 x 2 picture
    };
    const Case cases[] = {
        {"runs, end of row, end of picture", 1, {3, 0x41, 0, 0, 0, 1}, {0, 0, 0, 0}, {0x41, 0x41, 0x41, 0}},
        {"run past the row end is cut", 1, {200, 7, 0, 0, 2, 9, 0, 1}, {9, 9, 0, 0}, {7, 7, 7, 7}},
        {"absolute run padded to even", 1, {0, 3, 1, 2, 3, 0, 1, 5}, {0, 0, 0, 0}, {1, 2, 3, 5}},
        {"delta right and up", 1, {0, 2, 2, 1, 1, 6}, {0, 0, 6, 0}, {0, 0, 0, 0}},
        {"delta past the last row ends", 1, {1, 4, 0, 2, 0, 200, 1, 9}, {0, 0, 0, 0}, {4, 0, 0, 0}},
        {"absolute run longer than the data", 1, {2, 8, 0, 200, 1, 2}, {0, 0, 0, 0}, {8, 8, 1, 2}},
        {"no end marker", 1, {4, 3, 0, 0, 4, 5}, {5, 5, 5, 5}, {3, 3, 3, 3}},
        {"rows past the last are dropped", 1, {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0, 4, 4}, {2, 2, 2, 2}, {1, 1, 1, 1}},
        {"RLE4 run alternates nibbles", 2, {4, 0x12, 0, 1}, {0, 0, 0, 0}, {1, 2, 1, 2}},
        {"RLE4 absolute run", 2, {0, 3, 0x34, 0x50, 0, 1}, {0, 0, 0, 0}, {3, 4, 5, 0}},
        {"RLE4 odd run", 2, {3, 0xAB, 0, 0, 0, 1}, {0, 0, 0, 0}, {0xA, 0xB, 0xA, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = RunLengthBmp(4, 2, c.compression, c.codes);
        LoadedImage image{};
        ASSERT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), 0);
        EXPECT_EQ(Bytes(image.pixels, image.pixels + 4), c.top);
        EXPECT_EQ(Bytes(image.pixels + image.pitch, image.pixels + image.pitch + 4), c.bottom);
        ReleaseLoadedImage(&image);
    }
    ExpectNoLeak();
}

TEST_F(BmpTest, DamagedHeadersAreRefused)
{
    const IndexedPicture indexed = MakeIndexedPicture(6, 4, 16);
    const Bytes good = WriteBmp({8, 0, false}, &indexed, nullptr);
    struct Damage {
        const char* name;
        size_t at;
        uint32_t value;
        int bytes;
    };
    const Damage damages[] = {
        {"old 12-byte header", 14, 12, 4},
        {"JPEG compression", 30, 4, 4},
        {"bit fields on 8 bits", 30, 3, 4},
        {"RLE4 on 8 bits", 30, 2, 4},
        {"2 bits", 28, 2, 2},
        {"width 0", 18, 0, 4},
        {"negative width", 18, 0xFFFFFFFF, 4},
        {"height 0", 22, 0, 4},
        {"lowest height", 22, 0x80000000, 4},
        {"huge width", 18, 0x7FFFFFFF, 4},
        {"data offset past the end", 10, 0x10000, 4},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        Bytes file = good;
        for (int i = 0; i < d.bytes; ++i) file[d.at + i] = uint8_t(d.value >> (8 * i));
        MemoryStream* stream = OpenMemoryStream(file.data(), int32_t(file.size()));
        LoadedImage image{};
        EXPECT_EQ(DecodeBmp(MemoryStreamOps(), StreamValue(stream), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
        CloseMemoryStream(StreamValue(stream));
    }
    Bytes cut = good;
    cut.resize(cut.size() - 1);
    LoadedImage image{};
    EXPECT_EQ(LoadImageData(cut.data(), int32_t(cut.size()), &image), -1) << "plain rows must all be there";
    ExpectNoLeak();
}

}  // namespace

namespace {

// The block of the widened 24-bit picture cannot be had: the failure is logged. Each heap
// request of the decode is made to fail in turn; only that block's failure writes the line.
TEST_F(BmpTest, WidenedPictureWithoutItsBlockIsLogged)
{
    const Rgba rgba = MakeTestPicture(13, 7);
    const IndexedPicture indexed = MakeIndexedPicture(13, 7, 16);
    const std::string line = "２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\r\n";
    struct Case {
        const char* name;
        BmpRecipe recipe;
        bool widened;
    };
    const Case cases[] = {{"16 bits", {16, 0, false}, true}, {"8 bits", {8, 0, false}, false}};
    const LogState savedLog = AppLogState;
    std::snprintf(AppLogState.folder, sizeof AppLogState.folder, "%s", folder.string().c_str());
    SetLogEnabled(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = WriteBmp(c.recipe, &indexed, &rgba);
        int logged = 0;
        for (int nth = 1; nth <= 8; ++nth) {
            LogStart();
            TrackedAllocState.failNthRequest = nth;
            LoadedImage image{};
            const int result = LoadImageData(file.data(), int32_t(file.size()), &image);
            TrackedAllocState.failNthRequest = 0;
            ReleaseLoadedImage(&image);
            std::ifstream in(folder / "Log.txt", std::ios::binary);
            const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (log.find(line) != std::string::npos) {
                ++logged;
                EXPECT_EQ(result, -1);
            }
        }
        EXPECT_EQ(logged, c.widened ? 1 : 0);
    }
    AppLogState = savedLog;
    ExpectNoLeak();
}

}  // namespace
