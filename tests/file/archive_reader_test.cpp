#include "archive_fixture.h"
#include "file/lz_block.h"
#include "file_fixture.h"
#include "folder_tree.h"
#include "lz_encoder.h"

#include <functional>
#include <set>

using namespace ror;

using ArchiveReaderTest = FileFolderTest;

namespace {

// A block of codes after the 9-byte header.
std::vector<uint8_t> LzBlock(uint32_t expanded, uint8_t escape, std::vector<uint8_t> codes)
{
    uint32_t stored = uint32_t(kLzHeaderSize + codes.size());
    std::vector<uint8_t> block;
    for (uint32_t value : {expanded, stored})
        for (int i = 0; i < 4; ++i) block.push_back(uint8_t(value >> (8 * i)));
    block.push_back(escape);
    block.insert(block.end(), codes.begin(), codes.end());
    return block;
}

std::string Decode(const std::vector<uint8_t>& block, size_t capacity)
{
    std::string out(capacity, '\0');
    int64_t got = DecodeLzBlock(block.data(), block.size(), reinterpret_cast<uint8_t*>(out.data()), capacity);
    return got < 0 ? "<refused>" : out.substr(0, size_t(got));
}

std::string ReadEntry(Archive* archive, const char* path)
{
    uint32_t offset = 0;
    uint32_t size = 0;
    if (LocateArchiveEntry(archive, path, &offset, &size) != 0) return "<missing>";
    FileEntry entry = ReadFileEntry(archive, FindArchiveEntry(archive, path));
    uint32_t stored = entry.compressedSize == kStoredUncompressed ? size : entry.compressedSize;
    std::vector<uint8_t> bytes(stored);
    SeekArchiveFile(archive, offset);
    if (ReadArchiveRange(archive, bytes.data(), stored) != stored) return "<short>";
    if (entry.compressedSize == kStoredUncompressed) return std::string(bytes.begin(), bytes.end());
    std::string out(size, '\0');
    if (DecodeLzBlock(bytes.data(), bytes.size(), reinterpret_cast<uint8_t*>(out.data()), size) != size)
        return "<damaged>";
    return out;
}

}  // namespace

TEST(ArchiveKeyTest, FillRepeatsShortTextsAndCutsLongOnes)
{
    auto same = [](const ArchiveKey& a, const ArchiveKey& b) { return std::memcmp(a.bytes, b.bytes, 12) == 0; };
    EXPECT_TRUE(same(DeriveArchiveKey("abcde"), DeriveArchiveKey("abcdeabcdeab")));
    EXPECT_TRUE(same(DeriveArchiveKey("abcdeabcdeabXYZ"), DeriveArchiveKey("abcdeabcdeab")));
    EXPECT_FALSE(same(DeriveArchiveKey("abcde"), DeriveArchiveKey(nullptr)));
    EXPECT_TRUE(same(DeriveArchiveKey(""), DeriveArchiveKey(nullptr)));
    std::vector<uint8_t> bytes = Bytes(std::string(300, 'q') + "tail");
    std::vector<uint8_t> original = bytes;
    ArchiveKey key = DeriveArchiveKey("key");
    ScrambleBytes(bytes.data(), bytes.size(), 0, key);
    EXPECT_NE(bytes, original);
    // Descrambling a range uses its file offset as position.
    std::vector<uint8_t> part(bytes.begin() + 101, bytes.end());
    ScrambleBytes(part.data(), part.size(), 101, key);
    EXPECT_EQ(part, std::vector<uint8_t>(original.begin() + 101, original.end()));
}

TEST(LzBlockTest, CodesExpandAsWritten)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        std::string expected;
    };
    const Case cases[] = {
        {"escape escape is one escape byte", LzBlock(3, 0xF0, {'a', 0xF0, 0xF0, 'b'}),
         "a\xF0"
         "b"},
        {"distance 1, length 6", LzBlock(7, 0xF0, {'x', 0xF0, (6 - 4) << 3, 0}), "xxxxxxx"},
        {"distance 3 repeats the last three", LzBlock(10, 0xF0, {'a', 'b', 'c', 0xF0, (7 - 4) << 3, 2}), "abcabcabca"},
        // Code bytes above the escape count one lower.
        {"code above escape", LzBlock(9, 0x01, {'a', 'b', 'c', 'd', 0x01, ((5 - 4) << 3) + 1, 3}), "abcdabcda"},
        {"two distance bytes", LzBlock(5, 0xF0, {'q', 0xF0, 0x01, 0, 0}), "qqqqq"},
        {"long length byte", LzBlock(1 + 4 + 32, 0xF0, {'z', 0xF0, 0x04, 1, 0}), std::string(37, 'z')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode(c.block, 64), c.expected);
        EXPECT_EQ(DecodeLzBlock(c.block.data(), c.block.size(), nullptr, 0), int64_t(c.expected.size()));
    }
}

TEST(LzBlockTest, DamagedBlocksAreRefused)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        size_t capacity;
    };
    std::vector<uint8_t> storedTooLarge = LzBlock(1, 0xF0, {'a'});
    storedTooLarge[4] = 200;
    std::vector<uint8_t> storedTooSmall = LzBlock(1, 0xF0, {'a'});
    storedTooSmall[4] = 8;
    const Case cases[] = {
        {"back-reference before the start", LzBlock(6, 0xF0, {'a', 0xF0, 0, 1}), 64},
        {"back-reference with no output", LzBlock(4, 0xF0, {0xF0, 0, 0}), 64},
        {"copy past the expanded size", LzBlock(5, 0xF0, {'a', 0xF0, 1 << 3, 0}), 64},
        {"literal past the expanded size", LzBlock(1, 0xF0, {'a', 'b'}), 64},
        {"escape at the end", LzBlock(1, 0xF0, {'a', 0xF0}), 64},
        {"missing length byte", LzBlock(40, 0xF0, {'a', 0xF0, 0x04}), 64},
        {"missing distance byte", LzBlock(40, 0xF0, {'a', 0xF0, 0x01, 0}), 64},
        {"distance size 3", LzBlock(8, 0xF0, {'a', 0xF0, 0x03, 0, 0, 0, 0}), 64},
        {"output shorter than announced", LzBlock(9, 0xF0, {'a'}), 64},
        {"expanded size beyond the destination", LzBlock(9, 0xF0, {'a', 0xF0, 4 << 3, 0}), 4},
        {"stored size beyond the block", storedTooLarge, 64},
        {"stored size below its header", storedTooSmall, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode(c.block, c.capacity), "<refused>");
    }
    EXPECT_EQ(DecodeLzBlock(storedTooLarge.data(), 5, nullptr, 0), -1);
}

TEST(LzBlockTest, EncoderRoundTrips)
{
    std::vector<std::string> samples = {"", "a", std::string(100000, '\0'), Compressible(70000), PatternBytes(50000)};
    // Every byte value, so the escape byte is a literal too.
    std::string all;
    for (int i = 0; i < 4096; ++i) all += char(i * 7);
    samples.push_back(all + all);
    for (const std::string& sample : samples) {
        std::vector<uint8_t> block = EncodeLzBlock(std::span<const uint8_t>(Bytes(sample)));
        EXPECT_EQ(Decode(block, sample.size()), sample);
    }
    EXPECT_LT(EncodeLzBlock(std::span<const uint8_t>(Bytes(Compressible(70000)))).size(), 20000u);
}

TEST(LzBlockTest, LongRunsWithoutMatchesSkipAheadAndStillFindTheRepeats)
{
    // Noise makes the encoder skip ahead; what follows must still decode and still match.
    const std::string noise = PatternBytes(300000, 7);
    const std::vector<std::string> samples = {
        noise + Compressible(40000),
        noise + noise,                                        // the second copy is one long repeat
        Compressible(20000) + noise + noise.substr(0, 9999),  // a skip that runs into the end
    };
    for (const std::string& sample : samples) {
        std::vector<uint8_t> block = EncodeLzBlock(std::span<const uint8_t>(Bytes(sample)));
        EXPECT_EQ(Decode(block, sample.size()), sample);
    }
    EXPECT_LT(EncodeLzBlock(std::span<const uint8_t>(Bytes(noise + noise))).size(), noise.size() * 11 / 10);
}

TEST_F(ArchiveReaderTest, EveryVersionOpensAndReads)
{
    for (int version : {1, 2, 3}) {
        SCOPED_TRACE(version);
        std::vector<uint8_t> bytes = MakeArchive(SampleTree(), version);
        WriteFile("game.zaz", std::string(bytes.begin(), bytes.end()));
        Archive archive{};
        ASSERT_EQ(OpenArchiveFile(&archive, "game.zaz", nullptr), 0);
        EXPECT_EQ(archive.header.version, version);
        EXPECT_EQ(archive.entrySize, version == 1 ? 40u : 44u);
        FileEntry data = ReadFileEntry(&archive, FindArchiveEntry(&archive, "DATA.bin"));
        EXPECT_EQ(data.compressedSize != kStoredUncompressed, version >= 2);
        EXPECT_EQ(ReadEntry(&archive, "A.png"), "0123456789");
        EXPECT_EQ(ReadEntry(&archive, "data.BIN"), Compressible(5000));
        EXPECT_EQ(ReadEntry(&archive, "img\\b.png"), Compressible(3000));
        EXPECT_EQ(ReadEntry(&archive, "IMG/Sub/DEEP.TXT"), "deep");
        EXPECT_EQ(ReadEntry(&archive, "\x95\x5C\\x.bin"), "xx");
        EXPECT_EQ(ReadEntry(&archive, "\\img\\sub\\deep.txt"), "deep");
        EXPECT_EQ(ReadEntry(&archive, "img"), "<missing>");
        EXPECT_EQ(ReadEntry(&archive, "img\\"), "<missing>");
        EXPECT_EQ(ReadEntry(&archive, "img\\sub"), "<missing>");
        EXPECT_EQ(ReadEntry(&archive, "nothing.png"), "<missing>");
        EXPECT_EQ(ReadEntry(&archive, "img\\..\\A.png"), "<missing>");
        EXPECT_EQ(CloseArchive(&archive), 0);
    }
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(ArchiveReaderTest, NameRecordsHoldUnitsAndCheckSum)
{
    std::vector<uint8_t> image = MakeArchive(SampleTree());
    Archive archive{};
    ASSERT_EQ(OpenArchiveImage(&archive, image.data(), uint32_t(image.size()), nullptr), 0);
    struct Case {
        const char* path;
        const char* upper;
        uint16_t units;
    };
    const Case cases[] = {{"four\\abcd", "ABCD", 2},
                          {"A.png", "A.PNG", 2},
                          {"img\\sub\\deep.txt", "DEEP.TXT", 3},
                          {"\x95\x5C\\x.bin", "X.BIN", 2}};
    for (const Case& c : cases) {
        FileEntry entry = ReadFileEntry(&archive, FindArchiveEntry(&archive, c.path));
        const uint8_t* record = archive.nameTable + entry.nameOffset;
        uint16_t units = uint16_t(record[0] | record[1] << 8);
        uint16_t sum = uint16_t(record[2] | record[3] << 8);
        uint16_t expectedSum = 0;
        for (const char* p = c.upper; *p; ++p) expectedSum = uint16_t(expectedSum + uint8_t(*p));
        EXPECT_EQ(units, c.units) << c.path;
        EXPECT_EQ(sum, expectedSum) << c.path;
        EXPECT_STREQ(EntryUpperName(&archive, entry), c.upper);
    }
    CloseArchive(&archive);
}

TEST_F(ArchiveReaderTest, FolderChanges)
{
    std::vector<uint8_t> image = MakeArchive(SampleTree());
    Archive archive{};
    ASSERT_EQ(OpenArchiveImage(&archive, image.data(), uint32_t(image.size()), nullptr), 0);
    uint32_t root = archive.currentDir;
    EXPECT_EQ(ChangeArchiveDir(&archive, "..", 1), -1);
    EXPECT_EQ(ChangeArchiveDir(&archive, ".", 1), 0);
    EXPECT_EQ(archive.currentDir, root);
    ASSERT_EQ(ChangeArchiveDir(&archive, "IMG/sub/", 1), 0);
    uint32_t sub = archive.currentDir;
    EXPECT_NE(FindArchiveEntry(&archive, "deep.txt"), nullptr);
    ASSERT_EQ(ChangeArchiveDir(&archive, "..", 1), 0);
    EXPECT_NE(FindArchiveEntry(&archive, "b.png"), nullptr);
    EXPECT_EQ(ChangeArchiveDir(&archive, "sub\\missing", 1), -1);
    EXPECT_NE(FindArchiveEntry(&archive, "b.png"), nullptr);
    // Without restoring, the walk stays where it got to.
    EXPECT_EQ(ChangeArchiveDir(&archive, "sub\\missing", 0), -1);
    EXPECT_EQ(archive.currentDir, sub);
    // A separator at the start, or two in a row, goes to the root.
    EXPECT_EQ(ChangeArchiveDir(&archive, "\\img", 1), 0);
    EXPECT_EQ(ChangeArchiveDir(&archive, "sub\\\\four", 1), 0);
    EXPECT_NE(FindArchiveEntry(&archive, "abcd"), nullptr);
    EXPECT_EQ(ChangeArchiveDir(&archive, "\\", 1), 0);
    EXPECT_EQ(archive.currentDir, root);
    EXPECT_EQ(ChangeArchiveDir(&archive, "A.png", 1), -1);
    EXPECT_EQ(ChangeArchiveDir(&archive, "\x95\x5C", 1), 0);
    EXPECT_NE(FindArchiveEntry(&archive, "x.bin"), nullptr);
    CloseArchive(&archive);
}

TEST_F(ArchiveReaderTest, FallbackAndKeyTexts)
{
    std::vector<uint8_t> fallback = MakeArchive(SampleTree(), 3, true);
    WriteFile("fallback.zaz", std::string(fallback.begin(), fallback.end()));
    Archive archive{};
    ASSERT_EQ(OpenArchiveFile(&archive, "fallback.zaz", nullptr), 0);
    EXPECT_EQ(ReadEntry(&archive, "img\\sub\\deep.txt"), "deep");
    EXPECT_EQ(ReadEntry(&archive, "DATA.bin"), Compressible(5000));
    CloseArchive(&archive);
    std::vector<uint8_t> keyed = MakeArchive(SampleTree(), 3, false, "secret");
    WriteFile("keyed.zaz", std::string(keyed.begin(), keyed.end()));
    EXPECT_EQ(OpenArchiveFile(&archive, "keyed.zaz", nullptr), -1);
    ASSERT_EQ(OpenArchiveFile(&archive, "keyed.zaz", "secret"), 0);
    EXPECT_EQ(ReadEntry(&archive, "A.png"), "0123456789");
    CloseArchive(&archive);
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(ArchiveReaderTest, ImageIsUnchangedAfterCloseAndAfterAFailedOpen)
{
    const std::vector<uint8_t> original = MakeArchive(SampleTree());
    std::vector<uint8_t> image = original;
    Archive archive{};
    ASSERT_EQ(OpenArchiveImage(&archive, image.data(), uint32_t(image.size()), nullptr), 0);
    EXPECT_NE(image, original);
    uint32_t offset = 0;
    uint32_t size = 0;
    ASSERT_EQ(LocateArchiveEntry(&archive, "a.png", &offset, &size), 0);
    EXPECT_EQ(std::string(image.begin() + offset, image.begin() + offset + size), "0123456789");
    EXPECT_EQ(OpenArchiveImage(&archive, image.data(), uint32_t(image.size()), nullptr), -1);
    CloseArchive(&archive);
    EXPECT_EQ(image, original);

    std::vector<uint8_t> newer = original;
    ToggleScramble(newer);
    newer[2] = 4;
    ToggleScramble(newer);
    const std::vector<uint8_t> newerCopy = newer;
    EXPECT_EQ(OpenArchiveImage(&archive, newer.data(), uint32_t(newer.size()), nullptr), -1);
    EXPECT_EQ(newer, newerCopy);
    std::vector<uint8_t> noise = Bytes(PatternBytes(500));
    const std::vector<uint8_t> noiseCopy = noise;
    EXPECT_EQ(OpenArchiveImage(&archive, noise.data(), uint32_t(noise.size()), nullptr), -1);
    EXPECT_EQ(noise, noiseCopy);
}

TEST_F(ArchiveReaderTest, DamagedArchivesAreRefused)
{
    const std::vector<uint8_t> good = [] {
        std::vector<uint8_t> bytes = MakeArchive(SampleTree());
        ToggleScramble(bytes);
        return bytes;
    }();
    const uint32_t indexOffset = GetU32(good, 12);
    const uint32_t fileTable = indexOffset + GetU32(good, 16);
    const uint32_t dirTable = indexOffset + GetU32(good, 20);
    const uint32_t indexSize = GetU32(good, 4);
    // Root entries, sorted: A.png, DATA.bin, img, "表", four. Folders are numbered breadth first.
    auto entry = [&](int i) { return fileTable + 44u * uint32_t(i); };
    auto dir = [&](int i) { return dirTable + 16u * uint32_t(i); };
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"version 4", [](auto& b) { b[2] = 4; }},
        {"version 0", [](auto& b) { b[2] = 0; }},
        {"index beyond the end", [&](auto& b) { SetU32(b, 12, uint32_t(b.size()) - 10); }},
        {"index size beyond the end", [&](auto& b) { SetU32(b, 4, indexSize + 1); }},
        {"index size huge", [&](auto& b) { SetU32(b, 4, 0xFFFFFFF0u); }},
        {"file table beyond the index", [&](auto& b) { SetU32(b, 16, indexSize + 4); }},
        {"directory table beyond the index", [&](auto& b) { SetU32(b, 20, indexSize - 8); }},
        {"root with a parent", [&](auto& b) { SetU32(b, dir(0) + 4, 0); }},
        {"folder count beyond the table", [&](auto& b) { SetU32(b, dir(0) + 8, 1000); }},
        {"folder count huge", [&](auto& b) { SetU32(b, dir(0) + 8, 0x40000000); }},
        {"first entry beyond the table", [&](auto& b) { SetU32(b, dir(0) + 12, indexSize); }},
        {"name offset beyond the index", [&](auto& b) { SetU32(b, entry(0), indexSize - 2); }},
        {"name record with no units", [&](auto& b) { b[indexOffset + GetU32(b, entry(0))] = 0; }},
        {"name record too long", [&](auto& b) { b[indexOffset + GetU32(b, entry(0)) + 1] = 0x7F; }},
        {"name without its zero byte", [&](auto& b) { b[indexOffset + GetU32(b, entry(0)) + 4 + 7] = 'X'; }},
        {"file data beyond the end", [&](auto& b) { SetU32(b, entry(0) + 32, uint32_t(b.size())); }},
        {"file size beyond the end", [&](auto& b) { SetU32(b, entry(0) + 36, 0xFFFFFFF0u); }},
        {"compressed size below its header", [&](auto& b) { SetU32(b, entry(1) + 40, 5); }},
        {"compressed size beyond the end", [&](auto& b) { SetU32(b, entry(1) + 40, uint32_t(b.size())); }},
        {"folder entry between directory entries", [&](auto& b) { SetU32(b, entry(2) + 32, 8); }},
        {"folder entry beyond the table", [&](auto& b) { SetU32(b, entry(2) + 32, 16 * 100); }},
        {"folder loop to the root", [&](auto& b) { SetU32(b, entry(2) + 32, 0); }},
        {"folder listed twice", [&](auto& b) { SetU32(b, entry(4) + 32, GetU32(b, entry(2) + 32)); }},
        {"child with a wrong parent", [&](auto& b) { SetU32(b, dir(1) + 4, 32); }},
        {"truncated", [&](auto& b) { b.erase(b.end() - 3, b.end()); }},
        {"shorter than a header", [&](auto& b) { b.resize(20); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        ToggleScramble(bytes);
        WriteFile("damaged.zaz", std::string(bytes.begin(), bytes.end()));
        Archive archive{};
        EXPECT_EQ(OpenArchiveFile(&archive, "damaged.zaz", nullptr), -1);
        const std::vector<uint8_t> copy = bytes;
        EXPECT_EQ(OpenArchiveImage(&archive, bytes.data(), uint32_t(bytes.size()), nullptr), -1);
        EXPECT_EQ(bytes, copy);
    }
    // The undamaged archive opens, so the cases above fail for their own reason.
    std::vector<uint8_t> bytes = good;
    ToggleScramble(bytes);
    Archive archive{};
    EXPECT_EQ(OpenArchiveImage(&archive, bytes.data(), uint32_t(bytes.size()), nullptr), 0);
    CloseArchive(&archive);
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(FileFolderTest, PackerDoesNotFollowLinksToFolders)
{
    WriteFile("tree/sub/a.txt", "a");
    WriteFile("tree/b.txt", "b");
    std::filesystem::create_directory_symlink("..", folder / "tree/sub/up");  // a cycle
    std::filesystem::create_directory_symlink(folder / "tree/sub", folder / "tree/again");
    std::filesystem::create_symlink("b.txt", folder / "tree/b-link.txt");  // a file: packed
    PackNode root;
    std::string error;
    std::vector<std::string> skipped;
    ASSERT_TRUE(ReadFolderTree((folder / "tree").string(), &root, &error, &skipped)) << error;
    std::set<std::string> names;
    std::function<void(const PackNode&, const std::string&)> walk = [&](const PackNode& node, const std::string& at) {
        for (const PackNode& child : node.children) {
            names.insert(at + child.name);
            walk(child, at + child.name + "/");
        }
    };
    walk(root, "");
    EXPECT_EQ(names, (std::set<std::string>{"b.txt", "b-link.txt", "sub", "sub/a.txt"}));
    std::set<std::string> skippedNames;
    const std::string why = ": a link to a folder, not followed";
    for (const std::string& line : skipped) {
        ASSERT_GT(line.size(), why.size());
        EXPECT_EQ(line.substr(line.size() - why.size()), why);
        skippedNames.insert(std::filesystem::path(line.substr(0, line.size() - why.size())).filename().string());
    }
    EXPECT_EQ(skippedNames, (std::set<std::string>{"up", "again"}));
}
