#include "base/sjis.h"

#include <gtest/gtest.h>
#include <string>

using namespace ror;

// The build turns UTF-8 source literals into cp932 bytes; every byte comparison in the
// suite depends on it.
TEST(SjisText, LiteralsAreCp932)
{
#if defined(__GNUC__) && !defined(__clang__)
    EXPECT_EQ(std::string("Vexholm　ver0.03"), std::string("Vexholm\x81\x40ver0.03"));
    EXPECT_EQ(std::string("成功しました"), std::string("\x90\xac\x8c\xf7\x82\xb5\x82\xdc\x82\xb5\x82\xbd"));
#else
    GTEST_SKIP() << "only g++ converts literals to cp932";
#endif
}

TEST(SjisText, CutKeepsCharactersWhole)
{
    struct Case {
        const char* text;
        size_t limit;
        size_t expected;
    };
    const Case cases[] = {
        {"abc", 10, 3},       {"abc", 2, 2},
        {"a\x82\xa0z", 2, 1},                              // would split the pair
        {"a\x82\xa0z", 3, 3}, {"\x82\x5c\x82\x7b", 3, 2},  // trail bytes '\\' and '{' are not characters of their own
        {"ab\x82", 10, 3},                                 // lone lead byte at the end
        {"", 5, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(SjisCutLength(c.text, c.limit), c.expected) << c.text << " limit " << c.limit;

    char out[4];
    EXPECT_EQ(SjisCopyCut(out, sizeof out, "ab\x82\xa0"), 2u);
    EXPECT_STREQ(out, "ab");
}
