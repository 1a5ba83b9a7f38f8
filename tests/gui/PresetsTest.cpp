#include <gtest/gtest.h>

#include "GuiFixture.h"

namespace tavrel::test {
namespace {

QWidget* openEditor(GuiFixture& f) { return f.click("Command5"), window("Presets"); } // "Set presets"

// The boxes, then the sliders: entry k has boxes 3k-2 to 3k and sliders 2k-1 and 2k.
std::string shown(QWidget* e)
{
    QStringList out;
    for (int i = 1; i <= 12; ++i)
        out << e->findChild<QLineEdit*>(QString("Text%1").arg(i))->text();
    for (int i = 1; i <= 8; ++i)
        out << QString::number(e->findChild<QSlider*>(QString("Slider%1").arg(i))->value());
    return out.join('/').toStdString();
}

void retype(QLineEdit* box, const char* text) { box->clear(), QTest::keyClicks(box, text); }

} // namespace

// Each slider shows in its own box; the main window sees the presets on "OK" only.
TEST(Presets, FirstOpenCreatesTheFileAndOkStoresWhatIsShown)
{
    GuiFixture f;
    ASSERT_TRUE(f.start());
    QWidget* e = openEditor(f);
    ASSERT_TRUE(e);
    EXPECT_EQ(readBytes(f.presetPath), renderPresetFile(editorDefaultPresets()));
    for (int k = 1; k <= 8; ++k) // slider k moves k steps
        for (int n = 0; n < k; ++n)
            QTest::keyClick(e->findChild<QSlider*>(QString("Slider%1").arg(k)), Qt::Key_Right);
    EXPECT_EQ(shown(e), "Preset 1/301/122/Preset 2/303/124/Preset 3/305/126/Preset 4/307/128/"
                        "301/122/303/124/305/126/307/128");
    dragSlider(f.child<QSlider>("Slider3", e), -40);
    const QString dragged = f.child<QLineEdit>("Text5", e)->text();
    EXPECT_TRUE(dragged.toInt() < 300 && dragged.toInt() == f.child<QSlider>("Slider3", e)->value());
    retype(f.child<QLineEdit>("Text4", e), "Fast");
    EXPECT_EQ(openEditor(f), e); // a second press shows the open editor as it is
    EXPECT_EQ(f.child<QLineEdit>("Text4", e)->text(), "Fast");
    f.click("Option2");
    EXPECT_EQ(f.clocks(), "300/300 120/120");

    f.click("Command1", e);
    EXPECT_FALSE(window("Presets"));
    EXPECT_EQ(f.child("Option2")->text(), "Fast");
    f.click("Option2");
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), dragged);
    EXPECT_EQ(readBytes(f.presetPath), renderPresetFile(f.state.PresetTable));
}

// The editor loads the file anew; "Cancel" or closing its frame stores nothing.
TEST(Presets, OpenShowsTheFileAndCancelLeavesEverything)
{
    const std::string file = "\"A\"\r\n\"450\"\r\n\"fast\"\r\n\"B\"\r\n700\r\n99\r\n"
                             "\"C\"\r\n300\r\n120\r\n\"D\"\r\n300\r\n110\r\n";
    for (bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame ? "frame" : "Cancel");
        GuiFixture f;
        writeBytes(f.presetPath, file);
        ASSERT_TRUE(f.start());
        f.state.PresetTable[0].Name = "changed since start";
        QWidget* e = openEditor(f);
        ASSERT_TRUE(e);
        EXPECT_EQ(shown(e), "A/450/fast/B/700/99/C/300/120/D/300/110/450/100/600/100/300/120/300/110");
        retype(f.child<QLineEdit>("Text1", e), "Other");
        QTest::keyClick(f.child<QSlider>("Slider1", e), Qt::Key_Right);
        byFrame ? void(e->close()) : f.click("Command2", e);
        EXPECT_FALSE(window("Presets"));
        EXPECT_EQ(readBytes(f.presetPath), file);
        EXPECT_EQ(f.child("Option1")->text(), "A");
    }
}

// The editor and the adapter choice stay usable when the main window is closed first. A double quote or line
// break would end a name in the file: typed or pasted, it is dropped.
TEST(Presets, ChildWindowsOutliveTheMainWindow)
{
    GuiFixture f(false);
    f.addAdapter(0, "GeForceSDR", 166, 120);
    f.addAdapter(2, "TNT2ULTRA", 183, 143);
    ASSERT_TRUE(f.start());
    const QPointer<QWidget> e = openEditor(f), choice = window("Warning");
    f.click("Command2"); // the main window's "Close"
    ASSERT_TRUE(f.main.isNull() && e && e->isVisible() && choice && choice->isVisible());
    f.click("Command1", choice);
    EXPECT_TRUE(choice.isNull());
    EXPECT_EQ(f.state.AdapterKey, "0000");
    auto* box = f.child<QLineEdit>("Text1", e);
    retype(box, "a\"b");
    QApplication::clipboard()->setText("\"x,\ny\"");
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), "abx,y");
    f.click("Command1", e);
    EXPECT_TRUE(e.isNull());
    EXPECT_TRUE(readBytes(f.presetPath).starts_with("\"abx,y\"\r\n\"300\"\r\n"));
}

} // namespace tavrel::test
