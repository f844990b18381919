// The table of log texts against the sources: every Japanese text under media/ has a row, and
// each row's English text is plain ASCII with the same printf conversions in the same order.
#include "base/log_texts.h"
#include "platform/system/codepage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace ror;

namespace {

// Japanese strings under media/ that are not log texts, in UTF-8 as the sources hold them (u8
// literals stay UTF-8 whatever the execution character set).
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }
const std::set<std::string> kNotLogTexts = {
    Utf8(u8"¥"), Utf8(u8"〜"),  // look-alike characters of the code page tables
    Utf8(u8"ＭＳ ゴシック"),    // a font face name the fonts answer to
};

std::string ReadSource(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The string literal's bytes with its escapes taken as the compiler takes them.
std::string Unescape(const std::string& literal)
{
    std::string out;
    for (size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\' || i + 1 == literal.size()) {
            out += literal[i];
            continue;
        }
        const char next = literal[++i];
        out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
    return out;
}

struct Literal {
    std::string file;
    int line;
    std::string utf8;
};

// Literals holding a byte above 0x7F, outside line comments.
std::vector<Literal> JapaneseLiterals()
{
    std::vector<Literal> found;
    const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ROR_SOURCE_DIR "/media")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        std::istringstream lines(ReadSource(entry.path()));
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number) {
            const size_t code = line.find_first_not_of(" \t");
            if (code == std::string::npos || line.compare(code, 2, "//") == 0) continue;
            for (std::sregex_iterator m(line.begin(), line.end(), literal), end; m != end; ++m) {
                const std::string text = (*m)[1].str();
                bool wide = false;
                for (unsigned char c : text) wide = wide || c >= 0x80;
                if (wide) found.push_back({entry.path().string(), number, Unescape(text)});
            }
        }
    }
    return found;
}

std::vector<std::string> Conversions(const char* format)
{
    std::vector<std::string> out;
    const std::regex conversion(R"(%[-+ #0]*[0-9]*(?:\.[0-9]+)?(?:hh|h|ll|l|L|z|j|t)?[diouxXeEfgGcspn%])");
    const std::string text = format;
    for (std::sregex_iterator m(text.begin(), text.end(), conversion), end; m != end; ++m) out.push_back(m->str());
    return out;
}

TEST(LogTexts, EveryJapaneseTextOfTheSourcesHasARow)
{
    const std::vector<Literal> literals = JapaneseLiterals();
    ASSERT_GT(literals.size(), 200u);  // the scan found the sources
    for (const Literal& l : literals) {
        if (kNotLogTexts.count(l.utf8) != 0) continue;
        char cp932[2048];
        ASSERT_GE(Utf8ToCp932(l.utf8.c_str(), cp932, sizeof cp932), 0) << l.file << ":" << l.line;
        EXPECT_NE(FindLogTextRow(cp932), nullptr) << l.file << ":" << l.line << " has no row: " << l.utf8;
    }
}

TEST(LogTexts, EnglishIsAsciiWithTheSameConversions)
{
    std::set<std::string> seen;
    for (size_t i = 0; i < LogTextRowCount; ++i) {
        const LogTextRow& row = LogTextRows[i];
        EXPECT_TRUE(seen.insert(row.japanese).second) << "row " << i << " repeats a text";
        EXPECT_EQ(FindLogTextRow(row.japanese), &row) << "row " << i;
        for (const char* c = row.english; *c != '\0'; ++c)
            EXPECT_LT(static_cast<unsigned char>(*c), 0x80) << "row " << i << ": " << row.english;
        EXPECT_EQ(Conversions(row.japanese), Conversions(row.english)) << "row " << i << ": " << row.english;
        EXPECT_TRUE(row.kind >= kContinuesFailure && row.kind <= FAILURE_DEVICE) << "row " << i;
    }
    EXPECT_EQ(FindLogTextRow("not a text of the layer"), nullptr);
}

}  // namespace
