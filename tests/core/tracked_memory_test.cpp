#include "core/tracked_memory.h"
#include "log_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace ror;

class TrackedMemoryTest : public LogFolderTest {
protected:
    void SetUp() override
    {
        LogFolderTest::SetUp();
        LogStart();
    }

    static std::string Address(const void* block)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%08llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(block)));
        return text;
    }

    static int Id(void* block) { return HeaderOfBlock(block)->fields.id; }

    // Newest first, as the list runs from head to the end marker.
    static std::vector<void*> ListedBlocks()
    {
        std::vector<void*> blocks;
        const AllocState& s = TrackedAllocState;
        for (AllocHeader* h = s.head; h != nullptr && h != &s.endMarker; h = h->fields.next) blocks.push_back(h + 1);
        return blocks;
    }

    // The list read the other way, from the end marker along prev.
    static std::vector<void*> ListedBlocksBackwards()
    {
        std::vector<void*> blocks;
        for (AllocHeader* h = TrackedAllocState.endMarker.fields.prev; h != nullptr; h = h->fields.prev)
            blocks.insert(blocks.begin(), h + 1);
        return blocks;
    }
};

TEST_F(TrackedMemoryTest, DumpListsLiveBlocksNewestFirst)
{
    void* other = TrackedAlloc(2000, "", 0);
    char* block = static_cast<char*>(TrackedAllocZeroed(100, "", 0));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "ABC", 3);
    std::memset(other, 0xE8, 2000);
    DumpAllocations();

    std::string expected = "\r\nAlloc memory dump\r\n";
    expected += "\tsize:100(0.098kb)  file:  line:0  ID:" + std::to_string(Id(block)) + "  addr:" + Address(block) +
                "  data:<ABC.............> [41 42 43 00 00 00 00 00 00 00 00 00 00 00 00 00]\r\n";
    expected += "\tsize:2000(1.953kb)  file:  line:0  ID:" + std::to_string(Id(other)) + "  addr:" + Address(other) +
                "  data:<................> [e8 e8 e8 e8 e8 e8 e8 e8 e8 e8 e8 e8 e8 e8 e8 e8]\r\n";
    expected += "\tTotal size:2100(2.051kb)  Alloc num:2\r\n\r\n";
    EXPECT_EQ(ReadLogWithoutStamps(), expected);
    TrackedFree(block);
    TrackedFree(other);
}

TEST_F(TrackedMemoryTest, BlockLineShowsPrintableBytesAndLabels)
{
    char* block = static_cast<char*>(TrackedAlloc(5, "graphics/memimg.cpp", -1));
    std::memcpy(block, " ~\x7f\x1f\x80", 5);
    DumpAllocations();
    std::string log = ReadLogWithoutStamps();
    std::string expected = "\tsize:5(0.005kb)  file:hics/memimg.cpp  line:65535  ID:0  addr:" + Address(block) +
                           "  data:< ~\x7f..> [20 7e 7f 1f 80]\r\n";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    TrackedFree(block);
}

TEST_F(TrackedMemoryTest, NameKeepsItsLastFifteenCharacters)
{
    struct Case {
        const char* name;
        const char* kept;
    };
    const Case cases[] = {
        {"abcdefghijklmnopqrst", "fghijklmnopqrst"},
        {"abcdefghijklmno", "abcdefghijklmno"},
        {"abcdefghijklmn", "abcdefghijklmn"},
        {"", ""},
        {nullptr, ""},
        {"ａｂｃｄｅｆｇｈ", "ｂｃｄｅｆｇｈ"},  // 16 bytes: the cut does not start on a trail byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        void* block = TrackedAlloc(1, c.name, 12);
        EXPECT_STREQ(HeaderOfBlock(block)->fields.name, c.kept);
        EXPECT_EQ(HeaderOfBlock(block)->fields.line, 12);
        TrackedFree(block);
    }
}

TEST_F(TrackedMemoryTest, OnlySizeZeroOperationsAreLogged)
{
    void* quiet = TrackedAlloc(8, "", 0);
    quiet = TrackedRealloc(quiet, 16, "", 0);
    TrackedFree(quiet);
    EXPECT_EQ(ReadLog(), "");

    void* empty = TrackedAlloc(0, "", 0);
    std::string alloc = "mem alloc  \tsize:0(0.000kb)  file:  line:0  ID:" + std::to_string(Id(empty)) +
                        "  addr:" + Address(empty) + "  data:<> []\r\n";
    void* grown = TrackedRealloc(empty, 4, "", 0);  // judged on the new size: not logged
    void* shrunk = TrackedRealloc(grown, 0, "", 0);
    std::string realloc = "mem realloc  \tsize:0(0.000kb)  file:  line:0  ID:" + std::to_string(Id(shrunk)) +
                          "  addr:" + Address(shrunk) + "  data:<> []\r\n";
    std::string free = "mem free  \tsize:0(0.000kb)  file:  line:0  ID:" + std::to_string(Id(shrunk)) +
                       "  addr:" + Address(shrunk) + "  data:<> []\r\n";
    TrackedFree(shrunk);
    EXPECT_EQ(ReadLogWithoutStamps(), alloc + realloc + free);
}

TEST_F(TrackedMemoryTest, FreeKeepsTheListLinked)
{
    void* a = TrackedAlloc(10, "", 0);
    void* b = TrackedAlloc(20, "", 0);
    void* c = TrackedAlloc(30, "", 0);
    void* d = TrackedAlloc(40, "", 0);
    EXPECT_EQ(ListedBlocks(), (std::vector<void*>{d, c, b, a}));
    EXPECT_EQ(TrackedAllocationCount(), 4);
    EXPECT_EQ(TrackedAllocationBytes(), 100);

    TrackedFree(d);  // the newest: its next becomes the head
    EXPECT_EQ(TrackedAllocState.head, HeaderOfBlock(c));
    EXPECT_EQ(HeaderOfBlock(c)->fields.prev, nullptr);
    TrackedFree(b);  // one in the middle
    EXPECT_EQ(ListedBlocks(), (std::vector<void*>{c, a}));
    EXPECT_EQ(ListedBlocksBackwards(), (std::vector<void*>{c, a}));
    EXPECT_EQ(TrackedAllocationBytes(), 40);
    TrackedFree(a);  // the oldest
    EXPECT_EQ(TrackedAllocState.endMarker.fields.prev, HeaderOfBlock(c));
    EXPECT_EQ(VerifyAllocations(), 0);

    EXPECT_NE(TrackedFree(c), 0);
    EXPECT_EQ(TrackedFree(nullptr), 0);
    EXPECT_EQ(TrackedAllocState.head, &TrackedAllocState.endMarker);
    EXPECT_EQ(TrackedAllocState.endMarker.fields.next, nullptr);
    EXPECT_EQ(TrackedAllocationCount(), 0);
    EXPECT_EQ(TrackedAllocationBytes(), 0);
    DumpAllocations();
    EXPECT_EQ(ReadLogWithoutStamps(), "\r\nAlloc memory dump\r\n\tTotal size:0(0.000kb)  Alloc num:0\r\n\r\n");
}

TEST_F(TrackedMemoryTest, ReallocKeepsPositionAndContentsAndRenumbers)
{
    void* a = TrackedAlloc(8, "", 0);
    char* b = static_cast<char*>(TrackedAlloc(8, "", 0));
    void* c = TrackedAlloc(8, "", 0);
    std::memcpy(b, "12345678", 8);
    int oldId = Id(b);

    char* grown = static_cast<char*>(TrackedRealloc(b, 100000, "file.cpp", 77));
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(ListedBlocks(), (std::vector<void*>{c, grown, a}));
    EXPECT_EQ(ListedBlocksBackwards(), (std::vector<void*>{c, grown, a}));
    EXPECT_EQ(std::string(grown, 8), "12345678");
    for (int i = 8; i < 100000; ++i) ASSERT_EQ(grown[i], 0) << i;
    EXPECT_EQ(Id(grown), Id(c) + 1);
    EXPECT_NE(Id(grown), oldId);
    EXPECT_STREQ(HeaderOfBlock(grown)->fields.name, "file.cpp");
    EXPECT_EQ(HeaderOfBlock(grown)->fields.line, 77);
    EXPECT_EQ(TrackedAllocationBytes(), 100016);
    EXPECT_EQ(TrackedAllocationCount(), 3);
    EXPECT_EQ(VerifyAllocations(), 0);

    void* newest = TrackedRealloc(c, 64, "", 0);  // the head stays the head
    EXPECT_EQ(TrackedAllocState.head, HeaderOfBlock(newest));
    void* oldest = TrackedRealloc(a, 100000, "", 0);
    EXPECT_EQ(TrackedAllocState.endMarker.fields.prev, HeaderOfBlock(oldest));
    EXPECT_EQ(ListedBlocks(), (std::vector<void*>{newest, grown, oldest}));
    EXPECT_EQ(VerifyAllocations(), 0);
    for (void* block : ListedBlocks()) TrackedFree(block);
}

TEST_F(TrackedMemoryTest, ReallocOfNullAllocates)
{
    void* block = TrackedRealloc(nullptr, 24, "x", 3);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Id(block), 0);
    EXPECT_EQ(TrackedAllocationCount(), 1);
    EXPECT_EQ(TrackedAllocationBytes(), 24);
    EXPECT_EQ(TrackedAllocState.head, HeaderOfBlock(block));
    TrackedFree(block);
}

TEST_F(TrackedMemoryTest, BlocksAreSixteenByteAligned)
{
    std::vector<void*> blocks;
    for (int32_t size : {0, 1, 15, 16, 33, 1000}) blocks.push_back(TrackedAlloc(size, "", 0));
    blocks.push_back(TrackedRealloc(blocks.back(), 5000, "", 0));
    blocks.erase(blocks.end() - 2);
    for (void* block : blocks) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
        TrackedFree(block);
    }
}

TEST_F(TrackedMemoryTest, AllocationNumbersWrapAfter65536)
{
    for (int i = 0; i < 65536; ++i) {
        void* block = TrackedAlloc(1, "", 0);
        ASSERT_EQ(Id(block), i);
        TrackedFree(block);
    }
    void* block = TrackedAlloc(1, "", 0);
    EXPECT_EQ(Id(block), 0);
    TrackedFree(block);
}

TEST_F(TrackedMemoryTest, VerifyCatchesEveryDamagedHeaderByte)
{
    void* a = TrackedAlloc(3, "", 0);
    void* b = TrackedAlloc(4, "", 0);
    unsigned char* header = reinterpret_cast<unsigned char*>(HeaderOfBlock(a));
    for (size_t offset = 0; offset < sizeof(AllocFields); ++offset) {
        header[offset] ^= 0x10;
        EXPECT_EQ(VerifyAllocations(), -1) << offset;
        header[offset] ^= 0x10;
    }
    EXPECT_EQ(VerifyAllocations(), 0);
    TrackedFree(b);
    TrackedFree(a);
}

TEST_F(TrackedMemoryTest, VerifyReportsTheDamagedBlock)
{
    char* a = static_cast<char*>(TrackedAlloc(3, "", 0));
    void* b = TrackedAlloc(4, "", 0);
    std::memcpy(a, "xyz", 3);
    HeaderOfBlock(a)->fields.size = 100;  // damaged: the dump must not read past the 3 bytes
    EXPECT_EQ(VerifyAllocations(), -1);
    std::string line = "\tsize:100(0.098kb)  file:  line:0  ID:0  addr:" + Address(a) + "  data:<xyz> [78 79 7a]\r\n";
    EXPECT_EQ(ReadLogWithoutStamps(), "以下のメモリ確保情報が破損しました" + line);

    HeaderOfBlock(a)->fields.size = 3;
    TrackedFree(b);
    TrackedFree(a);
}

TEST_F(TrackedMemoryTest, DumpStopsAtADamagedLink)
{
    void* a = TrackedAlloc(1, "", 0);
    void* b = TrackedAlloc(2, "", 0);
    AllocHeader* damaged = HeaderOfBlock(b);
    AllocHeader* saved = damaged->fields.next;
    damaged->fields.next = reinterpret_cast<AllocHeader*>(0x10);
    DumpAllocations();
    std::string log = ReadLogWithoutStamps();
    EXPECT_NE(log.find("\tsize:2("), std::string::npos);
    EXPECT_EQ(log.find("\tsize:1("), std::string::npos);
    damaged->fields.next = saved;
    TrackedFree(b);
    TrackedFree(a);
}

TEST_F(TrackedMemoryTest, FailedAllocationDumpsAndReturnsNull)
{
    void* kept = TrackedAlloc(7, "", 0);
    TrackedAllocState.failHeapRequests = 1;
    EXPECT_EQ(TrackedAlloc(50, "", 0), nullptr);
    EXPECT_EQ(TrackedAllocationCount(), 1);
    EXPECT_EQ(TrackedAllocationBytes(), 7);
    std::string log = ReadLogWithoutStamps();
    EXPECT_EQ(log.substr(0, 21), "\r\nAlloc memory dump\r\n");
    EXPECT_NE(log.find("\tsize:7(0.007kb)"), std::string::npos);
    EXPECT_NE(log.find("\tTotal size:7(0.007kb)  Alloc num:1\r\n\r\n"), std::string::npos);

    // A size no heap can meet fails the same way.
    EXPECT_EQ(TrackedAlloc(-1, "", 0), nullptr);
    EXPECT_EQ(TrackedAllocZeroed(-5, "", 0), nullptr);
    EXPECT_EQ(TrackedAllocationCount(), 1);
    TrackedFree(kept);
}

TEST_F(TrackedMemoryTest, FailedReallocLeavesTheOldBlockTracked)
{
    char* block = static_cast<char*>(TrackedAlloc(4, "old", 1));
    std::memcpy(block, "keep", 4);
    int id = Id(block);
    TrackedAllocState.failHeapRequests = 1;
    EXPECT_EQ(TrackedRealloc(block, 1 << 20, "new", 2), nullptr);
    EXPECT_NE(ReadLog().find("Alloc memory dump"), std::string::npos);
    EXPECT_EQ(std::string(block, 4), "keep");
    EXPECT_EQ(Id(block), id);
    EXPECT_STREQ(HeaderOfBlock(block)->fields.name, "old");
    EXPECT_EQ(TrackedAllocationBytes(), 4);
    EXPECT_EQ(ListedBlocks(), std::vector<void*>{block});
    EXPECT_EQ(VerifyAllocations(), 0);
    EXPECT_EQ(TrackedRealloc(block, -1, "", 0), nullptr);
    EXPECT_EQ(TrackedAllocationBytes(), 4);
    TrackedFree(block);
}
