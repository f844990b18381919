// The movie decoder over the layer's memory streams: what it reports, the pictures it gives,
// going back to the start, and files it must refuse.
#include "movie_files.h"

#include "file/file_access.h"
#include "file/file_fixture.h"
#include "movie/movie_file.h"
#include "rorodiv.h"

using namespace ror;

namespace {

class MovieFileTest : public FileFolderTest {
protected:
    void SetUp() override
    {
        FileFolderTest::SetUp();
        InstallDefaultStreams();
        SetLogInEnglish(1);
    }
    void TearDown() override
    {
        CloseMovieFile(file);
        if (memory != nullptr) CloseMemoryStream(StreamValue(memory));
        SetLogInEnglish(0);
        FileFolderTest::TearDown();
    }
    MovieFile* Open(const std::string& bytes)
    {
        data = bytes;
        memory = OpenMemoryStream(data.data(), int32_t(data.size()));
        file = OpenMovieFile({&kPlainMemoryStreamOps, StreamValue(memory)}, &info);
        return file;
    }
    // The brightness at the middle of the counting block of the picture.
    static int CountLevel(const PlanarPicture& p)
    {
        return p.planes[0][intptr_t(p.height * 3 / 4) * p.pitches[0] + p.width / 2];
    }

    std::string data;
    MemoryStream* memory = nullptr;
    MovieFile* file = nullptr;
    MovieInfo info{};
};

TEST_F(MovieFileTest, ReportsSizeRateLengthAndSoundOfTheFile)
{
    struct Case {
        MovieRecipe recipe;
        bool sound;
    };
    const Case cases[] = {
        {{.width = 128, .height = 64, .frames = 10, .rate = 10}, false},
        {{.width = 100, .height = 30, .frames = 3, .rate = 30}, false},  // not a multiple of 16
        {{.width = 64, .height = 32, .frames = 12, .rate = 24, .soundRate = 22050}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recipe.width);
        ASSERT_NE(Open(TheoraMovie(c.recipe)), nullptr) << logged;
        EXPECT_EQ(info.width, c.recipe.width);
        EXPECT_EQ(info.height, c.recipe.height);
        EXPECT_EQ(info.rateNumerator, c.recipe.rate);
        EXPECT_EQ(info.rateDenominator, 1);
        EXPECT_EQ(info.frames, c.recipe.frames);
        EXPECT_EQ(info.hasSound, c.sound ? 1 : 0);
        CloseMovieFile(file);
        file = nullptr;
        CloseMemoryStream(StreamValue(memory));
        memory = nullptr;
    }
}

TEST_F(MovieFileTest, FramesComeInOrderWithTheirPicturesAndRewindStartsAgain)
{
    const MovieRecipe recipe{.frames = 8, .soundRate = 22050};
    ASSERT_NE(Open(TheoraMovie(recipe)), nullptr) << logged;
    PlanarPicture picture{};
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < recipe.frames; ++k) {
            ASSERT_EQ(ReadMovieFrame(file, &picture), 1) << k;
            EXPECT_EQ(MovieFramesRead(file), k + 1);
            EXPECT_NEAR(CountLevel(picture), MovieCountLevel(k), 3) << "frame " << k;
            EXPECT_EQ(picture.width, recipe.width);
            EXPECT_EQ(picture.chromaShiftX, 1);
            EXPECT_EQ(picture.chromaShiftY, 1);
            for (int bar = 0; bar < 8; ++bar) {
                const int x = bar * recipe.width / 8 + recipe.width / 16, y = recipe.height / 4;
                EXPECT_NEAR(picture.planes[0][y * picture.pitches[0] + x], kMovieBars[bar][0], 3);
                EXPECT_NEAR(picture.planes[1][y / 2 * picture.pitches[1] + x / 2], kMovieBars[bar][1], 3);
                EXPECT_NEAR(picture.planes[2][y / 2 * picture.pitches[2] + x / 2], kMovieBars[bar][2], 3);
            }
        }
        EXPECT_EQ(ReadMovieFrame(file, &picture), 0);
        EXPECT_EQ(ReadMovieFrame(file, nullptr), 0) << "stays at the end";
        ASSERT_EQ(RewindMovieFile(file), 0);
    }
}

// Flips bytes in the middle of the data, past the headers.
std::string Damaged(std::string bytes)
{
    for (size_t i = bytes.size() / 3; i < bytes.size() * 2 / 3; i += 97) bytes[i] = char(bytes[i] ^ 0x5A);
    return bytes;
}

std::string VorbisOnly()
{
    std::vector<std::string> headers;
    std::vector<movie_files::TimedPage> pages;
    movie_files::ToneTrack({.soundRate = 8000}, 0.2, &headers, &pages);
    std::string bytes = headers[0] + headers[1];
    for (const auto& p : pages) bytes += p.bytes;
    return bytes;
}

TEST_F(MovieFileTest, DamagedCutAndForeignFilesAreRefusedWithALogLine)
{
    const std::string movie = TheoraMovie({.frames = 30, .soundRate = 8000});
    const std::string silent = TheoraMovie({.frames = 30});
    struct Case {
        const char* name;
        std::string bytes;
        bool opens;  // the damage shows only while the frames are read
        const char* logged;
    };
    const Case cases[] = {
        {"empty", "", false, "not an Ogg file"},
        {"text", "This is not a movie at all, only some words.", false, "not an Ogg file"},
        {"only the magic", "OggS", false, "no Theora picture track"},
        {"sound only", VorbisOnly(), false, "no Theora picture track"},
        {"cut in the headers", movie.substr(0, 300), false, "no Theora picture track"},
        {"cut in the data", movie.substr(0, movie.size() * 2 / 3), false, "cut off"},
        {"last bytes lost", silent.substr(0, silent.size() - 10), false, "cut off"},
        {"damaged data", Damaged(TheoraMovie({.frames = 30, .noise = true})), true, "damaged"},
        {"garbage after the magic", "OggS" + PatternBytes(5000), false, "no Theora picture track"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        logged.clear();
        MovieFile* opened = Open(c.bytes);
        if (!c.opens) {
            EXPECT_EQ(opened, nullptr);
        } else {
            ASSERT_NE(opened, nullptr) << logged;
            int result = 1;
            for (int k = 0; k < 100 && result == 1; ++k) result = ReadMovieFrame(file, nullptr);
            EXPECT_EQ(result, -1);
            EXPECT_EQ(ReadMovieFrame(file, nullptr), 0) << "nothing more after the damage";
        }
        EXPECT_NE(logged.find(c.logged), std::string::npos) << logged;
        CloseMovieFile(file);
        file = nullptr;
        CloseMemoryStream(StreamValue(memory));
        memory = nullptr;
    }
}

}  // namespace
