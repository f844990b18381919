// TGA: colour-mapped and true-colour pictures, plain and run-length, in all four orders.
#include "image_fixture.h"

using namespace ror;

namespace {

struct TgaRecipe {
    int type;        // 1, 2, 9, 10
    int pixelBits;   // true colour: the pixel depth; colour-mapped: the map entry size
    int descriptor;  // 0x20 top row first, 0x10 right to left
    int idLength = 0;
};

void PutTgaValue(Bytes& out, const uint8_t* rgba, int bits)
{
    if (bits == 16) {
        PutLe16(out, 0x8000u | uint32_t(rgba[0] >> 3) << 10 | uint32_t(rgba[1] >> 3) << 5 | uint32_t(rgba[2] >> 3));
        return;
    }
    out.insert(out.end(), {rgba[2], rgba[1], rgba[0]});
    if (bits == 32) out.push_back(rgba[3]);
}

// Packets over a sequence of values of `valueBytes` each: repeats where values repeat.
Bytes EncodePackets(const Bytes& values, size_t valueBytes)
{
    Bytes out;
    const size_t count = values.size() / valueBytes;
    auto same = [&](size_t a, size_t b) {
        return std::equal(&values[a * valueBytes], &values[(a + 1) * valueBytes], &values[b * valueBytes]);
    };
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), &values[i * valueBytes], &values[(i + 1) * valueBytes]);
        } else {
            size_t raw = 1;
            while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1))) ++raw;
            out.push_back(uint8_t(raw - 1));
            out.insert(out.end(), &values[i * valueBytes], &values[(i + raw) * valueBytes]);
            run = raw;
        }
        i += run;
    }
    return out;
}

Bytes WriteTga(const TgaRecipe& recipe, const IndexedPicture& picture)
{
    const bool mapped = recipe.type == 1 || recipe.type == 9;
    const int width = picture.width, height = picture.height;
    Bytes out = {uint8_t(recipe.idLength), uint8_t(mapped ? 1 : 0), uint8_t(recipe.type)};
    PutLe16(out, 0);
    PutLe16(out, mapped ? uint32_t(picture.palette.size()) : 0);
    out.push_back(uint8_t(mapped ? recipe.pixelBits : 0));
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe16(out, uint32_t(width));
    PutLe16(out, uint32_t(height));
    out.push_back(uint8_t(mapped ? 8 : recipe.pixelBits));
    out.push_back(uint8_t(recipe.descriptor | (recipe.pixelBits == 32 ? 8 : 0)));
    for (int i = 0; i < recipe.idLength; ++i) out.push_back(uint8_t('a' + i));
    if (mapped)
        for (const auto& entry : picture.palette) PutTgaValue(out, entry.data(), recipe.pixelBits);
    const Rgba rgba = picture.ToRgba();
    Bytes values;
    for (int s = 0; s < height; ++s) {
        const int y = (recipe.descriptor & 0x20) ? s : height - 1 - s;
        for (int t = 0; t < width; ++t) {
            const int x = (recipe.descriptor & 0x10) ? width - 1 - t : t;
            if (mapped)
                values.push_back(picture.indices[size_t(y) * width + x]);
            else
                PutTgaValue(values, rgba.At(x, y), recipe.pixelBits);
        }
    }
    const size_t valueBytes = mapped ? 1 : size_t(recipe.pixelBits / 8);
    const Bytes data = recipe.type >= 9 ? EncodePackets(values, valueBytes) : values;
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// The source as the decoder gives it back: 16 bits lose their low colour bits and alpha.
Rgba Expected(const TgaRecipe& recipe, const IndexedPicture& picture)
{
    Rgba out = picture.ToRgba();
    if (recipe.pixelBits != 32) out = Opaque(out);
    if (recipe.pixelBits == 16)
        for (size_t i = 0; i < out.pixels.size(); i += 4)
            for (int c = 0; c < 3; ++c) out.pixels[i + c] = uint8_t((out.pixels[i + c] >> 3) * 255 / 31);
    return out;
}

class TgaTest : public ImageTest {};

TEST_F(TgaTest, EveryTypeAndOrderDecodesToTheSourcePixels)
{
    const TgaRecipe kinds[] = {{1, 24, 0}, {1, 16, 0}, {2, 16, 0},  {2, 24, 0, 5},
                               {2, 32, 0}, {9, 32, 0}, {10, 24, 0}, {10, 32, 0}};
    // Repeats along rows and columns, so that run-length packets carry both kinds.
    IndexedPicture picture = MakeIndexedPicture(11, 6, 40);
    for (int i = 20; i < 40; ++i) picture.indices[size_t(i)] = 3;
    for (const TgaRecipe& kind : kinds) {
        for (int descriptor : {0x00, 0x20, 0x10, 0x30}) {
            TgaRecipe recipe = kind;
            recipe.descriptor = descriptor;
            SCOPED_TRACE(testing::Message()
                         << "type " << recipe.type << ", " << recipe.pixelBits << " bits, descriptor " << descriptor);
            const Bytes file = WriteTga(recipe, picture);
            LoadedImage image{};
            const Rgba decoded = DecodeBytes(file, &image);
            EXPECT_EQ(decoded, Expected(recipe, picture));
            EXPECT_EQ(image.pitch, 11 * recipe.pixelBits / 8);
            ReleaseLoadedImage(&image);
            Rgba reference;
            if (ReferenceDecode(Save("case.tga", file), &reference)) {
                const Rgba wanted = Expected(recipe, picture);
                EXPECT_LE(MaxDifference(recipe.pixelBits == 32 ? reference : Opaque(reference), wanted),
                          recipe.pixelBits == 16 ? 8 : 0);
            }
        }
    }
    ExpectNoLeak();
}

// A true-colour 24-bit header for a width x height picture, data to follow.
Bytes TgaHeader(int type, int width, int height, int descriptor = 0x20)
{
    Bytes out = {0, 0, uint8_t(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe16(out, uint32_t(width));
    PutLe16(out, uint32_t(height));
    out.push_back(24);
    out.push_back(uint8_t(descriptor));
    return out;
}

TEST_F(TgaTest, PacketsRepeatOrCopyAndStopAtTheLastPixel)
{
    struct Case {
        const char* name;
        int width;
        Bytes data;
        Bytes pixels;  // expected bytes, blue green red
        int result;
    };
    const Case cases[] = {
        {"0x83 repeats one pixel four times", 4, {0x83, 1, 2, 3}, {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}, 0},
        {"0x03 copies four pixels",
         4,
         {0x03, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4},
         {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4},
         0},
        {"a repeat past the last pixel is cut", 2, {0x85, 9, 8, 7}, {9, 8, 7, 9, 8, 7}, 0},
        {"a copy past the last pixel is cut", 1, {0x02, 1, 2, 3, 4, 5, 6}, {1, 2, 3}, 0},
        {"data ending early refuses the file", 3, {0x81, 1, 2, 3}, {}, -1},
        {"a value cut off refuses the file", 2, {0x81, 1, 2}, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = TgaHeader(10, c.width, 1);
        file.insert(file.end(), c.data.begin(), c.data.end());
        MemoryStream* stream = OpenMemoryStream(file.data(), int32_t(file.size()));
        LoadedImage image{};
        ASSERT_EQ(DecodeTga(MemoryStreamOps(), StreamValue(stream), &image), c.result);
        if (c.result == 0) {
            EXPECT_EQ(Bytes(image.pixels, image.pixels + c.pixels.size()), c.pixels);
        }
        ReleaseLoadedImage(&image);
        CloseMemoryStream(StreamValue(stream));
    }
    ExpectNoLeak();
}

TEST_F(TgaTest, ColourMapsAndFooters)
{
    // A map of 10 entries starting at 250: entries past 255 are skipped, the pixels still
    // start behind the whole map.
    Bytes mapped = {0, 1, 1, 250, 0, 10, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20};
    for (int i = 0; i < 10; ++i) mapped.insert(mapped.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    mapped.insert(mapped.end(), {250, 255});
    LoadedImage image{};
    ASSERT_EQ(LoadImageData(mapped.data(), int32_t(mapped.size()), &image), 0);
    EXPECT_EQ(Bytes(image.pixels, image.pixels + 6), Bytes({0, 0, 0, 5, 5, 5}));
    ReleaseLoadedImage(&image);

    // A true-colour picture carrying a colour map: its pixels follow the map.
    Bytes withMap = {0, 1, 2, 0, 0, 2, 0, 24, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0x20, 7, 7, 7, 8, 8, 8, 1, 2, 3};
    ASSERT_EQ(LoadImageData(withMap.data(), int32_t(withMap.size()), &image), 0);
    EXPECT_EQ(Bytes(image.pixels, image.pixels + 3), Bytes({1, 2, 3}));
    ReleaseLoadedImage(&image);

    // Run-length data stops at the footer of the second version.
    Bytes footed = TgaHeader(10, 2, 1);
    footed.insert(footed.end(), {0x80, 4, 5, 6});
    Bytes footer(8, 0);
    for (char c : std::string("TRUEVISION-XFILE.")) footer.push_back(uint8_t(c));
    footer.push_back(0);
    footed.insert(footed.end(), footer.begin(), footer.end());
    EXPECT_EQ(LoadImageData(footed.data(), int32_t(footed.size()), &image), -1) << "one pixel of two before the footer";
    footed.insert(footed.begin() + 22, {0x80, 1, 1, 1});
    ASSERT_EQ(LoadImageData(footed.data(), int32_t(footed.size()), &image), 0);
    EXPECT_EQ(Bytes(image.pixels, image.pixels + 6), Bytes({4, 5, 6, 1, 1, 1}));
    ReleaseLoadedImage(&image);
    ExpectNoLeak();
}

TEST_F(TgaTest, HeadersOutsideTheFormatAreRefusedAndTheChainGoesOn)
{
    struct Damage {
        const char* name;
        size_t at;
        int value;
    };
    const Damage damages[] = {{"x origin", 8, 1},        {"y origin", 10, 1},      {"width 8193", 12, 8193},
                              {"height 8193", 14, 8193}, {"grey type 3", 2, 3},    {"type 11", 2, 11},
                              {"type 0", 2, 0},          {"15-bit depth", 16, 15}, {"width 0", 12, 0}};
    Bytes good = TgaHeader(2, 2, 2);
    good.resize(good.size() + 12, 0x40);
    LoadedImage image{};
    ASSERT_EQ(LoadImageData(good.data(), int32_t(good.size()), &image), 0);
    ReleaseLoadedImage(&image);
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        Bytes file = good;
        if (d.at == 2 || d.at == 16) {
            file[d.at] = uint8_t(d.value);
        } else {
            file[d.at] = uint8_t(d.value);
            file[d.at + 1] = uint8_t(d.value >> 8);
        }
        MemoryStream* stream = OpenMemoryStream(file.data(), int32_t(file.size()));
        EXPECT_EQ(DecodeTga(MemoryStreamOps(), StreamValue(stream), &image), -1);
        CloseMemoryStream(StreamValue(stream));
        EXPECT_EQ(LoadImageData(file.data(), int32_t(file.size()), &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
    }
    // Colour-mapped pictures need a map and one-byte indices.
    Bytes noMap = {0, 0, 1, 0, 0, 0, 0, 24, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0x20, 0};
    EXPECT_EQ(LoadImageData(noMap.data(), int32_t(noMap.size()), &image), -1);
    ExpectNoLeak();
}

}  // namespace
