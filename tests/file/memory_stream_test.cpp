#include "file/file_access.h"
#include "file_fixture.h"

#include <cstring>

using namespace ror;

using MemoryStreamTest = FileFolderTest;

TEST_F(MemoryStreamTest, PartialElementsAndAtEnd)
{
    const char data[] = "0123456789";
    const StreamOps* ops = MemoryStreamOps();
    StreamValue stream = reinterpret_cast<StreamValue>(OpenMemoryStream(data, 10));
    ASSERT_NE(stream, 0u);
    char buffer[16] = {};
    EXPECT_EQ(ops->read(buffer, 4, 3, stream), 2u);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    EXPECT_EQ(ops->read(buffer, 4, 1, stream), 1u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(ops->atEnd(stream), 0);
    EXPECT_EQ(ops->tell(stream), 10);
    EXPECT_EQ(ops->read(buffer, 4, 1, stream), 0u);
    EXPECT_EQ(ops->atEnd(stream), 1);
    EXPECT_EQ(ops->idle(stream), 1);
    EXPECT_EQ(ops->close(stream), 0);
    EXPECT_EQ(TrackedAllocationCount(), allocationsAtStart);
}

TEST_F(MemoryStreamTest, SeeksAreClampedToTheBlock)
{
    const char data[] = "0123456789";
    const StreamOps* ops = MemoryStreamOps();
    StreamValue stream = reinterpret_cast<StreamValue>(OpenMemoryStream(data, 10));
    struct Case {
        int32_t offset;
        int origin;
        int64_t expected;
    };
    const Case cases[] = {{-5, kSeekStart, 0},    {15, kSeekStart, 10}, {-3, kSeekEnd, 7},
                          {-20, kSeekCurrent, 0}, {4, kSeekCurrent, 4}, {2, kSeekEnd, 10}};
    for (const Case& c : cases) {
        EXPECT_EQ(ops->seek(stream, c.offset, c.origin), 0);
        EXPECT_EQ(ops->tell(stream), c.expected) << c.offset << " from " << c.origin;
    }
    char buffer[4];
    EXPECT_EQ(ops->read(buffer, size_t(1) << 63, 2, stream), 0u);
    ops->close(stream);
}

TEST_F(MemoryStreamTest, FileStreamsForwardToTheInstalledTable)
{
    WriteFile("ten.bin", "0123456789");
    InstallFileAccess(nullptr);
    const StreamOps* ops = FileStreamOps();
    StreamValue stream = FileOpen("ten.bin", 0, 0, 0);
    ASSERT_NE(stream, 0u);
    char buffer[8] = {};
    EXPECT_EQ(ops->seek(stream, 6, kSeekStart), 0);
    EXPECT_EQ(ops->read(buffer, 1, 8, stream), 4u);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(ops->tell(stream), 10);
    EXPECT_EQ(ops->idle(stream), 1);
    EXPECT_EQ(ops->read(buffer, 1, 1, stream), 0u);
    EXPECT_NE(ops->atEnd(stream), 0);
    EXPECT_EQ(ops->close(stream), 0);
}
