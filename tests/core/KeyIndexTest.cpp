// The header index against a plain line-by-line lookup (support/KeyOracle.h): on files written here, whose
// answers are checked too, and on generated ones.

#include <gtest/gtest.h>

#include <random>

#include "support/KeyOracle.h"

using namespace tavrel;
using namespace tavrel::test;

TEST(KeyIndex, AgreesWithThePlainLookup)
{
    const struct { const char* name; std::string body; std::u16string key; bool exists; std::size_t sections; } cases[] = {
        {"case", "[hkey_local_machine\\sOfTware]\n[HKLM\\SOFTWARE]\n", u"SOFTWARE", true, 2},
        {"parent after child", "[HKLM\\A\\B\\C]\n", u"A\\B", true, 0},
        {"shared start", "[HKLM\\Display]\n[HKLM\\DisplayX]\n[HKLM\\Disp]\n", u"DISPLAY", true, 1},
        {"long name", "[HKLM\\" + std::string(300, 'n') + "x]\n[HKLM\\" + std::string(300, 'n') + "]\n",
         std::u16string(300, u'N'), true, 1},
        {"deleted", "[HKLM\\A\\B]\n[-HKLM\\A]\n[HKLM\\A\\C]\n", u"A\\B", false, 0},
        {"deleted, then again", "[HKLM\\A]\n[-HKLM\\A]\n[HKLM\\A]\n", u"A", true, 1},
        {"no line end at the end", "[HKLM\\A]\n[HKLM\\A]", u"A", true, 2},
        {"empty name", "[HKLM\\A\\\\B]\n[HKLM\\A\\]\n", u"A", false, 0},
        {"no header", "\"v\"=\"[HKLM\\A]\"\n[ HKLM\\A]\n[HKLM\\A\n", u"A", false, 0},
        {"blanks and a comment", "  [HKLM\\A] ; note\n", u"A", true, 1},
        {"outside ASCII", "[HKLM\\caf\xe9]\n[HKLM\\CAF\xc9\\x]\n", u"CAF\u00c9", true, 1},
    };
    for (const auto& c : cases)
        for (const std::u16string eol : {u"\r\n", u"\n"}) {
            std::u16string text = u"REGEDIT4" + eol;
            for (const char ch : c.body)
                text += ch == '\n' ? eol : std::u16string(1, static_cast<unsigned char>(ch));
            for (const std::string& bytes : {regfile::encodeText(text, 1), "\xFF\xFE" + regfile::encodeText(text, 2)}) {
                SCOPED_TRACE(std::string(c.name) + (eol.size() == 1 ? ", LF, " : ", CR LF, ") + std::to_string(bytes.size()));
                const IndexedFile f(bytes);
                const OracleKey plain = oracleLookup(oracleHeaders(f.text, f.bodyStart), f.text.size(), 2, c.key);
                EXPECT_EQ(std::pair(plain.exists, plain.sections.size()), std::pair(c.exists, c.sections));
                EXPECT_TRUE(f.lookup(2, c.key) == plain);
                EXPECT_EQ(indexDifference(bytes), "");
            }
        }
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const std::string bytes = generatedRegFile([&](unsigned n) { return static_cast<unsigned>(random() % n); });
        ASSERT_EQ(indexDifference(bytes), "") << "seed " << seed;
    }
}
