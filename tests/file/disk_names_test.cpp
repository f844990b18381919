// Names on disk are UTF-8 while the layer's texts are cp932 (or UTF-8 for a game that asks):
// a game reaches a file by its name in either mode, in a folder or packed into an archive.
#include "archive_fixture.h"
#include "core/text_encoding.h"
#include "file/archive_files.h"
#include "file/file_startup.h"
#include "file/plain_file.h"
#include "platform/files/files.h"
#include "file_fixture.h"
#include "folder_tree.h"

#include <cstdlib>
#include <map>
#include <set>

using namespace ror;

namespace {

namespace fs = std::filesystem;

const char* Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// One way a game writes its texts: the cp932 literals of the layer, or UTF-8 ones.
struct TextMode {
    const char* label;
    int utf8;
    std::string folder;    // データ
    std::string town;      // 町
    std::string mapName;   // 地図.txt
    std::string shopName;  // 店.txt

    std::string Map() const { return folder + "/" + mapName; }
    std::string Shop() const { return folder + "\\" + town + "\\" + shopName; }
};

const TextMode kTextModes[] = {
    {"cp932", 0, "データ", "町", "地図.txt", "店.txt"},
    {"UTF-8", 1, Utf8(u8"データ"), Utf8(u8"町"), Utf8(u8"地図.txt"), Utf8(u8"店.txt")},
};

class DiskNamesTest : public FileFolderTest {
protected:
    void SetUp() override
    {
        FileFolderTest::SetUp();
        ClearArchiveTables();
        InstallFileAccess(nullptr);
    }

    void TearDown() override
    {
        SetUseUtf8Texts(0);
        ReleaseIdleArchives();
        FileFolderTest::TearDown();
    }

    static std::string ReadPath(const char* path, int32_t useCache = 0)
    {
        FileValue file = FileOpen(path, useCache, 0, 0);
        if (file == 0) return "<not opened>";
        std::string bytes;
        char buffer[256];
        size_t got;
        while ((got = FileRead(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
        FileClose(file);
        return bytes;
    }

    // The names a search finds ("/" after folders), without "." and "..".
    static std::set<std::string> Names(const std::string& pattern)
    {
        std::set<std::string> names;
        FileInfo info{};
        SearchValue search = FileFindFirst(pattern.c_str(), &info);
        if (search == kNoSearch) return names;
        do {
            std::string name = info.name;
            if (name != "." && name != "..") names.insert(name + (info.isDirectory ? "/" : ""));
        } while (FileFindNext(search, &info) == 0);
        FileFindClose(search);
        return names;
    }

    // Every file under `top` as a game walks it: found by the search, opened by the path the
    // search gave. Deeper than `maxDepth` counts as a walk that never ends.
    static std::map<std::string, std::string> Walk(const std::string& top, int maxDepth = 6)
    {
        std::map<std::string, std::string> files;
        std::vector<std::pair<std::string, int>> folders = {{top, 0}};
        while (!folders.empty()) {
            auto [here, depth] = folders.back();
            folders.pop_back();
            if (depth > maxDepth) {
                ADD_FAILURE() << "the walk goes on below " << here;
                break;
            }
            for (const std::string& name : Names(here + "/*")) {
                if (name.back() == '/')
                    folders.emplace_back(here + "/" + name.substr(0, name.size() - 1), depth + 1);
                else
                    files[here + "/" + name] = ReadPath((here + "/" + name).c_str(), 1);
            }
        }
        return files;
    }

    // The tree "データ" on disk, with UTF-8 names as a desktop makes them.
    static void WriteTree()
    {
        WriteFile(fs::path(u8"データ/地図.txt"), "map");
        WriteFile(fs::path(u8"データ/町/店.txt"), "shop");
    }

    // Packs "データ" as the packer does into "データ.zaz" beside it, and removes the folder.
    static void PackTreeAway()
    {
        PackNode root;
        std::string error;
        std::vector<std::string> skipped;
        ASSERT_TRUE(ReadFolderTree(fs::path(u8"データ").string(), &root, &error, &skipped)) << error;
        EXPECT_TRUE(skipped.empty());
        std::vector<uint8_t> bytes = MakeArchive(root);
        fs::remove_all(fs::path(u8"データ"));
        WriteFile(fs::path(u8"データ.zaz"), std::string(bytes.begin(), bytes.end()));
    }
};

TEST_F(DiskNamesTest, UnicodeNamesAnswerInBothTextModesFromTheFolderAndFromItsArchive)
{
    WriteTree();
    for (const char* source : {"folder", "archive"}) {
        if (std::string(source) == "archive") PackTreeAway();
        for (const TextMode& mode : kTextModes) {
            SCOPED_TRACE(std::string(source) + ", " + mode.label);
            SetUseUtf8Texts(mode.utf8);
            EXPECT_EQ(ReadPath(mode.Map().c_str()), "map");
            EXPECT_EQ(ReadPath(mode.Shop().c_str(), 1), "shop");  // opened by the file's worker thread
            EXPECT_EQ(FileReadWhole(mode.Map().c_str(), nullptr, 0), 3);
            EXPECT_EQ(Names(mode.folder + "/*"), (std::set<std::string>{mode.mapName, mode.town + "/"}));
            EXPECT_EQ(Walk(mode.folder),
                      (std::map<std::string, std::string>{
                          {mode.Map(), "map"}, {mode.folder + "/" + mode.town + "/" + mode.shopName, "shop"}}));
            SetUseUtf8Texts(0);
        }
    }
    ReleaseIdleArchives();
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(DiskNamesTest, CurrentFolderWithAUnicodeNameInBothTextModes)
{
    WriteTree();
    for (const TextMode& mode : kTextModes) {
        SCOPED_TRACE(mode.label);
        SetUseUtf8Texts(mode.utf8);
        char before[kFilePathSize];
        ASSERT_EQ(GetCurrentDir(before), 0);
        ASSERT_EQ(SetCurrentDir(mode.folder.c_str()), 0);
        char now[kFilePathSize];
        ASSERT_EQ(GetCurrentDir(now), 0);
        EXPECT_EQ(std::string(now), std::string(before) + "/" + mode.folder);
        EXPECT_EQ(ReadPath(mode.mapName.c_str()), "map");
        // The folder the layer gave is a path it takes back.
        ASSERT_EQ(SetCurrentDir(before), 0);
        ASSERT_EQ(SetCurrentDir(now), 0);
        EXPECT_EQ(ReadPath(mode.mapName.c_str()), "map");
        ASSERT_EQ(SetCurrentDir(before), 0);
        SetUseUtf8Texts(0);
    }
}

// A temporary file's path is one the layer opens and deletes by; in a folder whose name has
// no cp932 form there is no such path, and no file is left behind.
TEST_F(DiskNamesTest, TempFileInAUnicodeFolderIsNamedByALayerPath)
{
    struct RestoreTmpdir {
        const char* saved = std::getenv("TMPDIR");
        const std::string value = saved != nullptr ? saved : "";
        ~RestoreTmpdir() { saved != nullptr ? setenv("TMPDIR", value.c_str(), 1) : unsetenv("TMPDIR"); }
    } restore;
    struct Case {
        const char8_t* folderName;
        bool made;
    } const cases[] = {{u8"一時", true}, {u8"😀", false}};
    for (const Case& c : cases) {
        const fs::path temp = folder / c.folderName;
        SCOPED_TRACE(temp.string());
        fs::create_directories(temp);
        setenv("TMPDIR", temp.c_str(), 1);
        char name[kFilePathSize] = "untouched";
        SystemFile file = CreateTempFile(name);
        if (!c.made) {
            EXPECT_EQ(file, kNoSystemFile);
            EXPECT_TRUE(fs::is_empty(temp));
            continue;
        }
        ASSERT_NE(file, kNoSystemFile);
        EXPECT_EQ(WriteSystemFile(file, "t", 1), 1);
        CloseSystemFile(file);
        EXPECT_EQ(std::string(name).rfind((folder / "一時").string(), 0), 0u) << name;
        EXPECT_EQ(ReadPath(name), "t");
        EXPECT_EQ(DeleteSystemFile(name), 0);
        EXPECT_TRUE(fs::is_empty(temp));
    }
}

// Names on disk that no cp932 text names exactly: the search and the packer leave them out
// rather than give a name that opens another file or nothing.
TEST_F(DiskNamesTest, NamesWithNoExactCp932FormAreLeftOut)
{
    WriteTree();
    const char* unnamable[] = {
        "\xF0\x9F\x98\x80.txt",  // an emoji
        "\xFF\xFE.txt",          // not UTF-8 at all
        "\xC2\xA5.txt",          // "¥" would come back as "\", a separator
        "\xE3\x80\x9C.txt",      // "〜" would come back as "～", another file
        "a\\b.txt",              // for the layer, the folder "a" and the file "b.txt"
    };
    for (const char* name : unnamable) WriteFile(fs::path(u8"データ") / name, "?");
    EXPECT_EQ(Names("データ/*"), (std::set<std::string>{"地図.txt", "町/"}));

    PackNode root;
    std::string error;
    std::vector<std::string> skipped;
    ASSERT_TRUE(ReadFolderTree(fs::path(u8"データ").string(), &root, &error, &skipped)) << error;
    std::set<std::string> packed;
    for (const PackNode& child : root.children) packed.insert(child.name);
    EXPECT_EQ(packed, (std::set<std::string>{"地図.txt", "町"}));
    EXPECT_EQ(skipped.size(), std::size(unnamable));
    for (const std::string& line : skipped)
        EXPECT_NE(line.find(": a name with no cp932 form, not packed"), std::string::npos) << line;
}

// A game's UTF-8 path with a character cp932 does not have must not be cut down to one that
// names another file or folder.
TEST_F(DiskNamesTest, Utf8PathsWithNoExactCp932FormNameNothing)
{
    WriteFile("ab.txt", "wrong");
    WriteFile("x/map.txt", "wrong");
    SetUseUtf8Texts(1);
    const char* paths[] = {
        Utf8(u8"a😀b.txt"),    // without the emoji: "ab.txt"
        Utf8(u8"x¥map.txt"),  // "¥" as cp932's "": "x/map.txt"
        "a\xFF"
        "b.txt",  // not UTF-8
    };
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_EQ(FileOpen(path, 0, 0, 0), 0u);
        EXPECT_EQ(FileReadWhole(path, nullptr, 0), -1);
        FileInfo info{};
        EXPECT_EQ(FileFindFirst((std::string(path) + "*").c_str(), &info), kNoSearch);
        EXPECT_EQ(SetCurrentDir(path), -1);
    }
    FileInfo info{};
    const char* emojiOnly = Utf8(u8"😀*");  // not "*", which finds everything
    EXPECT_EQ(FileFindFirst(emojiOnly, &info), kNoSearch);
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

// "表" is 0x95 0x5C in cp932: its second byte is no separator, on the way to the disk or back.
// The same two bytes as a raw name on disk are not UTF-8 and are not listed, so a walk can
// never read them as "\" and come back into the folder it is in.
TEST_F(DiskNamesTest, TwoByteCharactersEndingIn5CNeitherSplitNorLoop)
{
    WriteFile(fs::path(u8"top/表/x.txt"), "x");
    fs::create_directories(folder / "top" / "\x95\x5C" / "\x95\x5C");
    WriteFile(folder / "top" / "\x95\x5C" / "y.txt", "y");
    EXPECT_EQ(Walk("top"), (std::map<std::string, std::string>{{"top/表/x.txt", "x"}}));
    EXPECT_EQ(ReadPath("top\\表\\x.txt"), "x");
    EXPECT_EQ(ReadPath("top/\x95\x5C/y.txt"), "<not opened>");
}

}  // namespace
