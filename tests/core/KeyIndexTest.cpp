// The header index against a plain line-by-line lookup (support/KeyOracle.h):
// on files written out here, whose answers are checked as well, and on many
// generated ones.

#include <gtest/gtest.h>

#include <random>

#include "support/KeyOracle.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

struct Case {
    const char* name;
    std::string body; // after the first line; "\n" becomes the line end
    std::u16string key; // under HKEY_LOCAL_MACHINE, folded
    bool exists;
    std::size_t sections;
};

std::string fileOf(const Case& c, bool utf16, const std::string& eol)
{
    std::u16string text = u"Windows Registry Editor Version 5.00";
    text += std::u16string(eol.begin(), eol.end());
    for (const char ch : c.body)
        text += ch == '\n' ? std::u16string(eol.begin(), eol.end()) : std::u16string(1, static_cast<unsigned char>(ch));
    return utf16 ? "\xFF\xFE" + regfile::encodeText(text, 2) : regfile::encodeText(text, 1);
}

const Case kCases[] = {
    {"case", "[hkey_local_machine\\sOfTware]\n[HKLM\\SOFTWARE]\n", u"SOFTWARE", true, 2},
    {"parent after child", "[HKLM\\A\\B\\C]\n", u"A\\B", true, 0},
    {"shared start", "[HKLM\\Display]\n[HKLM\\DisplayX]\n[HKLM\\Disp]\n", u"DISPLAY", true, 1},
    {"long name", "[HKLM\\" + std::string(300, 'n') + "]\n[HKLM\\" + std::string(300, 'n') + "x]\n",
     std::u16string(300, u'N'), true, 1},
    {"deleted", "[HKLM\\A\\B]\n[-HKLM\\A]\n[HKLM\\A\\C]\n", u"A\\B", false, 0},
    {"deleted, then again", "[HKLM\\A]\n[-HKLM\\A]\n[HKLM\\A]\n", u"A", true, 1},
    {"no newline at the end", "[HKLM\\A]\n[HKLM\\A]", u"A", true, 2},
    {"empty name", "[HKLM\\A\\\\B]\n[HKLM\\A\\]\n", u"A", false, 0},
    {"not a header", "\"v\"=\"[HKLM\\A]\"\n[ HKLM\\A]\n[HKLM\\A\n", u"A", false, 0},
    {"blanks and a comment", "  [HKLM\\A] ; note\n", u"A", true, 1},
    {"outside ASCII", "[HKLM\\caf\xe9]\n[HKLM\\CAF\xc9\\x]\n", u"CAF\u00c9", true, 1},
};

TEST(KeyIndex, AgreesWithThePlainLookupOnWrittenFiles)
{
    for (const Case& c : kCases) {
        for (const bool utf16 : {false, true}) {
            for (const std::string eol : {"\r\n", "\n"}) {
                SCOPED_TRACE(std::string(c.name) + (utf16 ? ", UTF-16" : ", 8-bit") + (eol == "\n" ? ", LF" : ", CR LF"));
                const std::string bytes = fileOf(c, utf16, eol);
                const IndexedFile f(bytes);
                const auto headers = oracleHeaders(f.text, f.bodyStart);
                const OracleKey plain = oracleLookup(headers, f.text.size(), 2, c.key);
                EXPECT_EQ(plain.exists, c.exists);
                EXPECT_EQ(plain.sections.size(), c.sections);
                EXPECT_EQ(indexDifference(f, headers, 2, c.key), "");
                EXPECT_EQ(indexDifference(bytes), "");
            }
        }
    }
}

TEST(KeyIndex, AgreesWithThePlainLookupOnGeneratedFiles)
{
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const std::string bytes = generatedRegFile([&](unsigned n) { return static_cast<unsigned>(random() % n); });
        ASSERT_EQ(indexDifference(bytes), "") << "seed " << seed;
    }
}

} // namespace
