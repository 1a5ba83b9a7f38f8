#include <functional>

#include "Win32Fixture.h"

namespace tavrel::test {

using M = Mainfrm;

// The preset file found at start names the options; one that cannot be read is named, with the reason.
TEST(Mainfrm, StartShowsTheAdapterAndNamesTheOptions)
{
    const struct {
        const char* file;
        const char* options;
    } cases[] = { // file: none, or "" for a folder
        { nullptr, "Preset 1|Preset 2|Preset 3|Preset 4" },
        { "\"A&B\"\r\n1\r\n2\r\n\"\xDC\x62\x65r\"\r\n", "A&&B|\xDC\x62\x65r||" }, // Windows-1252 as it stands
        { "", "|||" }
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        Win32Fixture f;
        if (c.file)
            *c.file ? writeBytes(f.presetPath, c.file) : void(std::filesystem::create_directory(f.presetPath));
        ASSERT_TRUE(f.start());
        EXPECT_TRUE(::IsWindowVisible(f.main) && f.okEnabled()); // "OK" is ready from the start
        EXPECT_EQ(text(f.main, M::IDC_Text3),
            "Manufacturer : Creative Labs\r\nDriver             : \r\n"
            "Card type       : GeForceDDR\r\nDriver date     : ");
        EXPECT_EQ(text(f.main, M::IDC_Option1) + "|" + text(f.main, M::IDC_Option2) + "|"
                + text(f.main, M::IDC_Option3) + "|" + text(f.main, M::IDC_Option4),
            c.options);
        EXPECT_EQ(std::filesystem::exists(f.presetPath), c.file != nullptr); // start creates no file
        ASSERT_EQ(f.messages.size(), c.file && !*c.file ? 1u : 0u);
        const std::string named = f.presetPath.filename().string() + "\": "; // the file, then the system's reason
        for (const std::string& m : f.messages)
            EXPECT_TRUE(m.find(named) != std::string::npos && !m.ends_with(named)) << m;
    }
    Win32Fixture none(false);
    EXPECT_EQ(none.start(), nullptr);
    EXPECT_EQ(none.messages, std::vector<std::string> { kNoAdapterMessage });
    EXPECT_TRUE(openWindows().empty());
}

// Every way of moving a clock shows in its other control and enables "OK"; the program's own texts run the
// change handlers too.
TEST(Mainfrm, SlidersAndBoxesKeepInStep)
{
    Win32Fixture f;
    ASSERT_TRUE(f.start());
    f.state.PresetTable[2] = { "", LooseValue("999"), LooseValue("fast") }; // past the slider's end; no number
    const auto enter = [&](int button) { // Enter presses the focused button, as none is the default
        ::SetFocus(control(f.main, button));
        ::SendMessageA(f.main, WM_COMMAND, IDOK, 0);
    };
    const struct {
        const char* name;
        std::function<void()> act;
        const char* clocks;
    } steps[] = { { "drag", [&] { slide(f.main, M::IDC_Slider1, 600, TB_THUMBTRACK); }, "600/600 135/135" },
        { "click", [&] { slide(f.main, M::IDC_Slider2, 100, TB_PAGEUP); }, "600/600 100/100" },
        { "key", [&] { slide(f.main, M::IDC_Slider2, 101, TB_LINEDOWN); }, "600/600 101/101" },
        { "box", [&] { type(f.main, M::IDC_Text1, " 300.5 "); }, " 300.5 /300 101/101" },
        { "Reset", [&] { click(f.main, M::IDC_Command3); }, "450/450 135/135" },
        { "Defaults", [&] { enter(M::IDC_Command4); }, "300/300 120/120" },
        { "Defaults again", [&] { click(f.main, M::IDC_Command4); }, "300/300 120/120" },
        { "preset", [&] { click(f.main, M::IDC_Option3); }, "999/600 fast/120" } };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        click(f.main, M::IDC_Command1); // writes and disables "OK"
        ASSERT_FALSE(f.okEnabled());
        step.act();
        EXPECT_EQ(f.clocks(), step.clocks);
        EXPECT_TRUE(f.okEnabled());
    }
    EXPECT_TRUE(f.messages.empty());
}

// "OK" writes both clocks; or it says why not, writes nothing and stays enabled.
TEST(Mainfrm, OkWritesTheClocksOrSaysWhyNot)
{
    const struct {
        const char* preset1Memory;
        std::int32_t failSet;
        const char* message;
    } cases[] = { { "250", 0, nullptr }, { "250", 5, "memory clock (MemClock)" }, // the registry refuses
        { "0", 0, "memory clock \"0\"" }, { "\xE9", 0, "memory clock \"\xE9\"" } }; // no clock; shown in Windows-1252
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "written");
        Win32Fixture f;
        writeBytes(f.presetPath, std::string("\"P\"\r\n\"") + c.preset1Memory + "\"\r\n140\r\n");
        ASSERT_TRUE(f.start());
        click(f.main, M::IDC_Option1);
        f.reg.failSet = c.failSet;
        click(f.main, M::IDC_Command1);
        EXPECT_EQ(f.reg.find(driverSettingsPath("0000"), kMemClock)->data, dwordBytes(c.message ? 450 : 250));
        EXPECT_EQ(f.reg.find(driverSettingsPath("0000"), kGrfxClock)->data, dwordBytes(c.message ? 135 : 140));
        EXPECT_EQ(f.okEnabled(), c.message != nullptr);
        EXPECT_TRUE(c.message ? f.messages.size() == 1 && f.messages[0].find(c.message) != std::string::npos
                              : f.messages.empty())
            << testing::PrintToString(f.messages);
    }
}

} // namespace tavrel::test
