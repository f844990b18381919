#include "archive_fixture.h"
#include "core/text_encoding.h"
#include "file/archive_files.h"
#include "file/file_names.h"
#include "file/file_startup.h"
#include "file/lz_block.h"
#include "file/plain_file.h"
#include "file_fixture.h"
#include "folder_tree.h"

#include <functional>
#include <map>
#include <set>
#include <thread>

using namespace ror;

namespace {

class ArchiveFilesTest : public FileFolderTest {
protected:
    void SetUp() override
    {
        FileFolderTest::SetUp();
        ClearArchiveTables();
        InstallFileAccess(nullptr);
    }

    void TearDown() override
    {
        SetArchiveKey(nullptr);
        SetArchiveExtension(".ZAZ");
        FileFolderTest::TearDown();
    }

    // data.zaz (lower-case extension) beside where the folder data/ would be.
    void WriteDataArchive(const PackNode& root, int version = 3, const char* name = "data.zaz")
    {
        std::vector<uint8_t> bytes = MakeArchive(root, version);
        WriteFile(name, std::string(bytes.begin(), bytes.end()));
    }

    static std::string ReadAll(FileValue file)
    {
        std::string out;
        char buffer[777];
        size_t got;
        while ((got = FileRead(buffer, 1, sizeof buffer, file)) > 0) {
            while (FileIdle(file) == 0) std::this_thread::yield();
            out.append(buffer, got);
        }
        return out;
    }

    static std::string ReadPath(const char* path, int32_t async = 0)
    {
        FileValue file = FileOpen(path, 0, 0, async);
        if (file == 0) return "<not opened>";
        std::string bytes = ReadAll(file);
        EXPECT_EQ(FileClose(file), 0);
        return bytes;
    }

    std::string LogLines() const
    {
        // The log mirrors each line with CR LF; compare as "\n".
        std::string lines;
        for (char c : logged)
            if (c != '\r') lines += c;
        return lines;
    }

    void ExpectAllReturned()
    {
        ReleaseIdleArchives();
        EXPECT_EQ(ArchiveLayer.archiveCount, 0);
        EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
    }
};

}  // namespace

TEST(FullPathTest, ResolvesAgainstTheBase)
{
    struct Case {
        const char* base;
        const char* path;
        bool upperCase;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\WORK", "a/../b/./c.png", true, "C:\\WORK\\B\\C.PNG"},
        {"C:\\WORK", nullptr, true, "C:\\WORK"},
        {"C:\\WORK\\", "x", true, "C:\\WORK\\X"},
        {"C:\\WORK", "\\x.png", true, "C:\\X.PNG"},
        {"C:\\WORK", "d:foo\\bar", true, "D:\\FOO\\BAR"},
        {"C:\\WORK", "d:\\foo", true, "D:\\FOO"},
        {"C:\\WORK", "//server/share/x", true, "\\\\SERVER\\SHARE\\X"},
        {"C:\\WORK", "..\\..\\..\\x", true, "C:\\X"},
        {"C:\\WORK", "a/.", true, "C:\\WORK\\A\\."},
        {"C:\\WORK", "a/..", true, "C:\\WORK\\A\\.."},
        {"C:\\WORK", "a//b/", true, "C:\\WORK\\A\\B"},
        {"/home/u", "data/x.png", true, "\\HOME\\U\\DATA\\X.PNG"},
        {"/home/u", "data/X.png", false, "\\home\\u\\data\\X.png"},
        {"/home/u", "/abs/y", true, "\\ABS\\Y"},
        {"/home/u", "../../../y", true, "\\Y"},
        {"/", "y", true, "\\Y"},
        // A two-byte character whose second byte is "\" stays one character.
        {"/home", "\x95\x5C/a", true, "\\HOME\\\x95\x5C\\A"},
        {"/home", "\x83\x61/b", true, "\\HOME\\\x83\x61\\B"},
    };
    for (const Case& c : cases) {
        char out[kFilePathSize];
        ASSERT_EQ(FullPathFrom(c.base, c.path, c.upperCase, out, sizeof out), 0) << c.path;
        EXPECT_STREQ(out, c.expected) << c.base << " + " << (c.path ? c.path : "(none)");
    }
    char small[8];
    EXPECT_EQ(FullPathFrom("/home/u", "long/path", true, small, sizeof small), -1);
}

TEST(WildcardTest, Matches)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*", "A.PNG", true},
        {"*.PNG", "A.PNG", true},
        {"*.PNG", "A.BMP", false},
        {"A?C", "ABC", true},
        {"A?C", "AC", false},
        {"**.PNG", "X.PNG", true},
        {"*.PNG", "A.B.PNG", true},
        {"*A", "BANANA", true},
        {"A*", "", false},
        {"", "", true},
        {"*", "", true},
        {"ABC", "ABCD", false},
        {"\x95\x5C*", "\x95\x5C.TXT", true},
        {"\x95\x5C*", "\x95\x5D.TXT", false},
        {".", ".", true},
        {"*.*", "..", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchWildcard(c.pattern, c.name) == 0, c.matches) << c.pattern << " vs " << c.name;
}

TEST_F(ArchiveFilesTest, FolderIsReplacedByItsArchive)
{
    WriteDataArchive(SampleTree());
    EXPECT_EQ(ReadPath("data/A.png"), "0123456789");
    EXPECT_EQ(ReadPath("data\\img\\b.png"), Compressible(3000));
    // The full path is made before the archive is looked for.
    EXPECT_EQ(ReadPath("./data/IMG/sub/../sub/deep.txt"), "deep");
    EXPECT_EQ(ReadPath((folder / "data/img/sub/deep.txt").c_str()), "deep");
    EXPECT_EQ(ReadPath("data/\x95\x5C/x.bin"), "xx");
    EXPECT_EQ(ArchiveLayer.archiveCount, 1);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, UpperCaseExtensionIsTriedFirst)
{
    WriteDataArchive(SampleTree(), 3, "data.ZAZ");
    EXPECT_EQ(ReadPath("data/A.png"), "0123456789");
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, PathUnderTheArchiveIsLookedUpOnlyInside)
{
    WriteDataArchive(SampleTree());
    WriteFile("data/only-on-disk.txt", "disk");
    EXPECT_EQ(FileOpen("data/only-on-disk.txt", 0, 0, 0), 0u);
    EXPECT_EQ(LogLines().substr(LogLines().find(':') + 1), "ZAZファイルの中に指定のファイルは見つかりませんでした\n");
    EXPECT_EQ(ArchiveLayer.archives[0]->useCount, 0);
    // Outside the archive's folder the disk serves as before.
    WriteFile("other/file.txt", "plain");
    EXPECT_EQ(ReadPath("other/file.txt"), "plain");
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, ReadsCountBytesInsideAndElementsOutside)
{
    WriteDataArchive(SampleTree());
    WriteFile("plain/A.png", "0123456789");
    char buffer[16];
    FileValue inside = FileOpen("data/A.png", 0, 0, 0);
    FileValue outside = FileOpen("plain/A.png", 0, 0, 0);
    ASSERT_NE(inside, 0u);
    ASSERT_NE(outside, 0u);
    EXPECT_EQ(FileRead(buffer, 4, 3, inside), 10u);
    EXPECT_EQ(FileRead(buffer, 4, 3, outside), 2u);
    EXPECT_EQ(FileClose(inside), 0);
    EXPECT_EQ(FileClose(outside), 0);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, SeeksClampAndReadAtTheEnd)
{
    for (const char* path : {"data/A.png", "data/DATA.bin"}) {
        SCOPED_TRACE(path);
        WriteDataArchive(SampleTree());
        FileValue file = FileOpen(path, 0, 0, 0);
        ASSERT_NE(file, 0u);
        int64_t size = std::string(path) == "data/A.png" ? 10 : 5000;
        char buffer[16];
        EXPECT_EQ(FileSeek(file, 100000, kSeekStart), 0);
        EXPECT_EQ(FileTell(file), size);
        EXPECT_EQ(FileRead(buffer, 1, 4, file), 0u);
        EXPECT_NE(FileAtEnd(file), 0);
        EXPECT_EQ(FileSeek(file, -100000, kSeekCurrent), 0);
        EXPECT_EQ(FileTell(file), 0);
        EXPECT_EQ(FileAtEnd(file), 0);
        EXPECT_EQ(FileSeek(file, -4, kSeekEnd), 0);
        EXPECT_EQ(FileRead(buffer, 1, 16, file), 4u);
        EXPECT_EQ(FileSeek(file, 2, kSeekStart), 0);
        EXPECT_EQ(FileRead(buffer, 1, 3, file), 3u);
        EXPECT_EQ(std::string(buffer, 3), size == 10 ? "234" : Compressible(5).substr(2, 3));
        EXPECT_EQ(FileClose(file), 0);
    }
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, AsynchronousReadsInsideAnArchive)
{
    std::string big = PatternBytes(300000);
    PackNode root = SampleTree();
    root.children.push_back(FileNode("big.bin", big));
    WriteDataArchive(root);
    EXPECT_EQ(ReadPath("data/big.bin", 1), big);
    EXPECT_EQ(ReadPath("data/img/B.PNG", 1), Compressible(3000));
    // Two files of one archive reading in turn share its file.
    FileValue a = FileOpen("data/big.bin", 0, 0, 1);
    FileValue b = FileOpen("data/DATA.bin", 0, 0, 1);
    std::string first(1000, '\0');
    std::string second(1000, '\0');
    EXPECT_EQ(FileRead(first.data(), 1, 1000, a), 1000u);
    EXPECT_EQ(FileRead(second.data(), 1, 1000, b), 1000u);
    EXPECT_EQ(FileTell(a), 1000);
    while (FileIdle(a) == 0 || FileIdle(b) == 0) std::this_thread::yield();
    EXPECT_EQ(first, big.substr(0, 1000));
    EXPECT_EQ(second, Compressible(1000));
    EXPECT_EQ(FileClose(a), 0);
    EXPECT_EQ(FileClose(b), 0);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, IdleArchiveStaysOpenAndIsFoundAgainByTheFastPath)
{
    WriteDataArchive(SampleTree());
    EXPECT_EQ(ReadPath("data/A.png"), "0123456789");
    ASSERT_EQ(ArchiveLayer.archiveCount, 1);
    EXPECT_EQ(ArchiveLayer.archives[0]->useCount, 0);
    EXPECT_GT(ArchiveLayer.lastPrefixLength, 0);
    // The archive file is gone from the disk: only the open archive can serve the next file.
    std::filesystem::rename("data.zaz", "moved.zaz");
    FileValue file = FileOpen("data/img/b.png", 0, 0, 0);
    ASSERT_NE(file, 0u);
    EXPECT_EQ(ArchiveLayer.archiveCount, 1);
    EXPECT_EQ(ArchiveLayer.archives[0]->useCount, 1);
    // In use, it survives the release of idle archives.
    ReleaseIdleArchives();
    EXPECT_EQ(ArchiveLayer.archiveCount, 1);
    EXPECT_EQ(ReadAll(file), Compressible(3000));
    EXPECT_EQ(FileClose(file), 0);
    ReleaseIdleArchives();
    EXPECT_EQ(ArchiveLayer.archiveCount, 0);
    EXPECT_EQ(FileOpen("data/A.png", 0, 0, 0), 0u);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, The513thOpenFileIsRefused)
{
    WriteDataArchive(SampleTree());
    std::vector<FileValue> files;
    for (int i = 0; i < kOpenFileCount; ++i) {
        files.push_back(FileOpen(i % 2 ? "data/A.png" : "data/DATA.bin", 0, 0, 0));
        ASSERT_NE(files.back(), 0u) << i;
    }
    EXPECT_EQ(std::set<FileValue>(files.begin(), files.end()).size(), files.size());
    EXPECT_EQ(FileOpen("data/A.png", 0, 0, 0), 0u);
    EXPECT_EQ(LogLines().substr(LogLines().find(':') + 1), "同時に開けるファイルの数が限界を超えました\n");
    EXPECT_EQ(ArchiveLayer.archives[0]->useCount, kOpenFileCount);
    for (FileValue file : files) EXPECT_EQ(FileClose(file), 0);
    EXPECT_EQ(ArchiveLayer.fileCount, 0);
    EXPECT_EQ(ArchiveLayer.archives[0]->useCount, 0);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, BadFileValuesAreRefused)
{
    WriteDataArchive(SampleTree());
    FileValue open = FileOpen("data/A.png", 0, 0, 0);
    ASSERT_NE(open, 0u);
    const FileValue bad[] = {0,
                             kArchiveFileTag | 1,
                             kArchiveFileTag | 512,
                             kArchiveFileTag | 0x0FFFFFFF,
                             open & 0x0FFFFFFF,
                             open | (FileValue(1) << 40)};
    char buffer[4];
    for (FileValue value : bad) {
        SCOPED_TRACE(value);
        EXPECT_EQ(FileTell(value), -1);
        EXPECT_EQ(FileSeek(value, 0, kSeekStart), -1);
        EXPECT_EQ(FileAtEnd(value), -1);
        EXPECT_EQ(FileIdle(value), -1);
        EXPECT_EQ(FileRead(buffer, 1, 4, value), 0u);
        EXPECT_EQ(FileClose(value), -1);
    }
    EXPECT_EQ(FileClose(open), 0);
    EXPECT_EQ(FileClose(open), -1);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, SearchesInTheRootAndInFolders)
{
    WriteDataArchive(SampleTree());
    auto names = [](const char* pattern) {
        std::vector<std::string> found;
        FileInfo info{};
        SearchValue search = FileFindFirst(pattern, &info);
        if (search == kNoSearch) return found;
        do found.push_back(std::string(info.name) + (info.isDirectory ? "/" : ""));
        while (FileFindNext(search, &info) == 0);
        EXPECT_EQ(FileFindClose(search), 0);
        return found;
    };
    using List = std::vector<std::string>;
    EXPECT_EQ(names("data/*"), (List{"./", "A.png", "DATA.bin", "four/", "img/", "\x95\x5C/"}));
    EXPECT_EQ(names("data/img/*"), (List{"./", "../", "B.PNG", "sub/"}));
    EXPECT_EQ(names("data/img/sub/*.txt"), (List{"deep.txt"}));
    EXPECT_EQ(names("data/*.PNG"), (List{"A.png"}));
    EXPECT_EQ(names("data/\x95\x5C/*.*"), (List{"./", "../", "x.bin"}));
    EXPECT_EQ(names("data/*.gif"), List{});
    EXPECT_EQ(names("data/missing/*"), List{});
    FileInfo info{};
    SearchValue search = FileFindFirst("data/DATA.*", &info);
    ASSERT_NE(search, kNoSearch);
    EXPECT_EQ(info.sizeLow, 5000u);
    EXPECT_EQ(info.lastWriteTime.year, 2022);
    EXPECT_EQ(ArchiveLayer.archives[0]->useCount, 1);
    EXPECT_EQ(FileFindClose(search), 0);
    EXPECT_EQ(ArchiveLayer.archives[0]->useCount, 0);
    EXPECT_EQ(ArchiveLayer.archives[0]->archive.currentDir, 0u);
    // Outside archives the disk is searched.
    WriteFile("disk/one.txt", "1");
    EXPECT_EQ(names("disk/*.txt"), (List{"one.txt"}));
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, ClosedStaleAndForgedSearchValuesAreRefused)
{
    WriteDataArchive(SampleTree());
    WriteFile("disk/one.txt", "1");
    struct Case {
        const char* what;
        SearchValue (*first)(const char*, FileInfo*);
        int (*next)(SearchValue, FileInfo*);
        int (*close)(SearchValue);
        const char* pattern;
    };
    const Case cases[] = {
        {"in an archive", FileFindFirst, FileFindNext, FileFindClose, "data/*"},
        {"on disk", FileFindFirst, FileFindNext, FileFindClose, "disk/*"},
        {"plain", PlainFileFindFirst, PlainFileFindNext, PlainFileFindClose, "disk/*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileInfo info{};
        SearchValue closed = c.first(c.pattern, &info);
        ASSERT_NE(closed, kNoSearch);
        EXPECT_EQ(c.close(closed), 0);
        SearchValue open = c.first(c.pattern, &info);
        ASSERT_NE(open, kNoSearch);
        // A new search in the freed slot leaves the closed value stale.
        const SearchValue forged[] = {closed,
                                      0,
                                      1,
                                      kNoSearch,
                                      open + (1 << 16),
                                      open ^ (3 << 27),
                                      SearchValue(reinterpret_cast<uintptr_t>(&info)),
                                      INT32_MAX,
                                      INT64_MIN};
        for (SearchValue value : forged) {
            SCOPED_TRACE(value);
            EXPECT_EQ(c.next(value, &info), -1);
            EXPECT_EQ(c.close(value), -1);
        }
        EXPECT_EQ(c.close(open), 0);
        EXPECT_EQ(c.close(open), -1);
        EXPECT_EQ(c.next(open, &info), -1);
    }
    // The two tables do not take each other's values.
    SearchValue plain = PlainFileFindFirst("disk/*", nullptr);
    EXPECT_EQ(FileFindNext(plain, nullptr), -1);
    EXPECT_EQ(FileFindClose(plain), -1);
    EXPECT_EQ(PlainFileFindClose(plain), 0);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, CurrentDirThroughTheTable)
{
    std::filesystem::create_directories("inner");
    char before[kFilePathSize];
    ASSERT_EQ(GetCurrentDir(before), 0);
    EXPECT_EQ(SetCurrentDir("inner"), 0);
    char now[kFilePathSize];
    ASSERT_EQ(GetCurrentDir(now), 0);
    EXPECT_EQ(std::string(now), std::string(before) + "/inner");
    EXPECT_EQ(SetCurrentDir("no such folder"), -1);
}

// A loader that reads every file it finds through the stream table: what it sees must not
// change when its folder is replaced by an archive of the same files.
TEST_F(ArchiveFilesTest, LoaderDoesNotNoticeTheArchive)
{
    PackNode tree = SampleTree();
    std::string error;
    ASSERT_TRUE(WriteFolderTree(tree, "data", &error)) << error;
    auto load = [] {
        std::map<std::string, std::string> seen;
        std::vector<std::string> folders = {"data"};
        while (!folders.empty()) {
            std::string here = folders.back();
            folders.pop_back();
            FileInfo info{};
            SearchValue search = FileFindFirst((here + "/*").c_str(), &info);
            if (search == kNoSearch) continue;
            do {
                std::string name = info.name;
                if (name == "." || name == "..") continue;
                std::string path = here + "/" + name;
                if (info.isDirectory) {
                    folders.push_back(path);
                    continue;
                }
                const StreamOps* ops = FileStreamOps();
                StreamValue stream = FileOpen(path.c_str(), 1, 0, 0);
                std::string bytes(info.sizeLow, '\0');
                size_t got = ops->read(bytes.data(), 1, bytes.size(), stream);
                bytes.resize(got);
                ops->close(stream);
                seen[path] = bytes;
            } while (FileFindNext(search, &info) == 0);
            FileFindClose(search);
        }
        return seen;
    };
    std::map<std::string, std::string> fromFolder = load();
    EXPECT_EQ(fromFolder.size(), 6u);
    std::filesystem::remove_all("data");
    WriteDataArchive(tree);
    EXPECT_EQ(load(), fromFolder);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, DamagedCompressedEntryFailsToOpenAlikeInEveryMode)
{
    std::vector<uint8_t> good = MakeArchive(SampleTree());
    ToggleScramble(good);
    const uint32_t dataOffset = GetU32(good, 8);
    const uint32_t fileTable = GetU32(good, 12) + GetU32(good, 16);
    const uint32_t entry = fileTable + 44u;  // DATA.bin, compressed
    const uint32_t block = dataOffset + GetU32(good, entry + 32);
    ASSERT_NE(GetU32(good, entry + 40), 0xFFFFFFFFu);
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"entry size beyond what the codes can give", [&](auto& b) { SetU32(b, entry + 36, 0x7FFFFFF0u); }},
        {"entry size one more", [&](auto& b) { SetU32(b, entry + 36, 5001); }},
        {"block's expanded size", [&](auto& b) { SetU32(b, block, 4999); }},
        {"block's stored size beyond the entry", [&](auto& b) { SetU32(b, block + 4, GetU32(b, entry + 40) + 1); }},
        // Damage that only expanding finds.
        {"bad codes",
         [&](auto& b) {
             for (uint32_t i = kLzHeaderSize; i < GetU32(b, entry + 40); ++i) b[block + i] = 0xFF;
         }},
        {"codes cut short", [&](auto& b) { SetU32(b, block + 4, kLzHeaderSize + 2); }},
    };
    struct Mode {
        const char* name;
        int32_t useCache, async;
    };
    const Mode modes[] = {{"direct", 0, 0}, {"cached", 1, 0}, {"asynchronous", 0, 1}};
    const std::string line = "ZAZファイルの中の圧縮されたファイルが壊れています\n";
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        ToggleScramble(bytes);
        WriteFile("data.zaz", std::string(bytes.begin(), bytes.end()));
        for (const Mode& m : modes) {
            SCOPED_TRACE(std::string(c.name) + ", " + m.name);
            ClearArchiveTables();
            logged.clear();
            EXPECT_EQ(FileOpen("data/DATA.bin", m.useCache, 0, m.async), 0u);
            EXPECT_NE(LogLines().find(line), std::string::npos) << LogLines();
            ExpectAllReturned();
        }
    }
}

// A large compressed file opened asynchronously expands once its block has arrived; damage
// found then fails its reads, FileTell, FileSeek and FileSize, while a direct open fails.
TEST_F(ArchiveFilesTest, DamageFoundLateInALargeAsynchronousFileFailsItsReads)
{
    std::string big;
    uint32_t seed = 7;
    for (int i = 0; i < 400000; ++i) {
        seed = seed * 1103515245u + 12345u;
        big.append(3, char(seed >> 24));  // runs the encoder takes, but not down to 256 KiB
    }
    std::vector<uint8_t> bytes =
        MakeArchive(FolderNode("", {FileNode("A.png", "0123456789"), FileNode("BIG.bin", big)}));
    ToggleScramble(bytes);
    const uint32_t entry = GetU32(bytes, 12) + GetU32(bytes, 16) + 44u;
    const uint32_t block = GetU32(bytes, 8) + GetU32(bytes, entry + 32);
    const uint32_t stored = GetU32(bytes, entry + 40);
    ASSERT_NE(stored, 0xFFFFFFFFu);
    ASSERT_GT(stored, 256u << 10);
    for (uint32_t i = stored / 2; i < stored; ++i) bytes[block + i] = 0xFF;
    ToggleScramble(bytes);
    WriteFile("data.zaz", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(FileOpen("data/BIG.bin", 0, 0, 0), 0u);
    FileValue file = FileOpen("data/BIG.bin", 0, 0, 1);
    ASSERT_NE(file, 0u);
    char buffer[64];
    EXPECT_EQ(FileRead(buffer, 1, sizeof buffer, file), 0u);
    EXPECT_NE(FileAtEnd(file), 0);
    EXPECT_EQ(FileTell(file), -1);
    EXPECT_EQ(FileSeek(file, 0, kSeekStart), -1);
    EXPECT_EQ(FileSize(file), -1);
    EXPECT_NE(LogLines().find("ZAZファイルの中の圧縮されたファイルが壊れています\n"), std::string::npos);
    EXPECT_EQ(FileClose(file), 0);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, WholeFilesInsideAndOutsideAnArchive)
{
    WriteDataArchive(SampleTree());
    WriteFile("plain/file.bin", PatternBytes(3000));
    struct Case {
        const char* path;
        std::string bytes;
    };
    const Case cases[] = {
        {"data/A.png", "0123456789"},           // stored
        {"data/DATA.bin", Compressible(5000)},  // compressed
        {"plain/file.bin", PatternBytes(3000)},
        {"plain/empty.bin", ""},
    };
    WriteFile("plain/empty.bin", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const int64_t size = int64_t(c.bytes.size());
        EXPECT_EQ(FileReadWhole(c.path, nullptr, 0), size);
        std::string block(c.bytes.size() + 4, '#');
        if (size > 0) {
            EXPECT_EQ(FileReadWhole(c.path, block.data(), size - 1), -1);  // does not fit
        }
        EXPECT_EQ(FileReadWhole(c.path, block.data(), int64_t(block.size())), size);
        EXPECT_EQ(block.substr(0, c.bytes.size()), c.bytes);
        EXPECT_EQ(block.substr(c.bytes.size()), "####");

        int64_t loadedSize = -1;
        auto* loaded = static_cast<char*>(FileLoadWhole(c.path, &loadedSize));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loadedSize, size);
        EXPECT_EQ(std::string(loaded, size_t(loadedSize)), c.bytes);
        EXPECT_EQ(loaded[loadedSize], '\0');  // readable as a string
        EXPECT_EQ(FileReleaseBlock(loaded), 0);

        // The size leaves the position where it was.
        FileValue file = FileOpen(c.path, 0, 0, 0);
        ASSERT_NE(file, 0u);
        char first[2];
        FileRead(first, 1, 2, file);
        EXPECT_EQ(FileSize(file), size);
        EXPECT_EQ(FileTell(file), std::min<int64_t>(2, size));
        EXPECT_EQ(FileClose(file), 0);
    }
    int64_t size = 7;
    EXPECT_EQ(FileReadWhole("plain/missing.bin", nullptr, 0), -1);
    EXPECT_EQ(FileLoadWhole("data/missing.bin", &size), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(FileSize(0), -1);
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, ArchiveKeyAndExtensionSettings)
{
    std::vector<uint8_t> bytes = MakeArchive(SampleTree(), 3, false, "secret");
    WriteFile("pack.dat", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(FileOpen("pack/A.png", 0, 0, 0), 0u);  // not an archive to the defaults

    ASSERT_EQ(SetArchiveExtension("DAT"), 0);
    EXPECT_EQ(FileOpen("pack/A.png", 0, 0, 0), 0u);  // the default key does not open it
    ASSERT_EQ(SetArchiveKey("secret"), 0);
    EXPECT_EQ(ReadPath("pack/A.png"), "0123456789");
    EXPECT_EQ(ReadPath("pack/img/sub/deep.txt"), "deep");

    // A key change reopens the idle archive with the new key.
    ASSERT_EQ(SetArchiveKey("other"), 0);
    EXPECT_EQ(FileOpen("pack/A.png", 0, 0, 0), 0u);
    ASSERT_EQ(SetArchiveKey("secret"), 0);
    ASSERT_EQ(SetArchiveExtension(".dat"), 0);
    EXPECT_EQ(ReadPath("pack/A.png"), "0123456789");

    for (const char* bad : {"", ".", "a/b", "a.b", "much-too-long-ext", static_cast<const char*>(nullptr)})
        EXPECT_EQ(SetArchiveExtension(bad), -1) << (bad ? bad : "null");
    EXPECT_EQ(SetArchiveKey(std::string(300, 'k').c_str()), -1);
    EXPECT_EQ(ReadPath("pack/A.png"), "0123456789");  // refusals change nothing
    ExpectAllReturned();
}

TEST_F(ArchiveFilesTest, Utf8PathsNamesAndLogTexts)
{
    auto utf8 = [](const char8_t* text) { return reinterpret_cast<const char*>(text); };
    WriteDataArchive(FolderNode("", {FileNode("地図.txt", "map")}));
    WriteFile(std::filesystem::path(u8"plain/表.txt"), "plain");  // names on disk are UTF-8
    SetUseUtf8Texts(1);
    struct Restore {
        ~Restore() { SetUseUtf8Texts(0); }
    } restore;
    EXPECT_EQ(ReadPath(utf8(u8"data/地図.txt")), "map");
    EXPECT_EQ(ReadPath(utf8(u8"plain/表.txt")), "plain");
    EXPECT_EQ(FileReadWhole(utf8(u8"data/地図.txt"), nullptr, 0), 3);
    for (const char* pattern : {"data/*.txt", "plain/*.txt"}) {
        FileInfo info;
        SearchValue search = FileFindFirst(pattern, &info);
        ASSERT_NE(search, kNoSearch) << pattern;
        std::set<std::string> names = {info.name};
        while (FileFindNext(search, &info) == 0) names.insert(info.name);
        FileFindClose(search);
        EXPECT_TRUE(names.count(utf8(u8"地図.txt")) + names.count(utf8(u8"表.txt")) == 1) << pattern;
    }
    // The log stays cp932: the game's UTF-8 text is converted, the layer's own is not.
    logged.clear();
    (LogWrite)(utf8(u8"ゲーム\n"));
    LogWrite("層\n");
    EXPECT_NE(LogLines().find("ゲーム\n"), std::string::npos);
    EXPECT_NE(LogLines().find("層\n"), std::string::npos);
    ExpectAllReturned();
}
