// The preset file "TAVRL.CFG": the worked examples, the layouts it is read
// in, and when it counts as missing. Each file step failing in turn is
// covered by the fault injection tests.
#include <gtest/gtest.h>

#include <vector>

#include "presets/PresetStore.h"
#include "support/RegistryFixture.h"
#include "support/TempDir.h"

using namespace tavrel;
using tavrel::test::TempDir;

namespace {

namespace fs = std::filesystem;

LooseValue i16(int n)
{
    return LooseValue(static_cast<std::int16_t>(n));
}

const std::string example1 = "\"Preset 1\"\r\n300\r\n120\r\n\"Preset 2\"\r\n300\r\n120\r\n"
                             "\"Preset 3\"\r\n300\r\n120\r\n\"Preset 4\"\r\n300\r\n120\r\n";
const std::string example2 = "\"Preset 1\"\r\n\"300\"\r\n\"120\"\r\n\"Preset 2\"\r\n\"300\"\r\n\"120\"\r\n"
                             "\"Preset 3\"\r\n\"300\"\r\n\"120\"\r\n\"Preset 4\"\r\n\"300\"\r\n120\r\n";

// What the editor stores on "OK" without changes: texts everywhere but entry 4's core clock.
ClockPresetTable editorTextTable()
{
    ClockPresetTable t = editorDefaultPresets();
    for (auto& p : t)
        p = { p.Name, LooseValue("300"), LooseValue("120") };
    t[3].CoreClock = i16(120);
    return t;
}

// A table whose every field differs from anything the cases read, to show which fields a read left alone.
ClockPresetTable oldTable()
{
    ClockPresetTable t;
    for (auto& p : t)
        p = { "old", LooseValue("old"), LooseValue("old") };
    t[3].CoreClock = i16(-7);
    return t;
}

ClockPresetTable parsed(std::string_view bytes)
{
    ClockPresetTable t = oldTable();
    parsePresetFile(bytes, t);
    return t;
}

} // namespace

TEST(PresetStore, WorkedExamplesAreWrittenByteForByteAndReadBack)
{
    for (const auto& [table, bytes] :
        { std::pair { editorDefaultPresets(), example1 }, { editorTextTable(), example2 } }) {
        TempDir dir;
        ASSERT_FALSE(WritePresetFile(test::presetFileIn(dir.path()), table));
        EXPECT_EQ(test::readBytes(dir / "TAVRL.CFG"), bytes);
        ClockPresetTable back = initialPresetTable();
        ASSERT_FALSE(ReadPresetFile(test::presetFileIn(dir.path()), back));
        EXPECT_EQ(back, table);
    }
    EXPECT_EQ(renderPresetFile(startDefaultPresets()),
        "\"Preset 1\"\r\n330\r\n120\r\n\"Preset 2\"\r\n330\r\n120\r\n"
        "\"Preset 3\"\r\n330\r\n120\r\n\"Preset 4\"\r\n330\r\n120\r\n");
}

TEST(PresetStore, ReadsEveryLayoutOfTheTwelveFieldsAlike)
{
    const std::vector<std::string> fields = { "\"A\"", "300", "120", " \"B, b\" junk", "\"301\"", "\"121\"", "C  ",
        "70000", "12.5", "\"D \"\"", "1e2", "121.5" };
    const ClockPresetTable expected
        = { { { "A", i16(300), i16(120) }, { "B, b", LooseValue("301"), LooseValue("121") },
            { "C", LooseValue(std::int32_t { 70000 }), LooseValue(12.5) }, { "D ", LooseValue(100.0), i16(122) } } };
    for (const char* sep : { "\r\n", ",", "\n", "\r" }) {
        std::string bytes;
        for (const auto& f : fields)
            bytes += f + sep;
        bytes += "\"ignored\",13th";
        SCOPED_TRACE(bytes);
        EXPECT_EQ(parsed(bytes), expected);
    }
}

TEST(PresetStore, ShortOrOddFilesFillWhatTheyHold)
{
    ClockPresetTable seven = oldTable();
    seven[0] = { "A", i16(1), i16(2) };
    seven[1] = { "B", i16(3), i16(4) };
    seven[2].Name = "C";
    EXPECT_EQ(parsed("\"A\"\r\n1\r\n2\r\n\"B\"\r\n3\r\n4\r\n\"C\"\r\n"), seven);

    // Empty fields, a quoted empty text, a word, and a field that is no plain decimal.
    const ClockPresetTable odd
        = { { { "", LooseValue(), LooseValue("") }, { "x", LooseValue("word"), LooseValue("&H10") },
            { "", i16(-5), LooseValue(std::int32_t { -32769 }) }, { "", LooseValue("1e400"), i16(0) } } };
    EXPECT_EQ(parsed(",\r\n  \"\"\r\nx,  word  ,&H10\r\n\r\n-5,-32769\r\n,1e400,\r\n"), odd);
}

TEST(PresetStore, EntryFourCoreTakesOnlyA16BitNumberRoundedHalfToEven)
{
    const std::pair<const char*, int> cases[] = { { "120.5", 120 }, { "121.5", 122 }, { "\"121.5\"", 122 },
        { "-32768", -32768 }, { "", 0 }, { "word", -7 }, { "\"word\"", -7 }, { "32768", -7 }, { "32767.5", -7 } };
    for (const auto& [field, expected] : cases) {
        SCOPED_TRACE(field);
        const ClockPresetTable t = parsed(std::string("a,b,c,d,e,f,g,h,i,j,450,") + field + "\r\n");
        EXPECT_EQ(t[3].CoreClock, i16(expected));
        EXPECT_EQ(t[3].MemoryClock, i16(450));
    }
}

TEST(PresetStore, ValuesSurviveARoundTrip)
{
    ClockPresetTable t = editorTextTable();
    t[0].Name = "Fast, quiet";
    t[1].MemoryClock = LooseValue(3e9);
    t[1].CoreClock = LooseValue(300.5);
    t[2].MemoryClock = LooseValue(std::int32_t { -70000 });
    t[2].CoreClock = LooseValue();
    t[3].Name = "Say \"hi\"";
    ClockPresetTable back = parsed(renderPresetFile(t));
    EXPECT_EQ(back[3].Name, "Say ");
    back[3].Name = t[3].Name;
    EXPECT_EQ(back, t);
}

// Only a file that is not there in a folder that is counts as missing; any
// other file that cannot be read leaves the table as it was.
TEST(PresetStore, OnlyAnAbsentFileIsMissing)
{
    const FaultHook refused = [](FileStep step, const fs::path&) {
        return step == FileStep::Open ? std::make_error_code(std::errc::permission_denied) : std::error_code {};
    };
    const FaultHook gone = [](FileStep step, const fs::path&) {
        return step == FileStep::Open ? std::make_error_code(std::errc::no_such_file_or_directory)
                                      : std::error_code {};
    };
    const struct {
        const char* name;
        std::string_view make; // "file", "folder" or nothing at the file's place
        FaultHook faults;
        PresetFileState state;
    } cases[] = { { "no file", "", {}, PresetFileState::Missing },
        { "open refused", "file", refused, PresetFileState::Present },
        { "a folder", "folder", {}, PresetFileState::Present },
        { "reported missing", "file", gone, PresetFileState::Missing } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (c.make == "file")
            test::writeBytes(dir / "TAVRL.CFG", example1);
        if (c.make == "folder")
            fs::create_directory(dir / "TAVRL.CFG");
        EXPECT_EQ(ProbePresetFile(test::presetFileIn(dir.path(), c.faults)), c.state);
        ClockPresetTable t = oldTable();
        EXPECT_EQ(ReadPresetFile(test::presetFileIn(dir.path(), c.faults), t).path, dir.path() / "TAVRL.CFG");
        EXPECT_EQ(t, oldTable());
    }

    // A folder that cannot exist is no reason for defaults, and cannot be
    // written; a folder not made yet is made by the first save.
    TempDir dir;
    test::writeBytes(dir / "file", "x");
    EXPECT_EQ(ProbePresetFile(test::presetFileIn(dir / "file")), PresetFileState::Present);
    EXPECT_EQ(ProbePresetFile(test::presetFileIn(dir / "gone")), PresetFileState::Missing);
    const FileError err = WritePresetFile(test::presetFileIn(dir / "file"), editorDefaultPresets());
    EXPECT_EQ(err.path, dir / "file" / "TAVRL.CFG");
    EXPECT_NE(err.message().find((dir / "file" / "TAVRL.CFG").string()), std::string::npos) << err.message();
    EXPECT_FALSE(WritePresetFile(test::presetFileIn(dir / "gone" / "deeper"), editorDefaultPresets()));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "gone" / "deeper" / "TAVRL.CFG"));
    EXPECT_EQ(test::readBytes(dir / "file"), "x");
}
