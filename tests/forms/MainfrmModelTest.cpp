#include <functional>

#include <gtest/gtest.h>

#include "FakeViews.h"

namespace tavrel::test {

using M = MainfrmControls;
using E = FormEvent;

// The preset file found at start names the options; one that cannot be read is named, with the reason. Without
// an adapter the window does not open.
TEST(MainfrmModel, StartShowsTheAdapterAndNamesTheOptions)
{
    const struct {
        const char* file; // none, or "" for a folder
        const char* options;
    } cases[] = { { nullptr, "Preset 1|Preset 2|Preset 3|Preset 4" },
        { "\"A&B\"\r\n1\r\n2\r\n\"\xDC\x62\x65r\"\r\n", "A&&B|\xDC\x62\x65r||" }, { "", "|||" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        FormFixture f;
        if (c.file)
            *c.file ? writeBytes(f.presetPath, c.file) : void(std::filesystem::create_directory(f.presetPath));
        ASSERT_TRUE(f.mainfrm.Form_Load());
        EXPECT_TRUE(f.main.disabled.empty()); // "OK" is ready from the start
        EXPECT_EQ(f.main.texts[M::IDC_Text3],
            "Manufacturer : Creative Labs\nDriver             : \nCard type       : GeForceDDR\nDriver date     : ");
        EXPECT_EQ(f.main.clocks(), "450/450 135/135");
        EXPECT_EQ(f.main.texts[M::IDC_Option1] + "|" + f.main.texts[M::IDC_Option2] + "|"
                + f.main.texts[M::IDC_Option3] + "|" + f.main.texts[M::IDC_Option4],
            c.options);
        EXPECT_EQ(std::filesystem::exists(f.presetPath), c.file != nullptr); // start creates no file
        EXPECT_EQ(f.main.choices, 0);
        ASSERT_EQ(f.main.messages.size(), c.file && !*c.file ? 1u : 0u);
        const std::string named = "\"" + f.presetPath.string() + "\""; // the file, then the reason
        for (const std::string& m : f.main.messages)
            EXPECT_TRUE(m.starts_with("The presets could not be read") && m.find(named) != std::string::npos
                && !m.ends_with(named))
                << m;
    }
    FormFixture none(false);
    EXPECT_FALSE(none.mainfrm.Form_Load());
    EXPECT_EQ(none.main.messages, std::vector<std::string> { kNoAdapterMessage });
}

// Every way of moving a clock shows in its other control and enables "OK"; setting a box runs its change handler.
TEST(MainfrmModel, SlidersAndBoxesKeepInStep)
{
    FormFixture f;
    ASSERT_TRUE(f.mainfrm.Form_Load());
    f.state.PresetTable[2] = { "", LooseValue("999"), LooseValue("fast") }; // past the slider's end; no number
    const auto slide = [&](int slider, int value, E event) {
        return [=, &f] { f.main.sliders[slider] = value, f.mainfrm.handle(slider, event); };
    };
    const struct { const char* name; std::function<void()> act; const char* clocks; } steps[] = {
        { "drag", slide(M::IDC_Slider1, 600, E::Scroll), "600/600 135/135" },
        { "click", slide(M::IDC_Slider2, 100, E::Click), "600/600 100/100" },
        { "drag 2", slide(M::IDC_Slider2, 101, E::Scroll), "600/600 101/101" },
        { "click 1", slide(M::IDC_Slider1, 599, E::Click), "599/599 101/101" },
        { "box", [&] { f.main.texts[M::IDC_Text1] = " 300.5 ", f.mainfrm.handle(M::IDC_Text1, E::Change); },
            " 300.5 /300 101/101" },
        { "box 2", [&] { f.main.texts[M::IDC_Text2] = "250", f.mainfrm.handle(M::IDC_Text2, E::Change); },
            " 300.5 /300 250/250" },
        { "Reset", [&] { f.mainfrm.handle(M::IDC_Command3, E::Click); }, "450/450 135/135" },
        { "Defaults", [&] { f.mainfrm.handle(M::IDC_Command4, E::Click); }, "300/300 120/120" },
        { "Defaults again", [&] { f.mainfrm.handle(M::IDC_Command4, E::Click); }, "300/300 120/120" },
        { "preset", [&] { f.mainfrm.handle(M::IDC_Option3, E::Click); }, "999/600 fast/120" } };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        f.mainfrm.handle(M::IDC_Command1, E::Click); // writes and disables "OK"
        ASSERT_EQ(f.main.disabled, std::set<int> { M::IDC_Command1 });
        step.act();
        EXPECT_EQ(f.main.clocks(), step.clocks);
        EXPECT_TRUE(f.main.disabled.empty());
    }
    EXPECT_TRUE(f.main.messages.empty());
    EXPECT_EQ((f.main.sets[{ M::IDC_Text1, "999" }]), 1); // each choice of a preset sets each box once
    f.mainfrm.handle(M::IDC_Command5, E::Click); // "Set presets" and "Close" go to the window
    f.mainfrm.handle(M::IDC_Command2, E::Click);
    EXPECT_EQ(f.main.editors * 10 + f.main.closed, 11);
}

// "OK" writes both clocks; or it says why not, writes nothing and stays enabled.
TEST(MainfrmModel, OkWritesTheClocksOrSaysWhyNot)
{
    const struct { const char* preset1Memory; std::int32_t failSet; const char* message; } cases[] = {
        { "250", 0, nullptr }, { "250", 5, "memory clock (MemClock)" }, // the registry refuses
        { "0", 0, "memory clock \"0\"" }, { "-5", 0, "memory clock \"-5\"" }, // 0 or below: a file edited by hand
        { "\xE9", 0, "memory clock \"\xC3\xA9\"" } }; // no clock: named in UTF-8
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "written");
        FormFixture f;
        writeBytes(f.presetPath, std::string("\"P\"\r\n\"") + c.preset1Memory + "\"\r\n140\r\n");
        ASSERT_TRUE(f.mainfrm.Form_Load());
        f.mainfrm.handle(M::IDC_Option1, E::Click);
        f.reg.failSet = c.failSet;
        f.mainfrm.handle(M::IDC_Command1, E::Click);
        EXPECT_EQ(f.reg.find(driverSettingsPath("0000"), kMemClock)->data, dwordBytes(c.message ? 450 : 250));
        EXPECT_EQ(f.reg.find(driverSettingsPath("0000"), kGrfxClock)->data, dwordBytes(c.message ? 135 : 140));
        EXPECT_EQ(f.main.disabled.count(M::IDC_Command1), c.message ? 0u : 1u);
        EXPECT_TRUE(c.message ? f.main.messages.size() == 1 && f.main.messages[0].find(c.message) != std::string::npos
                              : f.main.messages.empty())
            << testing::PrintToString(f.main.messages);
    }
}

} // namespace tavrel::test
