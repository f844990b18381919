// The packer's writer: archives streamed from a folder on disk into a file hold exactly the
// bytes the in-memory builder makes, and a pack that fails leaves no half archive behind.
#include "archive_fixture.h"
#include "archive_output.h"
#include "file_fixture.h"
#include "folder_tree.h"

#include <filesystem>

using namespace ror;

namespace {

namespace fs = std::filesystem;

using ArchiveWriterTest = FileFolderTest;

uint64_t Fnv1a(const std::vector<uint8_t>& bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

// Several folders (one empty), empty files, files compressed and stored, one stored file
// longer than the writer's scrambling buffer.
PackNode StreamTree()
{
    PackNode root = FolderNode("", {});
    root.children = {
        FileNode("empty.txt", ""),
        FileNode("notes.txt", Compressible(20000)),
        FileNode("noise.bin", PatternBytes(150000)),
        FileNode("tiny", "sixteen bytes!!!"),
        FolderNode("maps", {FileNode("a.map", Compressible(70000)), FolderNode("Empty", {}),
                            FolderNode("deep", {FileNode("zero", ""), FileNode("b.MAP", PatternBytes(40, 3))})}),
        FolderNode("snd", {FileNode("x.wav", PatternBytes(1000, 7))}),
    };
    return root;
}

struct OptionsCase {
    const char* what;
    int version;
    bool compress;
    const char* keyText;
    bool fallbackKey;
    uint64_t hash;  // of the archive the builder has always made for StreamTree()
};

constexpr OptionsCase kOptionCases[] = {
    {"version 3", 3, true, nullptr, false, 0x25855991161706dcull},
    {"version 3, a key", 3, true, "a key text", false, 0x69bcc4cd138711a8ull},
    {"version 2, fallback key", 2, true, nullptr, true, 0x71211964835bc0a9ull},
    {"version 3, stored", 3, false, nullptr, false, 0x41b0cff00dd63349ull},
    {"version 1", 1, true, "k", false, 0x2758563226cceb92ull},
};

PackOptions Options(const OptionsCase& row)
{
    PackOptions options;
    options.version = row.version;
    options.compress = row.compress;
    options.keyText = row.keyText;
    options.fallbackKey = row.fallbackKey;
    return options;
}

TEST(ArchiveLayoutTest, BuilderKeepsTheLayoutOfStoredArchives)
{
    for (const OptionsCase& row : kOptionCases) {
        SCOPED_TRACE(row.what);
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(BuildArchive(StreamTree(), Options(row), &archive, &error)) << error;
        EXPECT_EQ(Fnv1a(archive), row.hash);
    }
}

void WriteTree(const PackNode& node, const fs::path& at)
{
    fs::create_directories(at);
    for (const PackNode& child : node.children) {
        if (child.isFolder)
            WriteTree(child, at / child.name);
        else
            std::ofstream(at / child.name, std::ios::binary)
                .write(reinterpret_cast<const char*>(child.data.data()), std::streamsize(child.data.size()));
    }
}

// The tree read from a folder with every file's bytes held in memory instead.
PackNode HeldInMemory(PackNode node)
{
    std::vector<uint8_t> storage;
    std::span<const uint8_t> bytes;
    std::string error;
    if (!node.isFolder) {
        EXPECT_TRUE(LoadFileBytes(node, &storage, &bytes, &error)) << error;
        node.data.assign(bytes.begin(), bytes.end());
        node.sourcePath.clear();
    }
    for (PackNode& child : node.children) child = HeldInMemory(std::move(child));
    return node;
}

TEST_F(ArchiveWriterTest, FolderPackedIntoAFileMatchesTheArchiveBuiltInMemory)
{
    WriteTree(StreamTree(), "tree");
    PackNode onDisk;
    std::string error;
    ASSERT_TRUE(ReadFolderTree("tree", &onDisk, &error)) << error;
    const PackNode inMemory = HeldInMemory(onDisk);
    for (const OptionsCase& row : kOptionCases) {
        SCOPED_TRACE(row.what);
        std::vector<uint8_t> expected;
        PackSummary built;
        ASSERT_TRUE(BuildArchive(inMemory, Options(row), &expected, &error, &built)) << error;
        PackSummary packed;
        ASSERT_TRUE(PackArchiveFile(onDisk, Options(row), "out.zaz", &error, &packed)) << error;
        EXPECT_TRUE(ReadFile("out.zaz") == std::string(expected.begin(), expected.end()));
        EXPECT_EQ(packed.archiveBytes, expected.size());
        EXPECT_EQ(packed.compressedFiles, built.compressedFiles);
        if (row.version >= 2 && row.compress) {  // both kinds of entries
            EXPECT_TRUE(built.compressedFiles > 0 && built.compressedFiles < built.files);
        }
        EXPECT_EQ(CompareTrees(onDisk, inMemory), "");
        EXPECT_FALSE(fs::exists("out.zaz.partial"));
    }
}

TEST_F(ArchiveWriterTest, FailedPackLeavesTheArchiveAsItWasAndNoPartialFile)
{
    struct Case {
        const char* what;
        const char* target;
        std::string (*makeFolder)();  // its path
        const char* error;
    } cases[] = {
        {"a name the reader cannot look up, after a file is written", "old.zaz",
         [] {
             WriteFile("bad/a.txt", Compressible(200000));
             WriteFile("bad/z-b.txt", "after a");  // made "z\\b.txt" below
             return std::string("bad");
         },
         "unusable name"},
        {"a file of 2 GiB", "old.zaz",
         [] {
             WriteFile("huge/a.txt", "before");
             WriteFile("huge/big.bin", "");
             fs::resize_file("huge/big.bin", uint64_t(1) << 31);  // sparse: nothing is written
             return std::string("huge");
         },
         "2 GiB or larger"},
        {"a target in a missing folder", "missing/new.zaz",
         [] {
             WriteFile("small/a.txt", "a");
             return std::string("small");
         },
         "cannot be written"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        WriteFile("old.zaz", "the archive from before");
        const std::string source = row.makeFolder();
        PackNode root;
        std::string error;
        ASSERT_TRUE(ReadFolderTree(source, &root, &error)) << error;
        // A "\" inside a name on disk is left out by the folder's reader, so the tree is
        // given one here.
        for (PackNode& child : root.children)
            if (child.name == "z-b.txt") child.name = "z\\b.txt";
        EXPECT_FALSE(PackArchiveFile(root, PackOptions{}, row.target, &error));
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
        EXPECT_EQ(ReadFile("old.zaz"), "the archive from before");
        EXPECT_FALSE(fs::exists(std::string(row.target) + ".partial"));
        EXPECT_FALSE(fs::exists("missing"));
        fs::remove_all(source);
    }
}

}  // namespace
