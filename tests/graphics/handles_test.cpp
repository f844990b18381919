#include "core/handles.h"

#include <gtest/gtest.h>

using namespace ror;

namespace {
struct Record {
    HandleHeader header;
};
}  // namespace

TEST(Handles, ComposeAndReject)
{
    EXPECT_EQ(MakeHandle(HandleKind::Font, 0, 0), 0x20000000);
    EXPECT_EQ(MakeHandle(HandleKind::Font, 1, 1), 0x20010001);

    HandleHeader* slots[41] = {};
    HandleTable fonts{HandleKind::Font, 40, slots, 0};
    Record a{}, b{};
    a.header.check = StampCheck(fonts);
    a.header.handle = MakeHandle(HandleKind::Font, 0, a.header.check);
    slots[0] = &a.header;
    EXPECT_EQ(ResolveHandle(a.header.handle, fonts), &a.header);
    EXPECT_EQ(ResolveHandle(-1, fonts), nullptr);
    EXPECT_EQ(ResolveHandle(MakeHandle(HandleKind::Graphic, 0, 0), fonts), nullptr);  // wrong kind
    EXPECT_EQ(ResolveHandle(MakeHandle(HandleKind::Font, 40, 0), fonts), nullptr);    // out of range
    EXPECT_EQ(ResolveHandle(MakeHandle(HandleKind::Font, 1, 0), fonts), nullptr);     // free slot

    // The slot is reused by a newer record: the old handle fails on its check value.
    const int old = a.header.handle;
    slots[0] = nullptr;
    EXPECT_EQ(ResolveHandle(old, fonts), nullptr);
    b.header.check = StampCheck(fonts);
    slots[0] = &b.header;
    EXPECT_EQ(ResolveHandle(old, fonts), nullptr);
    EXPECT_EQ(ResolveHandle(MakeHandle(HandleKind::Font, 0, b.header.check), fonts), &b.header);
}

TEST(Handles, CheckCounterWrapsAfter2048)
{
    HandleTable t{HandleKind::Sound, 4096, nullptr, 0};
    for (int i = 0; i < 2047; ++i) StampCheck(t);
    EXPECT_EQ(StampCheck(t), 2047);
    EXPECT_EQ(StampCheck(t), 0);
}
