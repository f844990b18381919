// A caller's cp932 path on its way to the system, and a name from the system on its way back.
#include "platform/files/files.h"

#include <gtest/gtest.h>

#include <string>

using namespace ror;

namespace {

const char* Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(SystemPathTest, CallersCp932PathsBecomeUtf8WithSlashes)
{
    struct Case {
        const char* path;
        const char* system;  // nullptr: refused
    };
    const Case cases[] = {
        {"data\\map.png", "data/map.png"},
        {"データ\\地図.txt", Utf8(u8"データ/地図.txt")},
        {"表\\x", Utf8(u8"表/x")},   // 0x95 0x5C: the second byte is no separator
        {"\xB1\xB2", Utf8(u8"ｱｲ")},  // one-byte katakana take three bytes each
        {"\xED\x40", Utf8(u8"纊")},  // a duplicate code opens the one file its character names
        {"\x80.txt", nullptr},       // no character at all
        {"cut\x95", nullptr},        // a first byte without its second
    };
    for (const Case& c : cases) {
        char out[64];
        const int result = ToSystemPath(out, sizeof out, c.path);
        if (c.system == nullptr) {
            EXPECT_EQ(result, -1) << c.path;
            continue;
        }
        ASSERT_EQ(result, 0) << c.path;
        EXPECT_STREQ(out, c.system);
    }
    char small[6];
    EXPECT_EQ(ToSystemPath(small, sizeof small, "12345"), 0);
    EXPECT_EQ(ToSystemPath(small, sizeof small, "123456"), -1);
    EXPECT_EQ(ToSystemPath(small, sizeof small, "\xB1\xB2"), -1);  // two bytes, six in UTF-8
}

TEST(SystemPathTest, SystemNamesComeBackOnlyWhenExactlyTheSame)
{
    struct Case {
        const char* name;
        const char* layer;  // nullptr: left out
    };
    const Case cases[] = {
        {"plain.txt", "plain.txt"},
        {Utf8(u8"データ/地図.txt"), "データ/地図.txt"},
        {Utf8(u8"表"), "表"},
        {Utf8(u8"～"), "～"},
        {Utf8(u8"〜"), nullptr},  // cp932 has only "～", which is another name
        {Utf8(u8"¥"), nullptr},   // would be "\", a separator for the layer
        {Utf8(u8"‾"), nullptr},   // would be "~"
        {"a\\b", nullptr},        // one name on disk, two for the layer
        {"\xF0\x9F\x98\x80", nullptr},
        {"\x95\x5C", nullptr},  // cp932 bytes on disk are not UTF-8
        {"\xC3", nullptr},
    };
    for (const Case& c : cases) {
        char out[64] = "untouched";
        const int result = ToLayerPath(out, sizeof out, c.name);
        if (c.layer == nullptr) {
            EXPECT_EQ(result, -1) << c.name;
            EXPECT_STREQ(out, "") << c.name;
            continue;
        }
        ASSERT_EQ(result, 0) << c.name;
        EXPECT_STREQ(out, c.layer);
    }
    char small[3];
    EXPECT_EQ(ToLayerPath(small, sizeof small, Utf8(u8"表")), 0);
    EXPECT_EQ(ToLayerPath(small, sizeof small, Utf8(u8"表x")), -1);
}

}  // namespace
