#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "GuiFixture.h"
#include "driver/DriverLayout.h"
#include "MessageBoxes.h"
#include "presets/PresetStore.h"
#include "registry/regdecl.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

// What a later run of the program reads from the file; a REG_SZ reads as a
// text, so a number read back was stored as a REG_DWORD.
LooseValue storedClock(GuiFixture& f, const std::string& name)
{
    auto store = f.reopen();
    ProgramState s(*store, presetFileIn(f.dir.path()));
    QueryValue(s, driverSettingsPath("0000"), name);
    return s.QueryValueResult;
}

// The clock controls: "Text1/Slider1 Text2/Slider2".
QString clocks(const GuiFixture& f)
{
    return QString("%1/%2 %3/%4")
        .arg(f.child<QLineEdit>("Text1")->text())
        .arg(f.child<QSlider>("Slider1")->value())
        .arg(f.child<QLineEdit>("Text2")->text())
        .arg(f.child<QSlider>("Slider2")->value());
}

void click(const GuiFixture& f, const char* button)
{
    QTest::mouseClick(f.child<QAbstractButton>(button), Qt::LeftButton);
}

} // namespace

TEST(Mainfrm, FirstStartShowsTheCardAndCreatesNoFile)
{
    GuiFixture f(oneAdapterRegistry("\"MemClock\"=dword:000001c2\n\"GrfxClock\"=dword:00000087\n"));
    ASSERT_NE(f.start(), nullptr);
    EXPECT_TRUE(f.main->isVisible());
    EXPECT_EQ(f.main->windowTitle(), "Tavrel - Version 2.0");
    for (int i = 1; i <= 4; ++i) {
        const auto* option = f.child<QRadioButton>(QString("Option%1").arg(i).toLatin1().constData());
        EXPECT_EQ(option->text(), QString("Preset %1").arg(i));
        EXPECT_FALSE(option->isChecked());
    }
    EXPECT_EQ(f.child<QPlainTextEdit>("Text3")->toPlainText(),
        "Manufacturer : Creative Labs\nDriver             : 3D Blaster Annihilator Pro\n"
        "Card type       : GeForceDDR\nDriver date     : 2-14-2000");
    EXPECT_EQ(clocks(f), "450/450 135/135");
    EXPECT_TRUE(f.child<QPushButton>("Command1")->isEnabled());
    EXPECT_FALSE(std::filesystem::exists((f.dir / "TAVRL.CFG")));
    EXPECT_EQ(f.state->PresetTable[2].MemoryClock, LooseValue(std::int16_t { 330 }));
    EXPECT_TRUE(f.messages.empty());
}

TEST(Mainfrm, SlidersAndOkWriteBothClocksAsDwords)
{
    GuiFixture f(oneAdapterRegistry("\"MemClock\"=\"300\"\n\"GrfxClock\"=dword:00000078\n"));
    ASSERT_NE(f.start(), nullptr);
    auto* ok = f.child<QPushButton>("Command1");
    click(f, "Command1");
    EXPECT_FALSE(ok->isEnabled());

    auto* slider1 = f.child<QSlider>("Slider1");
    dragSlider(slider1, 450);
    EXPECT_NEAR(slider1->value(), 450, 4);
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), QString::number(slider1->value()));
    EXPECT_TRUE(ok->isEnabled());
    click(f, "Command1");
    EXPECT_FALSE(ok->isEnabled());

    QTest::keyClick(f.child<QSlider>("Slider2"), Qt::Key_Right); // a click-like change
    EXPECT_EQ(f.child<QLineEdit>("Text2")->text(), "121");
    EXPECT_TRUE(ok->isEnabled());
    click(f, "Command1");
    EXPECT_EQ(storedClock(f, kMemClock), LooseValue(std::int32_t { slider1->value() }));
    EXPECT_EQ(storedClock(f, kGrfxClock), LooseValue(std::int32_t { 121 }));
    EXPECT_TRUE(f.messages.empty());
}

// A text that is no strict number leaves the slider, and is written as read leniently.
TEST(Mainfrm, HalvesAreWrittenToTheEvenNeighbour)
{
    const struct {
        const char* text;
        const char* shown;
        std::int32_t stored;
    } cases[] = { { "300.5", "300.5/300 120/120", 300 }, { "301.5", "301.5/302 120/120", 302 },
        { " 4 50 ", " 4 50 /300 120/120", 450 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        GuiFixture f(oneAdapterRegistry());
        ASSERT_NE(f.start(), nullptr);
        f.child<QLineEdit>("Text1")->setText(c.text);
        EXPECT_EQ(clocks(f), c.shown);
        click(f, "Command1");
        EXPECT_EQ(storedClock(f, kMemClock), LooseValue(c.stored));
    }
}

TEST(Mainfrm, DefaultsThenResetBringBackTheClocksAsRead)
{
    GuiFixture f(oneAdapterRegistry("\"MemClock\"=\"0450 \"\n\"GrfxClock\"=dword:00000087\n"));
    ASSERT_NE(f.start(), nullptr);
    click(f, "Command1");
    ASSERT_FALSE(f.child<QPushButton>("Command1")->isEnabled());
    click(f, "Command4");
    EXPECT_EQ(clocks(f), "300/300 120/120");
    EXPECT_TRUE(f.child<QPushButton>("Command1")->isEnabled());
    click(f, "Command3");
    EXPECT_EQ(clocks(f), "0450 /450 135/135");
}

TEST(Mainfrm, PresetButtonsPutTheirClocksOnTheControls)
{
    GuiFixture f(oneAdapterRegistry());
    ASSERT_NE(f.start(), nullptr);
    f.state->PresetTable[1] = { "", LooseValue("0450"), LooseValue("fast") }; // no number: slider stays
    f.state->PresetTable[3] = { "", LooseValue(std::int32_t { 900 }), LooseValue(std::int16_t { -5 }) };
    click(f, "Command1");

    click(f, "Option2");
    EXPECT_EQ(clocks(f), "0450/450 fast/120");
    EXPECT_TRUE(f.child<QPushButton>("Command1")->isEnabled());
    click(f, "Option4");
    EXPECT_EQ(clocks(f), "900/600 -5/100");
    EXPECT_TRUE(f.child<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(storedClock(f, kMemClock), LooseValue(std::int32_t { 300 })); // nothing written yet
}

TEST(Mainfrm, FailedOrRefusedWritesAreReportedAndOkStaysEnabled)
{
    GuiFixture f(oneAdapterRegistry());
    // A store whose rename fails, as on a full or vanished disk.
    RegFileStore failing(f.regFile, [](FileStep step, const std::filesystem::path&) {
        return step == FileStep::Rename ? std::make_error_code(std::errc::no_space_on_device) : std::error_code {};
    });
    ASSERT_TRUE(failing.load());
    ProgramState state(failing, presetFileIn(f.dir.path()));
    f.main = Mainfrm::start(state, f.recorded);
    ASSERT_NE(f.main, nullptr);
    const std::string before = readBytes(f.regFile);

    f.child<QLineEdit>("Text1")->setText("450");
    click(f, "Command1");
    ASSERT_EQ(f.messages.size(), 1u);
    for (const char* part : { "MemClock", "0000\\DEFAULT", "space" })
        EXPECT_NE(f.messages[0].text.find(part), std::string::npos) << f.messages[0].text;
    EXPECT_TRUE(f.child<QPushButton>("Command1")->isEnabled());
    EXPECT_EQ(readBytes(f.regFile), before);

    f.child<QLineEdit>("Text2")->setText("abc");
    click(f, "Command1");
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_NE(f.messages[1].text.find("\"abc\""), std::string::npos) << f.messages[1].text;
    EXPECT_TRUE(f.child<QPushButton>("Command1")->isEnabled());
    delete f.main.data();
}

TEST(Mainfrm, NoAdapterEndsWithTheMessageAndShowsNoWindow)
{
    GuiFixture f(regedit4(displayKey(0, "NVIDIA", "GeForceDDR")));
    EXPECT_EQ(f.start(), nullptr);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(
        f.messages[0].text, "You don't seem to have a CL Geforce based card or you're not using Creative drivers");
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}

TEST(Mainfrm, RefusedRegistryFileIsNamedAndLeftAlone)
{
    TempDir dir;
    const auto file = dir / "registry.reg";
    writeBytes(file, "This is not a registry\r\n");
    RegFileStore store(file);
    RecordedMessages recorded;
    EXPECT_FALSE(loadRegistryFile(store, recorded));
    ASSERT_EQ(recorded.shown.size(), 1u);
    const std::string& shown = recorded.shown[0].text;
    EXPECT_NE(shown.find(file.string()), std::string::npos) << shown;
    EXPECT_NE(shown.find("line 1"), std::string::npos) << shown;
    EXPECT_EQ(readBytes(file), "This is not a registry\r\n");
}
