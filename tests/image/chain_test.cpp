// The loader chain: files and memory blocks, the order of the decoders, a clean record after
// a refusal, and damaged copies of real pictures that must neither crash nor leak.
#include "bmp_writer.h"

using namespace ror;

namespace {

class ChainTest : public ImageTest {};

TEST_F(ChainTest, LoadsFilesThroughTheFileLayer)
{
    const IndexedPicture picture = MakeIndexedPicture(9, 4, 16);
    const std::string path = Save("picture.bmp", WriteBmp({4, 0, false}, &picture, nullptr));
    LoadedImage image{};
    ASSERT_EQ(LoadImageData(path.c_str(), &image), 0);
    EXPECT_EQ(DecodedToRgba(image), Opaque(picture.ToRgba()));
    ReleaseLoadedImage(&image);
    EXPECT_EQ(LoadImageData(PathOf("missing.bmp").c_str(), &image), -1);
    EXPECT_EQ(LoadImageData(static_cast<const char*>(nullptr), &image), -1);
    ExpectNoLeak();
}

TEST_F(ChainTest, ARefusedPictureLeavesAClearedRecord)
{
    LoadedImage image;
    std::memset(&image, 0xAB, sizeof(image));
    const Bytes garbage = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e', 0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(LoadImageData(garbage.data(), int32_t(garbage.size()), &image), -1);
    const LoadedImage zero{};
    EXPECT_EQ(std::memcmp(&image, &zero, sizeof(image)), 0);
    EXPECT_EQ(LoadImageData(garbage.data(), 0, &image), -1);
    EXPECT_EQ(LoadImageData(nullptr, 5, &image), -1);
    ExpectNoLeak();
}

// Notes the position at the first tell or read after each seek to offset 0: the chain's own
// seek before each decoder, and any a decoder makes itself.
struct WatchedStream {
    MemoryStream* inner;
    std::vector<int64_t> firstReads;
    bool fresh = true;
};
WatchedStream* Watched;

const StreamOps kWatchedOps = {
    [](StreamValue) {
        if (Watched->fresh) Watched->firstReads.push_back(TellMemoryStream(StreamValue(Watched->inner)));
        Watched->fresh = false;
        return TellMemoryStream(StreamValue(Watched->inner));
    },
    [](StreamValue, int32_t offset, int origin) {
        Watched->fresh = origin == kSeekStart && offset == 0;
        return SeekMemoryStream(StreamValue(Watched->inner), offset, origin);
    },
    [](void* d, size_t size, size_t count, StreamValue) {
        if (Watched->fresh) Watched->firstReads.push_back(TellMemoryStream(StreamValue(Watched->inner)));
        Watched->fresh = false;
        return ReadMemoryStream(d, size, count, StreamValue(Watched->inner));
    },
    [](StreamValue) { return MemoryStreamAtEnd(StreamValue(Watched->inner)); },
    [](StreamValue) { return 1; },
    [](StreamValue) { return 0; },
};

TEST_F(ChainTest, EveryDecoderStartsAtOffsetZeroAndTheLastOneWins)
{
    // A DDS file: BMP, JPEG, PNG, BGRA and TGA refuse it in turn.
    Bytes dds = {'D', 'D', 'S', ' '};
    dds.resize(4 + 124 + 8, 0);
    SetLe32(dds, 4 + 8, 4);
    SetLe32(dds, 4 + 12, 4);
    SetLe32(dds, 4 + 76, 4);
    SetLe32(dds, 4 + 80, ReadLe32(reinterpret_cast<const uint8_t*>("DXT1")));
    WatchedStream watched{OpenMemoryStream(dds.data(), int32_t(dds.size())), {}};
    Watched = &watched;
    LoadedImage image{};
    ASSERT_EQ(DecodeImageStream(&kWatchedOps, StreamValue(1), &image), 0);
    EXPECT_EQ(image.format.compression, 1);
    EXPECT_GE(watched.firstReads.size(), 6u);
    for (int64_t at : watched.firstReads) EXPECT_EQ(at, 0);
    ReleaseLoadedImage(&image);
    CloseMemoryStream(StreamValue(watched.inner));
    ExpectNoLeak();
}

// Damaged copies: every cut length up to a limit, and many single-byte changes.
void DecodeDamagedCopies(const Bytes& file)
{
    std::mt19937 random(uint32_t(file.size()));
    LoadedImage image{};
    for (size_t length = 0; length < file.size(); length += 1 + length / 16) {
        if (LoadImageData(file.data(), int32_t(length), &image) == 0) ReleaseLoadedImage(&image);
    }
    for (int i = 0; i < 300; ++i) {
        Bytes copy = file;
        for (int changes = 1 + int(random() % 3); changes > 0; --changes)
            copy[random() % copy.size()] = uint8_t(random() % 4 == 0 ? 0xFF : random());
        if (LoadImageData(copy.data(), int32_t(copy.size()), &image) == 0) ReleaseLoadedImage(&image);
    }
}

TEST_F(ChainTest, DamagedPicturesNeitherCrashNorLeak)
{
    std::vector<Bytes> files;
    const IndexedPicture indexed = MakeIndexedPicture(21, 9, 16);
    const Rgba rgba = MakeTestPicture(21, 9);
    for (const BmpRecipe& recipe :
         {BmpRecipe{8, 1, false}, BmpRecipe{4, 2, false}, BmpRecipe{1, 0, true}, BmpRecipe{4, 0, false},
          BmpRecipe{16, 3, false, 40, {0xF800, 0x7E0, 0x1F}}, BmpRecipe{24, 0, false}})
        files.push_back(WriteBmp(recipe, &indexed, &rgba));
    const char* made[] = {
        "-size 23x17 gradient:red-blue a.png",
        "-size 23x17 gradient:red-blue PNG8:b.png",
        "-size 23x17 gradient:red-blue -interlace PNG c.png",
        "-size 23x17 gradient:red-blue d.jpg",
        "-size 23x17 gradient:red-blue -interlace JPEG e.jpg",
        "-size 23x17 gradient:red-blue -compress RLE f.tga",
        "-size 23x17 gradient:red-blue -colors 32 -compress RLE g.tga",
        "-size 23x17 gradient:red-blue -colors 32 h.tga",
        "-size 24x16 gradient:red-blue -define dds:compression=dxt1 i.dds",
        "-size 24x16 gradient:red-blue -define dds:compression=none j.dds",
    };
    for (const char* arguments : made) {
        if (!MakeWithImageMagick(arguments)) break;
        const std::string name = std::string(arguments).substr(std::string(arguments).rfind(' ') + 1);
        const std::string file = name.substr(name.find(':') + 1);
        files.push_back(Load(PathOf(file)));
        LoadedImage image{};
        EXPECT_EQ(LoadImageData(files.back().data(), int32_t(files.back().size()), &image), 0) << arguments;
        ReleaseLoadedImage(&image);
    }
    for (const Bytes& file : files) DecodeDamagedCopies(file);
    ExpectNoLeak();
}

}  // namespace
