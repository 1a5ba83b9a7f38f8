#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>

#include "GuiFixture.h"
#include "driver/DriverLayout.h"
#include "Warning.h"
#include "registry/regdecl.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

// GeForceSDR under "0000" and TNT2ULTRA under "0002", each with its own clocks.
std::string twoAdapters()
{
    return regedit4(displayKey(0, "Creative Labs", "GeForceSDR", "\"DriverDesc\"=\"GeForce card\"\n")
                    + "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT]\n"
                      "\"MemClock\"=dword:000000a6\n\"GrfxClock\"=dword:00000078\n\n"
                    + displayKey(2, "Creative Labs", "TNT2ULTRA", "\"DriverDesc\"=\"TNT2 card\"\n")
                    + "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0002\\DEFAULT]\n"
                      "\"MemClock\"=dword:000000b7\n\"GrfxClock\"=dword:0000008f\n\n");
}

Warning* openDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dlg = qobject_cast<Warning*>(w); dlg && dlg->isVisible())
            return dlg;
    return nullptr;
}

void click(QWidget* parent, const char* name)
{
    auto* w = parent->findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton);
}

} // namespace

TEST(Warning, OpensBesideTheMainWindowAndTheChoiceSelectsTheAdapter)
{
    const struct {
        const char* name;
        std::vector<const char*> clicks;
        const char* key;
        const char* memText;
        const char* desc;
    } cases[] = {
        {"OK at once", {"Command1"}, "0000", "166", "GeForce card"},
        {"TNT2 then GeForce", {"Option2", "Option1", "Command1"}, "0000", "166", "GeForce card"},
        {"TNT2", {"Option2", "Command1"}, "0002", "183", "TNT2 card"},
        {"Cancel", {"Option1", "Command2"}, "0002", "183", "TNT2 card"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuiFixture f(twoAdapters());
        ASSERT_NE(f.start(), nullptr);
        Warning* dlg = openDialog();
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(f.main->isVisible());
        EXPECT_EQ(dlg->windowTitle(), "Warning");
        EXPECT_EQ(f.state->AdapterKey, "0002");
        const QPointer<Warning> guard(dlg);
        for (const char* name : c.clicks)
            click(dlg, name);
        QApplication::processEvents();
        EXPECT_TRUE(guard.isNull()) << "the dialog closes and goes";
        EXPECT_EQ(f.state->AdapterKey, c.key);

        // The window shows, and "OK" writes, the adapter in use.
        EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), c.memText);
        EXPECT_NE(f.child<QPlainTextEdit>("Text3")->toPlainText().indexOf(c.desc), -1);
        f.child<QLineEdit>("Text2")->setText("111");
        QTest::mouseClick(f.child<QPushButton>("Command1"), Qt::LeftButton);
        auto store = f.reopen();
        ProgramState later(*store, presetFileIn(f.dir.path()));
        QueryValue(later, driverSettingsPath(c.key), kGrfxClock);
        EXPECT_EQ(later.QueryValueResult, LooseValue(std::int32_t{111}));
        EXPECT_TRUE(f.messages.empty());
    }
}

TEST(Warning, KeepsRunningAfterTheMainWindowCloses)
{
    GuiFixture f(twoAdapters());
    ASSERT_NE(f.start(), nullptr);
    QPointer<Warning> dlg = openDialog();
    ASSERT_FALSE(dlg.isNull());
    // Its whole text fits inside the window.
    for (const char* name : {"Label1", "Label2"}) {
        auto* label = dlg->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_LE(label->x() + label->fontMetrics().horizontalAdvance(label->text()), dlg->width()) << name;
    }

    click(f.main, "Command2");
    QApplication::processEvents();
    EXPECT_TRUE(f.main.isNull());
    ASSERT_FALSE(dlg.isNull());
    EXPECT_TRUE(dlg->isVisible());

    click(dlg, "Command1"); // applying with no main window left must not crash
    QApplication::processEvents();
    EXPECT_TRUE(dlg.isNull());
    EXPECT_EQ(f.state->AdapterKey, "0000");
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}
