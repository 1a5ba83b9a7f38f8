#include "Win32Fixture.h"

namespace tavrel::test {
namespace {

using M = Mainfrm;
using P = Presets;

// The boxes, then the sliders: entry k has boxes 3k-2 to 3k and sliders 2k-1 and 2k.
std::string shown(HWND e)
{
    std::string out;
    for (int i = 0; i < 12; ++i)
        out += text(e, P::IDC_Text1 + i) + "/";
    for (int i = 0; i < 8; ++i)
        out += std::to_string(sliderValue(control(e, P::IDC_Slider1 + i))) + (i < 7 ? "/" : "");
    return out;
}

} // namespace

// Each slider shows in its own box; the main window sees the presets on "OK" only. A double quote or a line break
// would end a name in the file: it is dropped.
TEST(Presets, FirstOpenCreatesTheFileAndOkStoresWhatIsShown)
{
    Win32Fixture f;
    ASSERT_TRUE(f.start());
    HWND e = f.openEditor();
    ASSERT_TRUE(e && ::IsWindowVisible(e));
    EXPECT_EQ(readBytes(f.presetPath), renderPresetFile(editorDefaultPresets()));
    for (int k = 1; k <= 8; ++k) // slider k moves k steps, by a click or a drag
        slide(e, P::IDC_Slider1 + k - 1, (k % 2 ? 300 : 120) + k, k < 5 ? TB_LINEDOWN : TB_THUMBTRACK);
    EXPECT_EQ(shown(e),
        "Preset 1/301/122/Preset 2/303/124/Preset 3/305/126/Preset 4/307/128/"
        "301/122/303/124/305/126/307/128");
    type(e, P::IDC_Text4, "F\"a\r\nst");
    EXPECT_EQ(text(e, P::IDC_Text4), "Fast");
    EXPECT_EQ(f.openEditor(), e); // a second press shows the open editor as it is
    EXPECT_EQ(text(e, P::IDC_Text4), "Fast");
    click(f.main, M::IDC_Option2);
    EXPECT_EQ(f.clocks(), "300/300 120/120");

    click(e, P::IDC_Command1);
    EXPECT_FALSE(window("Set presets"));
    EXPECT_EQ(text(f.main, M::IDC_Option2), "Fast");
    click(f.main, M::IDC_Option2);
    EXPECT_EQ(f.clocks(), "303/303 124/124");
    EXPECT_EQ(readBytes(f.presetPath), renderPresetFile(f.state.PresetTable));
    EXPECT_TRUE(f.messages.empty());
}

// The editor loads the file anew; "Cancel" or closing its frame stores nothing.
TEST(Presets, OpenShowsTheFileAndCancelLeavesEverything)
{
    const std::string file = "\"A\"\r\n\"450\"\r\n\"fast\"\r\n\"B\"\r\n700\r\n99\r\n"
                             "\"C\"\r\n300\r\n120\r\n\"D\"\r\n300\r\n110\r\n";
    for (bool byFrame : { false, true }) {
        SCOPED_TRACE(byFrame ? "frame" : "Cancel");
        Win32Fixture f;
        writeBytes(f.presetPath, file);
        ASSERT_TRUE(f.start());
        f.state.PresetTable[0].Name = "changed since start";
        HWND e = f.openEditor();
        ASSERT_TRUE(e);
        EXPECT_EQ(shown(e), "A/450/fast/B/700/99/C/300/120/D/300/110/450/100/600/100/300/120/300/110");
        type(e, P::IDC_Text1, "Other");
        slide(e, P::IDC_Slider1, 451, TB_LINEDOWN);
        byFrame ? void(::SendMessageA(e, WM_CLOSE, 0, 0)) : click(e, P::IDC_Command2);
        EXPECT_FALSE(window("Set presets"));
        EXPECT_EQ(readBytes(f.presetPath), file);
        EXPECT_EQ(text(f.main, M::IDC_Option1), "A");
    }
}

// The choice opens beside the main window, which then shows and writes the chosen adapter. The core clock under
// "0000" is no number: "Reset" must then not bring back the other card's. The choice and the editor outlive the
// main window.
TEST(Warning, ChoiceMakesTheMainWindowShowAndWriteThatAdapter)
{
    const char* const tnt2[] = { "183/183 143/143", "183/183 143/143" };
    const char* const geforce[] = { "166/166 fast/143", "166/166 0/100" }; // as chosen, and after "Reset"
    const struct {
        std::vector<int> steps;
        const char* key;
        const char* const* clocks;
    } cases[] = { { { Warning::IDC_Command1 }, "0000", geforce },
        { { Warning::IDC_Option2, Warning::IDC_Option1, Warning::IDC_Command1 }, "0000", geforce },
        { { Warning::IDC_Option2, Warning::IDC_Command1 }, "0002", tnt2 },
        { { Warning::IDC_Option2, Warning::IDC_Command2 }, "0002", tnt2 },
        { { Warning::IDC_Option2, 0 }, "0002", tnt2 } }; // 0: closed by its frame
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.steps));
        Win32Fixture f(false);
        f.addAdapter(0, "GeForceSDR", 166, 120);
        f.addAdapter(2, "TNT2ULTRA", 183, 143);
        f.reg.putText(driverSettingsPath("0000"), kGrfxClock, "fast");
        ASSERT_TRUE(f.start());
        HWND choice = window("Warning");
        ASSERT_TRUE(choice && ::IsWindowVisible(choice) && ::IsWindowVisible(f.main));
        for (int step : c.steps)
            step ? click(choice, step) : void(::SendMessageA(choice, WM_CLOSE, 0, 0));
        EXPECT_FALSE(window("Warning"));
        EXPECT_EQ(f.state.AdapterKey, c.key);
        EXPECT_EQ(f.clocks(), c.clocks[0]);
        click(f.main, M::IDC_Command3);
        EXPECT_EQ(f.clocks(), c.clocks[1]);
        slide(f.main, M::IDC_Slider2, 300, TB_BOTTOM);
        click(f.main, M::IDC_Command1);
        EXPECT_EQ(f.reg.find(driverSettingsPath(c.key), kGrfxClock)->data, dwordBytes(300));
    }

    Win32Fixture f(false);
    f.addAdapter(0, "GeForceSDR", 166, 120);
    f.addAdapter(2, "TNT2ULTRA", 183, 143);
    ASSERT_TRUE(f.start());
    HWND e = f.openEditor(), choice = window("Warning");
    click(f.main, M::IDC_Command2); // the main window's "Close"
    ASSERT_TRUE(!::IsWindow(f.main) && ::IsWindowVisible(e) && ::IsWindowVisible(choice));
    click(choice, Warning::IDC_Command1);
    EXPECT_EQ(f.state.AdapterKey, "0000");
    click(e, P::IDC_Command1);
    EXPECT_TRUE(openWindows().empty());
    EXPECT_TRUE(readBytes(f.presetPath).starts_with("\"Preset 1\"\r\n\"300\"\r\n")); // the boxes' texts
}

} // namespace tavrel::test
