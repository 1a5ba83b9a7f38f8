#include <gtest/gtest.h>

#include "GuiFixture.h"
#include "registry/RegFileStore.h"

namespace tavrel::test {
namespace {

QWidget* openEditor(GuiFixture& f) { return f.click("Command5"), window("Presets"); } // "Set presets"

void retype(QLineEdit* box, const char* text) { box->clear(), QTest::keyClicks(box, text); }

} // namespace

// The editor opens once and its "OK" renames the options. The editor and the adapter choice stay usable when the
// main window is closed first. A double quote or line break would end a name in the file: typed or pasted, it is
// dropped.
TEST(QtWindows, ChildWindowsOutliveTheMainWindow)
{
    GuiFixture f(false);
    f.reg.addTwoAdapters();
    ASSERT_TRUE(f.start());
    QWidget* first = openEditor(f);
    EXPECT_EQ(openEditor(f), first); // a second press shows the open editor as it is
    retype(f.child<QLineEdit>("Text4", first), "Fast");
    f.click("Command1", first);
    EXPECT_EQ(f.child("Option2")->text(), "Fast");
    const QPointer<QWidget> e = openEditor(f), choice = window("Warning");
    EXPECT_TRUE(f.child("Option1", choice)->isChecked() && !f.child("Option2", choice)->isChecked());
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

// Without an adapter, or with a registry file it refuses, the program ends with a message.
TEST(QtWindows, NoAdapterOrARefusedRegistryFileEndsWithAMessage)
{
    GuiFixture f(false);
    EXPECT_EQ(f.start(), nullptr);
    writeBytes(f.dir / "registry.reg", "not a registry\r\n");
    RegFileStore store(f.dir / "registry.reg");
    EXPECT_FALSE(loadRegistryFile(store, f));
    RegFileStore sample(samplePath("one-adapter.reg"));
    EXPECT_TRUE(loadRegistryFile(sample, f)); // and says nothing
    EXPECT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(f.messages.at(0), kNoAdapterMessage);
    EXPECT_NE(f.messages.at(1).find("registry.reg\", line 1"), std::string::npos) << f.messages.at(1);
}

} // namespace tavrel::test
