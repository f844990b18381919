// Writing an archive's tree into a folder: names from someone else's archive never write
// outside the folder given.
#include "archive_fixture.h"
#include "file_fixture.h"
#include "folder_tree.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace ror;

namespace {

namespace fs = std::filesystem;

class ExtractTest : public FileFolderTest {};

TEST_F(ExtractTest, NamesThatLeaveTheFolderAreRefusedAndTheRestIsWritten)
{
    const std::string absolute = (folder / "abs").string();
    const std::string cases[] = {"",      ".",     "..",     "../../x", absolute, "a\\b", std::string("n\0ul", 4),
                                 "sub/x", "\x80x", "cut\x95"};  // the last two have no UTF-8 form
    for (const std::string& name : cases) {
        SCOPED_TRACE(name);
        fs::create_directories("deep/down");
        PackNode root = FolderNode("", {FileNode("good.txt", "good"), FileNode(name, "evil")});
        std::string error;
        EXPECT_FALSE(WriteFolderTree(root, "deep/down/out", &error));
        EXPECT_NE(error.find("refused"), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line for the one refusal: " << error;
        std::ifstream good("deep/down/out/good.txt");
        std::string text;
        EXPECT_TRUE(std::getline(good, text) && text == "good");
        EXPECT_FALSE(fs::exists("deep/x"));
        EXPECT_FALSE(fs::exists(absolute));
        EXPECT_FALSE(fs::exists("deep/down/out/a\\b"));
        fs::remove_all("deep");
    }
}

TEST_F(ExtractTest, TwoByteCharacterEndingIn5CIsAnOrdinaryName)
{
    PackNode root = FolderNode("", {FolderNode("\x95\x5C", {FileNode("x.bin", "xx")})});
    std::string error;
    EXPECT_TRUE(WriteFolderTree(root, "out", &error)) << error;
    EXPECT_TRUE(fs::exists(fs::path("out") / fs::path(u8"表") / "x.bin"));
}

TEST_F(ExtractTest, SymbolicLinksInTheTargetAreNotWrittenThrough)
{
    fs::create_directories("outside");
    fs::create_directories("out");
    fs::create_symlink(fs::absolute("outside"), "out/linked");
    fs::create_symlink(fs::absolute("outside/file.txt"), "out/file.txt");
    PackNode root = FolderNode("", {FolderNode("linked", {FileNode("x", "evil")}), FileNode("file.txt", "evil"),
                                    FileNode("kept.txt", "kept")});
    std::string error;
    EXPECT_FALSE(WriteFolderTree(root, "out", &error));
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << "a line for each refusal: " << error;
    EXPECT_FALSE(fs::exists("outside/x"));
    EXPECT_FALSE(fs::exists("outside/file.txt"));
    EXPECT_TRUE(fs::exists("out/kept.txt"));
}

TEST_F(ExtractTest, AHardLinkInTheTargetIsReplacedNotWrittenThrough)
{
    fs::create_directories("out");
    std::ofstream("outside.txt") << "mine";
    fs::create_hard_link("outside.txt", "out/file.txt");
    // A part file left by an earlier failed run is no place to write through either.
    fs::create_symlink(fs::absolute("outside.txt"), "out/other.txt.zazpack-part");
    PackNode root = FolderNode("", {FileNode("file.txt", "archive"), FileNode("other.txt", "evil")});
    std::string error;
    EXPECT_FALSE(WriteFolderTree(root, "out", &error));
    EXPECT_NE(error.find("other.txt"), std::string::npos) << error;
    auto text = [](const char* path) {
        std::string line;
        std::ifstream in(path);
        std::getline(in, line);
        return line;
    };
    EXPECT_EQ(text("outside.txt"), "mine");
    EXPECT_EQ(text("out/file.txt"), "archive");
    EXPECT_EQ(fs::hard_link_count("outside.txt"), 1u);
    EXPECT_FALSE(fs::exists("out/other.txt"));
}

// A folder of 100,000 files compares in time in proportion to its size (each name looked up
// once); by pairs it took minutes.
TEST_F(ExtractTest, ComparingLargeFoldersIsLinear)
{
    std::vector<PackNode> files;
    for (int i = 0; i < 100000; ++i) files.push_back(FileNode("f" + std::to_string(i), ""));
    PackNode a = FolderNode("", files);
    std::reverse(files.begin(), files.end());
    files.back().data = {'x'};
    PackNode b = FolderNode("", files);
    EXPECT_EQ(CompareTrees(a, a), "");
    EXPECT_EQ(CompareTrees(a, b), "/f0");
}

TEST_F(ExtractTest, TheToolReportsRefusalsAndEndsWithStatusOne)
{
    PackNode root = FolderNode("", {FileNode("..", "evil"), FileNode("fine", "fine")});
    const std::vector<uint8_t> bytes = MakeArchive(root);
    std::ofstream("evil.zaz", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const int status = std::system("'" ZAZPACK_PROGRAM "' extract evil.zaz out/in 2> refusals.txt");
    EXPECT_EQ((status >> 8) & 0xFF, 1);
    std::ifstream refusals("refusals.txt");
    std::string line;
    EXPECT_TRUE(std::getline(refusals, line) && line.find("refused") != std::string::npos) << line;
    EXPECT_TRUE(fs::exists("out/in/fine"));
}

}  // namespace
