#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <vector>

#include "presets/PresetStore.h"
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

FaultHook failAt(FileStep step, std::errc reason)
{
    return [=](FileStep s, const fs::path&) { return s == step ? std::make_error_code(reason) : std::error_code {}; };
}

} // namespace

TEST(PresetStore, WorkedExamplesAreWrittenByteForByteAndReadBack)
{
    struct Case {
        const char* name;
        ClockPresetTable table;
        const std::string& bytes;
        std::size_t size;
    } cases[] = {
        { "editor defaults", editorDefaultPresets(), example1, 88 },
        { "editor texts", editorTextTable(), example2, 102 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_FALSE(WritePresetFile(dir.path(), c.table));
        const std::string written = test::readBytes(dir / "TAVRL.CFG");
        EXPECT_EQ(written, c.bytes);
        EXPECT_EQ(written.size(), c.size);
        ClockPresetTable back = initialPresetTable();
        ASSERT_FALSE(ReadPresetFile(dir.path(), back));
        EXPECT_EQ(back, c.table);
    }
    std::string start = example1;
    for (std::size_t p = start.find("300"); p != std::string::npos; p = start.find("300", p))
        start.replace(p, 3, "330");
    EXPECT_EQ(renderPresetFile(startDefaultPresets()), start);
}

TEST(PresetStore, ReadsEveryLayoutOfTheTwelveFieldsAlike)
{
    const std::vector<std::string> fields = { "\"A\"", "300", "120", " \"B, b\" junk", "\"301\"", "\"121\"", "C  ",
        "70000", "12.5", "\"D \"\"", "1e2", "121.5" };
    const ClockPresetTable expected
        = { { { "A", i16(300), i16(120) }, { "B, b", LooseValue("301"), LooseValue("121") },
            { "C", LooseValue(std::int32_t { 70000 }), LooseValue(12.5) }, { "D ", LooseValue(100.0), i16(122) } } };
    const char* separators[] = { "\r\n", ",", "\n", "\r" };
    for (const char* sep : separators) {
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
    struct Case {
        const char* field;
        int expected;
    } cases[] = { { "120.5", 120 }, { "121.5", 122 }, { "\"121.5\"", 122 }, { "-32768", -32768 }, { "", 0 },
        { "word", -7 }, { "\"word\"", -7 }, { "32768", -7 }, { "32767.5", -7 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const ClockPresetTable t = parsed(std::string("a,b,c,d,e,f,g,h,i,j,450,") + c.field + "\r\n");
        EXPECT_EQ(t[3].CoreClock, i16(c.expected));
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

TEST(PresetStore, AFileThatCannotBeReadIsPresentAndLeavesTheTable)
{
    struct Case {
        const char* name;
        bool makeFile;
        bool makeDirectory;
        FaultHook faults;
        PresetFileState state;
    } cases[] = { { "no file", false, false, {}, PresetFileState::Missing },
        { "open refused", true, false, failAt(FileStep::Open, std::errc::permission_denied),
            PresetFileState::Present },
        { "read fails", true, false, failAt(FileStep::Read, std::errc::io_error), PresetFileState::Present },
        { "a directory", false, true, {}, PresetFileState::Present },
        { "reported missing", true, false, failAt(FileStep::Open, std::errc::no_such_file_or_directory),
            PresetFileState::Missing } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (c.makeFile)
            test::writeBytes(dir / "TAVRL.CFG", example1);
        if (c.makeDirectory)
            fs::create_directory(dir / "TAVRL.CFG");
        EXPECT_EQ(ProbePresetFile(dir.path(), c.faults), c.state);
        ClockPresetTable t = oldTable();
        const FileError err = ReadPresetFile(dir.path(), t, c.faults);
        EXPECT_TRUE(err);
        EXPECT_EQ(err.path, PresetFilePath(dir.path()));
        EXPECT_EQ(t, oldTable());
    }

    // A folder that cannot exist is no reason for defaults either.
    TempDir dir;
    test::writeBytes(dir / "file", "x");
    EXPECT_EQ(ProbePresetFile(dir / "file"), PresetFileState::Present);
    EXPECT_EQ(ProbePresetFile(dir / "gone"), PresetFileState::Present);
}

TEST(PresetStore, AFailedSaveIsReportedAndKeepsTheOldFile)
{
    const FileStep steps[] = { FileStep::CreateTemp, FileStep::Write, FileStep::Flush, FileStep::Rename };
    for (FileStep step : steps) {
        SCOPED_TRACE(fileStepName(step));
        TempDir dir;
        test::writeBytes(dir / "TAVRL.CFG", example1);
        const FileError err
            = WritePresetFile(dir.path(), editorTextTable(), failAt(step, std::errc::no_space_on_device));
        ASSERT_TRUE(err);
        EXPECT_EQ(err.step, step);
        EXPECT_NE(err.message().find(PresetFilePath(dir.path()).string()), std::string::npos);
        EXPECT_EQ(test::readBytes(dir / "TAVRL.CFG"), example1);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }

    TempDir dir;
    test::writeBytes(dir / "file", "x");
    const FileError err = WritePresetFile(dir / "file", editorDefaultPresets());
    ASSERT_TRUE(err);
    EXPECT_EQ(err.path, PresetFilePath(dir / "file"));
    EXPECT_EQ(test::readBytes(dir / "file"), "x");
}
