#include <gtest/gtest.h>

#include "GuiFixture.h"

namespace tavrel::test {
// The choice opens beside the main window, which then shows and writes the chosen adapter. "~" chooses by an
// assistive technology's toggle action. The core clock under "0000" is no number: "Reset" must then not bring
// back the other card's.
TEST(Warning, ChoiceMakesTheMainWindowShowAndWriteThatAdapter)
{
    const char* const tnt2[] = {"183/183 143/143", "183/183 143/143"};
    const char* const geforce[] = {"166/166 fast/143", "166/166 0/100"}; // as chosen, and after "Reset"
    const struct { std::vector<const char*> steps; const char* key; const char* const* clocks; } cases[] = {
        {{"Command1"}, "0000", geforce},
        {{"Option2", "Option1", "Command1"}, "0000", geforce},
        {{"Option2", "Command1"}, "0002", tnt2},
        {{"~Option2", "Command1"}, "0002", tnt2},
        {{"~Option2", "~Option1", "Command1"}, "0000", geforce},
        {{"Command2"}, "0002", tnt2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringList(c.steps.begin(), c.steps.end()).join(' ').toStdString());
        GuiFixture f(false);
        f.addAdapter(0, "GeForceSDR", 166, 120);
        f.addAdapter(2, "TNT2ULTRA", 183, 143);
        f.reg.putText(driverSettingsPath("0000"), kGrfxClock, "fast");
        ASSERT_TRUE(f.start());
        QWidget* choice = window("Warning");
        ASSERT_TRUE(choice && f.main->isVisible());
        for (const char* step : c.steps)
            *step == '~' ? toggle(f.child(step + 1, choice)) : f.click(step, choice);
        EXPECT_FALSE(window("Warning"));
        EXPECT_EQ(f.state.AdapterKey, c.key);
        EXPECT_EQ(f.clocks(), c.clocks[0]);
        f.click("Command3");
        EXPECT_EQ(f.clocks(), c.clocks[1]);
        QTest::keyClick(f.child<QSlider>("Slider2"), Qt::Key_End);
        f.click("Command1");
        EXPECT_EQ(f.reg.find(driverSettingsPath(c.key), kGrfxClock)->data, dwordBytes(300));
    }
}

} // namespace tavrel::test
