// Movies in graphics on both drawing paths: their colours, the clock they follow, seeking,
// looping, the full-screen playback and the calls they refuse.
#include "movie_files.h"

#include "graphics/both_paths_fixture.h"
#include "graphics/device/device_state.h"
#include "graphics/graphic_handles.h"
#include "movie/movies.h"
#include "platform/system/clock.h"
#include "platform/window_system/synthetic_events.h"
#include "sound/sound_handles.h"

#include <cstring>
#include <thread>

using namespace ror;

namespace {

class MoviePlayTest : public BothPathsTest {
protected:
    void TearDown() override
    {
        BothPathsTest::TearDown();
        SetLogInEnglish(0);
    }
    // Writes the movie to a file of the test's folder and loads it.
    int Load(const MovieRecipe& recipe, const char* name = "movie.ogv")
    {
        std::ofstream(folder / name, std::ios::binary) << TheoraMovie(recipe);
        return LoadMovieGraphic(name);
    }
    // The frame the graphic shows, by the brightness of its counting block.
    static int ShownFrame(int graphic, const MovieRecipe& recipe)
    {
        int red = 0, green = 0, blue = 0, alpha = 0;
        ReadGraphicPixel(graphic, recipe.width / 2, recipe.height * 5 / 8, &red, &green, &blue, &alpha);
        for (int k = 0; k < recipe.frames; ++k)
            if (std::abs(int((MovieSampleRgb(MovieCountLevel(k), 128, 128) >> 8) & 0xFF) - green) <= 4) return k;
        return -1;
    }
    // Pumps until `done` or about five seconds have gone.
    template <class Done>
    static bool PumpUntil(Done done)
    {
        for (int i = 0; i < 500; ++i) {
            if (done()) return true;
            PumpMessages();
            SystemSleep(10);
        }
        return done();
    }
};

// The bars' colours, read from the graphic and from the screen it is drawn to; on the device
// path also where the device cannot draw into textures and the picture is converted as the
// software path does.
TEST_P(MoviePlayTest, BarsShowTheirColoursInTheGraphicAndOnTheScreen)
{
    if (!Start()) GTEST_SKIP() << "path not available";
    const MovieRecipe recipe{.width = 128, .height = 64, .frames = 4, .rate = 10};
    int32_t formats[kTexturePurposeCount];
    std::memcpy(formats, DeviceState.textureFormats, sizeof formats);
    for (const bool renderTargets : {true, false}) {
        SCOPED_TRACE(renderTargets);
        if (!renderTargets && !GetParam()) continue;
        if (!renderTargets) DeviceState.textureFormats[kTexTarget16] = DeviceState.textureFormats[kTexTarget32] = 0;
        const int movie = Load(recipe);
        std::memcpy(DeviceState.textureFormats, formats, sizeof formats);
        ASSERT_GE(movie, 0) << Log();
        int width = 0, height = 0;
        ASSERT_EQ(GetGraphicSize(movie, &width, &height), 0);
        EXPECT_EQ(width, recipe.width);
        EXPECT_EQ(height, recipe.height);
        ASSERT_EQ(PutGraphic(100, 50, movie, 0), 0);
        for (int bar = 0; bar < 8; ++bar) {
            SCOPED_TRACE(bar);
            const uint32_t want = MovieSampleRgb(kMovieBars[bar][0], kMovieBars[bar][1], kMovieBars[bar][2]);
            const int x = bar * recipe.width / 8 + recipe.width / 16, y = recipe.height / 4;
            int red = 0, green = 0, blue = 0, alpha = 0;
            ASSERT_EQ(ReadGraphicPixel(movie, x, y, &red, &green, &blue, &alpha), 0);
            // The encoder is lossy by a level or two; the conversion within one of the exact one.
            EXPECT_NEAR(red, int(want >> 16), 4);
            EXPECT_NEAR(green, int((want >> 8) & 0xFF), 4);
            EXPECT_NEAR(blue, int(want & 0xFF), 4);
            int sr = 0, sg = 0, sb = 0;
            ASSERT_EQ(ReadScreenPixel(100 + x, 50 + y, &sr, &sg, &sb), 0);
            EXPECT_EQ(sr, red);
            EXPECT_EQ(sg, green);
            EXPECT_EQ(sb, blue);
        }
        EXPECT_EQ(ShownFrame(movie, recipe), 0);
        EXPECT_EQ(DestroyGraphic(movie), 0);
    }
}

TEST_P(MoviePlayTest, SizeRateLengthAndTimeAreThoseOfTheFile)
{
    if (!Start()) GTEST_SKIP() << "path not available";
    const int movie = Load({.width = 64, .height = 32, .frames = 12, .rate = 24});
    ASSERT_GE(movie, 0) << Log();
    int numerator = 0, denominator = 0;
    EXPECT_EQ(GetMovieFrameRate(movie, &numerator, &denominator), 0);
    EXPECT_EQ(numerator, 24);
    EXPECT_EQ(denominator, 1);
    EXPECT_EQ(GetMovieLength(movie), 500);
    EXPECT_EQ(GetMovieTime(movie), 0);
    EXPECT_EQ(IsMoviePlaying(movie), 0);
}

// Seeking shows the frame of the time asked, forwards and back, paused or playing.
TEST_P(MoviePlayTest, SeekShowsTheFrameOfTheTimeAsked)
{
    if (!Start()) GTEST_SKIP() << "path not available";
    const MovieRecipe recipe{.frames = 10, .rate = 10, .soundRate = 22050};
    const int movie = Load(recipe);
    ASSERT_GE(movie, 0) << Log();
    struct Case {
        int64_t milliseconds;
        int result, frame;
    };
    const Case cases[] = {
        {450, 0, 4}, {999, 0, 9}, {100, 0, 1}, {0, 0, 0}, {1000, 0, 9}, {700, 0, 7}, {-1, -1, 7}, {1001, -1, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.milliseconds);
        EXPECT_EQ(SeekMovie(movie, c.milliseconds), c.result);
        EXPECT_EQ(ShownFrame(movie, recipe), c.frame);
        if (c.result == 0) {
            EXPECT_EQ(GetMovieTime(movie), c.milliseconds);
        }
    }
    EXPECT_EQ(IsMoviePlaying(movie), 0) << "seeking does not start it";
}

// While the sound track sounds its position is the movie's clock: held still, it holds the
// picture although the layer's clock runs on.
TEST_P(MoviePlayTest, ThePictureFollowsTheSoundTrackNotTheWallClock)
{
    if (!Start()) GTEST_SKIP() << "path not available";
    const MovieRecipe recipe{.frames = 40, .rate = 10, .soundRate = 22050};
    const int movie = Load(recipe);
    ASSERT_GE(movie, 0) << Log();
    ASSERT_EQ(StartMovie(movie), 0);
    ASSERT_TRUE(PumpUntil([&] { return GetMovieTime(movie) >= 300; })) << "the sound never started";
    MovieRecord* record = &MovieState.movies[ResolveGraphic(movie)->movie];
    ASSERT_GE(record->play, 0);
    ASSERT_EQ(PausePlay(record->play), 0);
    for (int i = 0; i < 5; ++i) {
        PumpMessages();
        SystemSleep(10);
    }
    const int64_t held = GetMovieTime(movie);
    const int64_t soundAt = GetSoundPosition(record->sound) * 1000 / recipe.soundRate;
    EXPECT_EQ(held, soundAt);
    for (int i = 0; i < 30; ++i) {
        PumpMessages();
        SystemSleep(10);
    }
    EXPECT_EQ(GetMovieTime(movie), held);
    EXPECT_EQ(ShownFrame(movie, recipe), int(held * recipe.rate / 1000));
    EXPECT_EQ(IsMoviePlaying(movie), 1);
    // Paused, the picture is the one of the time it holds.
    ASSERT_EQ(PauseMovie(movie), 0);
    EXPECT_EQ(ShownFrame(movie, recipe), int(GetMovieTime(movie) * recipe.rate / 1000));
}

TEST_P(MoviePlayTest, AtItsEndAMovieStopsOrLoops)
{
    if (!Start()) GTEST_SKIP() << "path not available";
    for (const bool sound : {false, true}) {
        SCOPED_TRACE(sound);
        const MovieRecipe recipe{.frames = 10, .rate = 10, .soundRate = sound ? 22050 : 0};
        const int movie = Load(recipe);
        ASSERT_GE(movie, 0) << Log();
        // Once: it ends on its last frame and time.
        ASSERT_EQ(SeekMovie(movie, 700), 0);
        ASSERT_EQ(StartMovie(movie), 0);
        ASSERT_TRUE(PumpUntil([&] { return IsMoviePlaying(movie) == 0; }));
        EXPECT_EQ(GetMovieTime(movie), 1000);
        EXPECT_EQ(ShownFrame(movie, recipe), 9);
        // In a loop: it comes round to its start again and plays on.
        ASSERT_EQ(SetMovieLoop(movie, 1), 0);
        ASSERT_EQ(SeekMovie(movie, 800), 0);
        ASSERT_EQ(StartMovie(movie), 0);
        ASSERT_TRUE(PumpUntil([&] { return GetMovieTime(movie) < 500; })) << "never came round";
        EXPECT_EQ(IsMoviePlaying(movie), 1);
        // Stopping goes back to the first frame.
        ASSERT_EQ(StopMovie(movie), 0);
        EXPECT_EQ(IsMoviePlaying(movie), 0);
        EXPECT_EQ(GetMovieTime(movie), 0);
        EXPECT_EQ(ShownFrame(movie, recipe), 0);
        EXPECT_EQ(DestroyGraphic(movie), 0);
    }
    for (const MovieRecord& record : MovieState.movies) EXPECT_EQ(record.inUse, 0) << "closed with their graphics";
}

TEST_P(MoviePlayTest, CallsOnWhatIsNoMovieAndFilesThatAreNoneFail)
{
    SetLogInEnglish(1);
    if (!Start()) GTEST_SKIP() << "path not available";
    const int plain = CreateBlankGraphic(8, 8);
    ASSERT_GE(plain, 0);
    for (const int handle : {plain, -1, 12345}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(StartMovie(handle), -1);
        EXPECT_EQ(PauseMovie(handle), -1);
        EXPECT_EQ(StopMovie(handle), -1);
        EXPECT_EQ(SeekMovie(handle, 0), -1);
        EXPECT_EQ(SetMovieLoop(handle, 1), -1);
        EXPECT_EQ(GetMovieFrameRate(handle, nullptr, nullptr), -1);
        EXPECT_EQ(GetMovieLength(handle), -1);
        EXPECT_EQ(GetMovieTime(handle), -1);
        EXPECT_EQ(IsMoviePlaying(handle), -1);
    }
    const int movie = Load({.frames = 3});
    ASSERT_GE(movie, 0);
    EXPECT_EQ(SetMovieLoop(movie, 2), -1);
    EXPECT_EQ(PlayMovieFullScreen("movie.ogv", 2), -1);
    EXPECT_EQ(PlayMovieFullScreen(nullptr, 0), -1);
    EXPECT_EQ(LoadMovieGraphic(nullptr), -1);
    // A file that is there but is no movie, one cut off, and one that is not there.
    const std::string whole = TheoraMovie({.frames = 30, .noise = true});
    std::ofstream(folder / "cut.ogv", std::ios::binary) << whole.substr(0, whole.size() / 2);
    std::ofstream(folder / "text.ogv", std::ios::binary) << "no movie";
    for (const char* name : {"cut.ogv", "text.ogv", "missing.ogv"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LoadMovieGraphic(name), -1);
        EXPECT_EQ(PlayMovieFullScreen(name, 1), -1);
    }
    const std::string log = Log();
    for (const char* line : {"cut off", "not an Ogg file", "Cannot open the movie file missing.ogv"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_P(MoviePlayTest, FullScreenPlaybackReturnsAtTheEndOrAtAKey)
{
    if (!Start()) GTEST_SKIP() << "path not available";
    std::ofstream("short.ogv", std::ios::binary) << TheoraMovie({.width = 32, .height = 16, .frames = 3, .rate = 10});
    EXPECT_EQ(PlayMovieFullScreen("short.ogv", 0), 0);
    // Five minutes long, beyond the test's time limit: only the key ends it in time.
    std::ofstream("long.ogv", std::ios::binary) << TheoraMovie({.width = 32, .height = 16, .frames = 3000, .rate = 10});
    std::thread presser([] {
        SystemSleep(300);
        PushSyntheticKey(CoreState.MainWindow, KEYCODE_SPACE, 1);
    });
    EXPECT_EQ(PlayMovieFullScreen("long.ogv", 1), 0);
    presser.join();
    EXPECT_EQ(DrawState.drawTarget, DRAW_TARGET_BACK_SCREEN);
}

INSTANTIATE_ON_BOTH_PATHS(MoviePlayTest);

}  // namespace
