// The preset file "TAVRL.CFG" and the table it holds; failing file steps are the fault injection tests' part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "presets/PresetStore.h"
#include "support/TempDir.h"

using namespace tavrel;
using tavrel::test::TempDir;
namespace fs = std::filesystem;

namespace {

LooseValue i16(int n) { return LooseValue(static_cast<std::int16_t>(n)); }

// Every field differs from what the cases read, to show which fields a read left alone.
ClockPresetTable oldTable()
{
    ClockPresetTable t;
    t.fill({"old", LooseValue("old"), LooseValue("old")});
    t[3].CoreClock = i16(-7);
    return t;
}

ClockPresetTable parsed(std::string_view bytes)
{
    ClockPresetTable t = oldTable();
    return parsePresetFile(bytes, t), t;
}

} // namespace

// The two default tables differ on purpose: 330 at start, 300 from the editor.
TEST(PresetStore, FileIsTwelveCrLfLinesWithQuotedTextsAndBareNumbers)
{
    // A text holding a double quote stands bare, so that it reads back whole and no later field shifts.
    const ClockPresetTable mixed = {{{"Fast, quiet", LooseValue("300"), LooseValue("120")},
                                     {"B\"b", LooseValue(std::int32_t{70000}), LooseValue("3\"0")},
                                     {"", LooseValue(), LooseValue("")}, {"D", LooseValue(250.75), i16(-120)}}};
    const std::pair<ClockPresetTable, std::string> cases[] = {
        {startDefaultPresets(), "\"Preset 1\"\r\n330\r\n120\r\n\"Preset 2\"\r\n330\r\n120\r\n"
                                "\"Preset 3\"\r\n330\r\n120\r\n\"Preset 4\"\r\n330\r\n120\r\n"},
        {editorDefaultPresets(), "\"Preset 1\"\r\n300\r\n120\r\n\"Preset 2\"\r\n300\r\n120\r\n"
                                 "\"Preset 3\"\r\n300\r\n120\r\n\"Preset 4\"\r\n300\r\n120\r\n"},
        {mixed, "\"Fast, quiet\"\r\n\"300\"\r\n\"120\"\r\nB\"b\r\n70000\r\n3\"0\r\n"
                "\"\"\r\n\r\n\"\"\r\n\"D\"\r\n250.75\r\n-120\r\n"},
    };
    for (const auto& [table, bytes] : cases) {
        TempDir dir; // the first save makes the folder
        const PresetFile file(dir / "tavrel" / "TAVRL.CFG");
        ClockPresetTable back = oldTable();
        ASSERT_FALSE(WritePresetFile(file, table) || ReadPresetFile(file, back));
        EXPECT_EQ(std::pair(test::readBytes(file.path.string()), back), std::pair(bytes, table));
    }
    // A quote that cannot stand bare (with a comma, or in front) becomes an apostrophe; nothing shifts.
    ClockPresetTable quoted = startDefaultPresets(), cleaned = quoted;
    quoted[0].Name = "\"q\", x", cleaned[0].Name = "'q', x";
    EXPECT_EQ(parsed(renderPresetFile(quoted)), cleaned);
}

// The one rule of every window and the command line: defaults only for a file that does not exist.
TEST(PresetStore, LoadTakesTheDefaultsOnlyWhenThereIsNoFileAndTellsWhichFieldsTheFileHeld)
{
    using enum PresetLoad::Source;
    const TempDir dir;
    const FaultHook failRead = [](FileStep step, const FilePath&) {
        return step == FileStep::Read ? std::make_error_code(std::errc::io_error) : std::error_code();
    };
    // The file's bytes (null: none), which defaults, whether reading fails; then what the load gives.
    const struct { const char* bytes; PresetDefaults defaults; bool fails; PresetLoad::Source source;
        std::size_t fields; ClockPresetTable table; } cases[] = {
        {nullptr, PresetDefaults::Start, false, Defaults, 0, startDefaultPresets()},
        {nullptr, PresetDefaults::Editor, false, Defaults, 0, editorDefaultPresets()},
        {"a,1,2,b,3,4,c", PresetDefaults::Editor, false, File, 7, parsed("a,1,2,b,3,4,c")},
        {"a,1,2", PresetDefaults::Start, true, Unreadable, 0, oldTable()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const PresetFile file(dir / "TAVRL.CFG", c.fails ? failRead : FaultHook());
        fs::remove(file.path.string());
        if (c.bytes)
            test::writeBytes(file.path.string(), c.bytes);
        ClockPresetTable table = oldTable();
        const PresetLoad load = loadPresets(file, table, c.defaults);
        EXPECT_EQ(std::tie(load.source, load.fields, table), std::tie(c.source, c.fields, c.table));
        EXPECT_EQ(fs::exists(file.path.string()), c.bytes || c.defaults == PresetDefaults::Editor); // start writes none
        const bool defaults = c.source == Defaults;
        EXPECT_EQ(std::pair(load.has(2, 0), load.has(2, 1)), std::pair(defaults || c.fields >= 7, defaults));
    }
}

TEST(PresetStore, ReadsEveryLayoutAndKeepsWhatAShortFileLacks)
{
    // A bare word, or a number too large for a double, stays a text (written back quoted, not as "inf").
    const std::string fields[] = {"\"A\"", "+300", "120", " \"B, b\" junk", "\"301\"", "\"121\"", "C  ", "-7",
                                  "1e400", "\"D \"\"", "word", "1e2"};
    const ClockPresetTable all = {{{"A", i16(300), i16(120)}, {"B, b", LooseValue("301"), LooseValue("121")},
                                   {"C", i16(-7), LooseValue("1e400")}, {"D ", LooseValue("word"), i16(100)}}};
    for (const char* sep : {"\r\n", ",", "\n", "\r"}) {
        std::string bytes;
        for (const auto& f : fields)
            bytes += f + sep;
        SCOPED_TRACE(bytes);
        EXPECT_EQ(parsed(bytes + "\"ignored\",13th"), all);
        ClockPresetTable seven = oldTable();
        std::copy_n(all.begin(), 2, seven.begin()), seven[2].Name = "C";
        EXPECT_EQ(parsed(bytes.substr(0, bytes.find("-7"))), seven);
    }
    // Entry 4's core clock holds only a 16-bit number; anything else keeps the old one.
    const std::pair<const char*, int> core4[] = {{"-32768", -32768}, {"\"32767\"", 32767}, {"", 0}, {"word", -7},
                                                 {"\"word\"", -7}, {"32768", -7}, {"-32769", -7}, {"1e10", -7}};
    for (const auto& [field, n] : core4)
        EXPECT_EQ(parsed(std::string("a,b,c,d,e,f,g,h,i,j,k,") + field + "\r\n")[3].CoreClock, i16(n)) << field;
}

TEST(PresetStore, EditorStoresTextsButEntryFourCoreAsANumber)
{
    ClockPresetTable expected = {{{"Preset 1", LooseValue("1"), LooseValue("2")}, {"Quiet", LooseValue(""), {"x"}},
                                  {"C", LooseValue("5"), LooseValue("6")}, {"Preset 4", LooseValue("7"), {}}}};
    const std::pair<const char*, int> core4[] = {{" 1.5e2 ", 150}, {"-32768", -32768}, {"32768", -7}, {"", -7}};
    for (const auto& [text, n] : core4) {
        ClockPresetTable t = oldTable();
        storePresetEntries(t, {{{"", "1", "2"}, {"Quiet", "", "x"}, {"C", "5", "6"}, {"", "7", text}}});
        expected[3].CoreClock = i16(n);
        EXPECT_EQ(t, expected) << text;
    }
}

TEST(PresetStore, FindPresetByNumberThenByExactName)
{
    ClockPresetTable t = startDefaultPresets();
    t[1].Name = "Quiet", t[3].Name = "1";
    const std::pair<const char*, std::optional<std::size_t>> cases[] = {{"1", 0}, {"4", 3}, {"Quiet", 1},
        {"Preset 3", 2}, {"0", {}}, {"5", {}}, {"quiet", {}}, {"Quiet ", {}}, {"01", {}}, {"", {}}};
    for (const auto& [text, entry] : cases)
        EXPECT_EQ(findPreset(t, text), entry) << text;
}

#ifndef _WIN32
TEST(PresetStore, FileLiesBesideTheProgramWhenThereElseUnderXdgConfigHome)
{
    TempDir dir;
    test::writeBytes(dir / "TAVRL.CFG", "");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    // The program's folder, XDG_CONFIG_HOME and HOME (null: unset), and where the file is.
    const fs::path bin = dir / "bin";
    const struct { fs::path program; const char *config, *home; fs::path expected; } cases[] = {
        {dir.path(), "/cfg", "/h", dir / "TAVRL.CFG"}, {bin, "/cfg", "/h", "/cfg/tavrel/TAVRL.CFG"},
        {bin, "rel/cfg", "/h", "/h/.config/tavrel/TAVRL.CFG"}, {bin, nullptr, "/h", "/h/.config/tavrel/TAVRL.CFG"},
        {bin, nullptr, nullptr, bin / "TAVRL.CFG"}};
    for (const auto& c : cases) {
        c.config ? setenv("XDG_CONFIG_HOME", c.config, 1) : unsetenv("XDG_CONFIG_HOME");
        c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        EXPECT_EQ(PresetFilePath(c.program), c.expected);
    }
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", home.c_str(), 1);
}
#endif
