#include "file/file_access.h"
#include "file/plain_file.h"
#include "file_fixture.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <thread>

using namespace ror;

using PlainFileTest = FileFolderTest;

namespace {

struct OpenMode {
    const char* name;
    int32_t useCache;
    int32_t async;
};
constexpr OpenMode kModes[] = {{"direct", 0, 0}, {"cache", 1, 0}, {"async", 0, 1}, {"cache+async", 1, 1}};

// Waits for an asynchronous read without a time limit; the worker always finishes.
void WaitIdle(FileValue file)
{
    while (PlainFileIdle(file) == 0) std::this_thread::yield();
}

size_t RunningThreads()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// A joined thread can stay listed in /proc for a moment after the join returns (the kernel
// wakes the joiner before it has reaped the task), so a loaded machine may still show it.
size_t RunningThreadsSettledAt(size_t expected)
{
    size_t count = RunningThreads();
    for (int pass = 0; pass < 2000 && count != expected; ++pass) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        count = RunningThreads();
    }
    return count;
}

}  // namespace

TEST_F(PlainFileTest, ElementCountsAtEndAndSeekInEveryMode)
{
    WriteFile("ten.bin", "0123456789");
    for (const OpenMode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        FileValue file = PlainFileOpen("ten.bin", mode.useCache, 0, mode.async);
        ASSERT_NE(file, 0u);
        char buffer[16] = {};
        EXPECT_EQ(PlainFileRead(buffer, 4, 3, file), 2u);
        WaitIdle(file);
        EXPECT_EQ(std::string(buffer, 8), "01234567");
        EXPECT_EQ(PlainFileTell(file), 8);
        EXPECT_EQ(PlainFileAtEnd(file), 0);
        EXPECT_EQ(PlainFileRead(buffer, 4, 1, file), 0u);
        EXPECT_NE(PlainFileAtEnd(file), 0);
        EXPECT_EQ(PlainFileRead(buffer, 1, 5, file), 2u);
        WaitIdle(file);
        EXPECT_EQ(std::string(buffer, 2), "89");
        EXPECT_EQ(PlainFileRead(buffer, 1, 1, file), 0u);
        EXPECT_NE(PlainFileAtEnd(file), 0);
        EXPECT_EQ(PlainFileSeek(file, 0, kSeekStart), 0);
        EXPECT_EQ(PlainFileAtEnd(file), 0);
        EXPECT_EQ(PlainFileSeek(file, -3, kSeekEnd), 0);
        EXPECT_EQ(PlainFileTell(file), 7);
        EXPECT_EQ(PlainFileSeek(file, 1, kSeekCurrent), 0);
        EXPECT_EQ(PlainFileRead(buffer, 2, 1, file), 1u);
        WaitIdle(file);
        EXPECT_EQ(std::string(buffer, 2), "89");
        EXPECT_EQ(PlainFileClose(file), 0);
    }
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
    EXPECT_EQ(logged, "");
}

TEST_F(PlainFileTest, PositionsOutsideTheFileReadNothing)
{
    WriteFile("ten.bin", "0123456789");
    for (const OpenMode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        FileValue file = PlainFileOpen("ten.bin", mode.useCache, 0, mode.async);
        ASSERT_NE(file, 0u);
        char buffer[16] = {};
        // A position before the start cannot be held: the seek fails and leaves it.
        EXPECT_EQ(PlainFileSeek(file, -5, kSeekStart), -1);
        EXPECT_EQ(PlainFileTell(file), 0);
        // Past the end is allowed, but reads nothing there.
        EXPECT_EQ(PlainFileSeek(file, 20, kSeekStart), 0);
        EXPECT_EQ(PlainFileRead(buffer, 1, 4, file), 0u);
        EXPECT_NE(PlainFileAtEnd(file), 0);
        // A request whose byte count overflows reads no element.
        EXPECT_EQ(PlainFileSeek(file, 0, kSeekStart), 0);
        EXPECT_EQ(PlainFileRead(buffer, size_t(1) << 63, 2, file), 0u);
        EXPECT_EQ(PlainFileRead(nullptr, 0, 4, file), 0u);
        EXPECT_EQ(PlainFileClose(file), 0);
    }
}

TEST_F(PlainFileTest, MissingFileFailsWithoutLogLineOrThread)
{
    for (const OpenMode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(PlainFileOpen("missing.bin", mode.useCache, 0, mode.async), 0u);
    }
    EXPECT_EQ(logged, "");
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(PlainFileTest, WorkerThreadLivesFromOpenToClose)
{
    WriteFile("ten.bin", "0123456789");
    // A first worker lets runtimes that start helper threads with the first thread (the
    // thread checker) do so before counting.
    PlainFileClose(PlainFileOpen("ten.bin", 1, 0, 0));
    size_t before = RunningThreads();
    for (int pass = 0; pass < 50; ++pass) {  // the first worker may still be listed
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        before = std::min(before, RunningThreads());
    }
    FileValue direct = PlainFileOpen("ten.bin", 0, 0, 0);
    EXPECT_EQ(RunningThreads(), before);
    FileValue cached = PlainFileOpen("ten.bin", 1, 0, 0);
    FileValue async = PlainFileOpen("ten.bin", 0, 0, 1);
    EXPECT_EQ(RunningThreads(), before + 2);
    EXPECT_EQ(PlainFileClose(cached), 0);
    EXPECT_EQ(PlainFileClose(async), 0);
    EXPECT_EQ(PlainFileClose(direct), 0);
    EXPECT_EQ(RunningThreadsSettledAt(before), before);
}

TEST_F(PlainFileTest, AsynchronousReadReturnsAtOnceAndIdleTurnsWhenDone)
{
    std::string bytes = PatternBytes(4 << 20);
    WriteFile("big.bin", bytes);
    FileValue file = PlainFileOpen("big.bin", 0, 0, 1);
    ASSERT_NE(file, 0u);
    std::string buffer(bytes.size(), '\0');
    EXPECT_EQ(PlainFileRead(buffer.data(), 1024, 4096, file), 4096u);
    EXPECT_EQ(PlainFileTell(file), int64_t(bytes.size()));
    WaitIdle(file);
    EXPECT_EQ(PlainFileIdle(file), 1);
    EXPECT_TRUE(buffer == bytes);
    EXPECT_EQ(PlainFileClose(file), 0);
}

TEST_F(PlainFileTest, CacheServesReadAheadBytesAndRestartsBehindALongRead)
{
    std::string first = PatternBytes(3 * kReadCacheSize, 1);
    WriteFile("data.bin", first);
    FileValue file = PlainFileOpen("data.bin", 1, 0, 0);
    ASSERT_NE(file, 0u);
    char one[1];
    ASSERT_EQ(PlainFileRead(one, 1, 1, file), 1u);
    // Give the idle worker time to fill its cache from offset 1, then change the file
    // under it: bytes served from the cache are still the old ones.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::string second = PatternBytes(first.size(), 2);
    {
        std::fstream out("data.bin", std::ios::in | std::ios::out | std::ios::binary);
        out.write(second.data(), std::streamsize(second.size()));
    }
    std::string buffer(100, '\0');
    ASSERT_EQ(PlainFileRead(buffer.data(), 1, 100, file), 100u);
    EXPECT_EQ(buffer, first.substr(1, 100));
    // The cache's remaining bytes moved to its start: the next read continues from it.
    ASSERT_EQ(PlainFileRead(buffer.data(), 1, 100, file), 100u);
    EXPECT_EQ(buffer, first.substr(101, 100));
    // More than the cache holds: its part first, the rest from the (changed) file.
    uint32_t cached = kReadCacheSize - 200;
    std::string large(cached + 1000, '\0');
    ASSERT_EQ(PlainFileRead(large.data(), 1, large.size(), file), large.size());
    EXPECT_EQ(large.substr(0, cached), first.substr(201, cached));
    EXPECT_EQ(large.substr(cached), second.substr(201 + cached, 1000));
    // The cache restarted empty behind that read: what follows comes from the file.
    ASSERT_EQ(PlainFileRead(buffer.data(), 1, 100, file), 100u);
    EXPECT_EQ(buffer, second.substr(201 + large.size(), 100));
    EXPECT_EQ(PlainFileClose(file), 0);
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(PlainFileTest, SeekDiscardsTheCache)
{
    std::string first = PatternBytes(2 * kReadCacheSize, 1);
    WriteFile("data.bin", first);
    FileValue file = PlainFileOpen("data.bin", 1, 0, 0);
    ASSERT_NE(file, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::string second = PatternBytes(first.size(), 2);
    WriteFile("data.bin", second);
    ASSERT_EQ(PlainFileSeek(file, 0, kSeekStart), 0);
    std::string buffer(64, '\0');
    ASSERT_EQ(PlainFileRead(buffer.data(), 1, 64, file), 64u);
    EXPECT_EQ(buffer, second.substr(0, 64));
    EXPECT_EQ(PlainFileClose(file), 0);
}

TEST_F(PlainFileTest, SearchMatchesWildcardsRegardlessOfCase)
{
    WriteFile("sub/a.png", "aaaa");
    WriteFile("sub/B.PNG", "bb");
    WriteFile("sub/c.txt", "c");
    std::filesystem::create_directories("sub/dir.png");
    FileInfo info{};
    SearchValue search = PlainFileFindFirst("sub\\*.png", &info);
    ASSERT_NE(search, kNoSearch);
    std::map<std::string, FileInfo> found;
    do found[info.name] = info;
    while (PlainFileFindNext(search, &info) == 0);
    EXPECT_EQ(PlainFileFindClose(search), 0);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found["a.png"].sizeLow, 4u);
    EXPECT_EQ(found["a.png"].isDirectory, 0);
    EXPECT_EQ(found["B.PNG"].sizeLow, 2u);
    EXPECT_EQ(found["dir.png"].isDirectory, 1);
    EXPECT_GE(found["a.png"].lastWriteTime.year, 2020);
    EXPECT_EQ(PlainFileFindFirst("sub/*.bmp", nullptr), kNoSearch);
    EXPECT_EQ(PlainFileFindFirst("nowhere/*", nullptr), kNoSearch);
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(PlainFileTest, TempFileIsNewAndNamed)
{
    char name[kFilePathSize] = {};
    SystemFile file = CreateTempFile(name);
    ASSERT_NE(file, kNoSystemFile);
    EXPECT_TRUE(
        std::filesystem::equivalent(std::filesystem::path(name).parent_path(), std::filesystem::temp_directory_path()));
    EXPECT_EQ(std::filesystem::path(name).filename().string().rfind("tmp", 0), 0u);
    EXPECT_EQ(WriteSystemFile(file, "x", 1), 1);
    CloseSystemFile(file);
    EXPECT_EQ(std::filesystem::file_size(name), 1u);
    std::filesystem::remove(name);
}

TEST_F(PlainFileTest, CurrentDirRoundTrip)
{
    std::filesystem::create_directories("inner");
    char before[kFilePathSize];
    ASSERT_EQ(PlainGetCurrentDir(before), 0);
    EXPECT_EQ(PlainSetCurrentDir("inner"), 0);
    char now[kFilePathSize];
    ASSERT_EQ(PlainGetCurrentDir(now), 0);
    EXPECT_EQ(std::string(now), std::string(before) + "/inner");
    EXPECT_EQ(PlainSetCurrentDir("no such folder"), -1);
}
