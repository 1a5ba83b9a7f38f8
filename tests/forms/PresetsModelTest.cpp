#include <gtest/gtest.h>

#include "FakeViews.h"
#include "presets/PresetStore.h"

namespace tavrel::test {

using P = PresetsControls;
using E = FormEvent;

// The first open creates the file; each slider shows in its own box; a double quote or line break, which would
// end a name in the file, is dropped as it is typed; "OK" stores what is shown and tells the main window.
TEST(PresetsModel, FirstOpenCreatesTheFileAndOkStoresWhatIsShown)
{
    FormFixture f;
    FakePresets view;
    PresetsModel editor(f.state, view);
    editor.Form_Load();
    EXPECT_EQ(readBytes(f.presetPath), renderPresetFile(editorDefaultPresets()));
    for (int k = 1; k <= 8; ++k) { // slider k moves k steps, by a click or a drag
        view.sliders[P::IDC_Slider1 + k - 1] += k;
        EXPECT_TRUE(editor.handle(P::IDC_Slider1 + k - 1, k < 5 ? E::Click : E::Scroll));
    }
    EXPECT_EQ(view.shown(),
        "Preset 1/301/122/Preset 2/303/124/Preset 3/305/126/Preset 4/307/128/301/122/303/124/305/126/307/128");
    const struct { int box; const char* typed; int caret; const char* kept; int keptCaret; } names[] = {
        { P::IDC_Text1, "F\"a\r\nst", 5, "Fast", 2 }, { P::IDC_Text4, "a\"b", 3, "ab", 2 },
        { P::IDC_Text7, "x,y", 1, "x,y", 1 }, { P::IDC_Text10, "\"", 1, "", 0 } };
    for (const auto& n : names) {
        SCOPED_TRACE(n.typed);
        view.texts[n.box] = n.typed, view.carets[n.box] = n.caret;
        editor.handle(n.box, E::Change);
        EXPECT_EQ(view.texts[n.box], n.kept);
        EXPECT_EQ(view.carets[n.box], n.keptCaret);
    }
    EXPECT_FALSE(editor.handle(P::IDC_Text2, E::Change)); // a value box has no handler
    editor.handle(P::IDC_Command1, E::Click);
    EXPECT_EQ(f.state.PresetTable[0].Name, "Fast");
    EXPECT_EQ(f.state.PresetTable[3].MemoryClock.toText(), "307");
    EXPECT_EQ(readBytes(f.presetPath), renderPresetFile(f.state.PresetTable));
    EXPECT_EQ(view.stored, 1);
    EXPECT_EQ(view.closed, 1);
    EXPECT_TRUE(view.messages.empty());
}

// The editor loads the file anew, a clock that is no number in its box only; "Cancel" stores nothing. A file
// that cannot be written keeps what it held, and "OK" says so but still uses the presets entered.
TEST(PresetsModel, OpenShowsTheFileAndCancelOrAFailedSaveLeavesIt)
{
    const std::string file = "\"A\"\r\n\"450\"\r\n\"fast\"\r\n\"B\"\r\n700\r\n99\r\n"
                             "\"C\"\r\n300\r\n120\r\n\"D\"\r\n300\r\n110\r\n";
    for (const bool cancel : { true, false }) {
        SCOPED_TRACE(cancel ? "Cancel" : "OK, failing");
        FormFixture f;
        writeBytes(f.presetPath, file);
        f.state.PresetTable[0].Name = "changed since start";
        FakePresets view;
        PresetsModel editor(f.state, view);
        editor.Form_Load();
        EXPECT_EQ(view.shown(), "A/450/fast/B/700/99/C/300/120/D/300/110/450/100/600/100/300/120/300/110");
        view.texts[P::IDC_Text1] = "Other";
        if (!cancel) // the file's place is taken by a folder that cannot be replaced
            std::filesystem::remove(f.presetPath), std::filesystem::create_directories(f.presetPath / "x");
        editor.handle(cancel ? P::IDC_Command2 : P::IDC_Command1, E::Click);
        EXPECT_EQ(view.closed, 1);
        EXPECT_EQ(view.stored, cancel ? 0 : 1);
        EXPECT_EQ(f.state.PresetTable[0].Name, cancel ? "A" : "Other");
        if (cancel) {
            EXPECT_EQ(readBytes(f.presetPath), file);
        }
        ASSERT_EQ(view.messages.size(), cancel ? 0u : 1u);
        for (const std::string& m : view.messages)
            EXPECT_TRUE(m.starts_with("The presets could not be saved; the preset file keeps its previous presets.")
                && m.find(f.presetPath.filename().string()) != std::string::npos)
                << m;
    }
}

// Several adapters: the choice opens beside the main window, which then shows and writes the chosen adapter. The
// core clock under "0000" is no number: "Reset" must then not bring back the other card's.
TEST(WarningModel, ChoiceMakesTheMainWindowShowAndWriteThatAdapter)
{
    using W = WarningControls;
    using M = MainfrmControls;
    const char* const tnt2[] = { "183/183 143/143", "183/183 143/143" };
    const char* const geforce[] = { "166/166 fast/143", "166/166 0/100" }; // as chosen, and after "Reset"
    const struct { std::vector<int> steps; const char* key; const char* const* clocks; } cases[] = {
        { { W::IDC_Command1 }, "0000", geforce },
        { { W::IDC_Option2, W::IDC_Option1, W::IDC_Command1 }, "0000", geforce },
        { { W::IDC_Option2, W::IDC_Command1 }, "0002", tnt2 },
        { { W::IDC_Option2, W::IDC_Command2 }, "0002", tnt2 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.steps));
        FormFixture f(false);
        f.reg.addTwoAdapters();
        f.reg.putText(driverSettingsPath("0000"), kGrfxClock, "fast");
        ASSERT_TRUE(f.mainfrm.Form_Load());
        EXPECT_EQ(f.main.choices, 1);
        FakeWarning view;
        WarningModel choice(f.state, view);
        choice.Form_Load();
        EXPECT_EQ(view.checked, W::IDC_Option1);
        for (int step : c.steps)
            EXPECT_TRUE(choice.handle(step, E::Click));
        EXPECT_EQ(view.closed, 1);
        EXPECT_EQ(f.state.AdapterKey, c.key);
        if (view.changed)
            f.mainfrm.showAdapter(); // as the window passes the news on
        EXPECT_EQ(view.changed, c.key == std::string("0000") ? 1 : 0);
        EXPECT_EQ(f.main.clocks(), c.clocks[0]);
        f.mainfrm.handle(M::IDC_Command3, E::Click);
        EXPECT_EQ(f.main.clocks(), c.clocks[1]);
        f.main.sliders[M::IDC_Slider2] = 300;
        f.mainfrm.handle(M::IDC_Slider2, E::Click);
        f.mainfrm.handle(M::IDC_Command1, E::Click);
        EXPECT_EQ(f.reg.find(driverSettingsPath(c.key), kGrfxClock)->data, dwordBytes(300));
    }
}

} // namespace tavrel::test
