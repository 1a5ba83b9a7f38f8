#include "Win32Fixture.h"

namespace tavrel::test {

using P = Presets;

// The windows as the program starts them: the main window with its icon and logo and the adapter choice beside
// it; Enter presses the focused button; the editor opens once. The choice and the editor outlive the main window
// and still do their work; a double quote typed in a name is dropped. Without an adapter no window opens.
TEST(Win32Windows, StartAndChildWindowsOutliveTheMainWindow)
{
    Win32Fixture f(false);
    f.reg.addTwoAdapters();
    ASSERT_TRUE(f.start());
    HWND choice = window("Warning");
    ASSERT_TRUE(choice && ::IsWindowVisible(choice) && ::IsWindowVisible(f.main));
    EXPECT_TRUE(::SendMessageA(f.main, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(::SendMessageA(control(f.main, M::IDC_Picture1), STM_GETIMAGE, IMAGE_BITMAP, 0));
    ::SetFocus(control(f.main, M::IDC_Command4)); // Enter presses the focused button, as none is the default
    ::SendMessageA(f.main, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(f.clocks(), "300/300 120/120");
    HWND e = f.openEditor();
    ASSERT_TRUE(e && ::IsWindowVisible(e));
    EXPECT_EQ(f.openEditor(), e);
    click(f.main, M::IDC_Command2); // the main window's "Close"
    ASSERT_TRUE(!::IsWindow(f.main) && ::IsWindowVisible(e) && ::IsWindowVisible(choice));
    click(choice, Warning::IDC_Option2);
    click(choice, Warning::IDC_Command1);
    EXPECT_EQ(f.state.AdapterKey, "0002");
    type(e, P::IDC_Text1, "F\"ast");
    EXPECT_EQ(text(e, P::IDC_Text1), "Fast");
    click(e, P::IDC_Command1);
    EXPECT_TRUE(openWindows().empty());
    EXPECT_TRUE(readBytes(f.presetPath).starts_with("\"Fast\"\r\n\"300\"\r\n"));
    EXPECT_TRUE(f.messages.empty());

    Win32Fixture none(false);
    EXPECT_EQ(none.start(), nullptr);
    EXPECT_EQ(none.messages, std::vector<std::string> { kNoAdapterMessage });
    EXPECT_TRUE(openWindows().empty());
}

} // namespace tavrel::test
