#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "GuiFixture.h"
#include "adapter/DriverLayout.h"
#include "app/gui_messages.h"
#include "presets/PresetStore.h"
#include "registry/regdecl.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

// What a later run of the program would read from the file.
LooseValue storedClock(GuiFixture& f, const std::string& name, std::uint32_t* type = nullptr)
{
    auto store = f.reopen();
    ProgramState s(*store, f.dir.path());
    QueryValue(s, driverSettingsPath("0000"), name);
    EXPECT_EQ(s.QueryValueStatus, 0) << name;
    if (type) {
        RegHandle h = 0;
        store->RegOpenKeyExA(kHKeyLocalMachine, driverSettingsPath("0000").c_str(), 0, kKeyAccessMask, &h);
        std::uint32_t size = 0;
        store->RegQueryValueExA(h, name.c_str(), nullptr, type, nullptr, &size);
        store->RegCloseKey(h);
    }
    return s.QueryValueResult;
}

} // namespace

TEST(Mainfrm, FirstStartShowsTheCardAndCreatesNoFile)
{
    GuiFixture f(oneAdapterRegistry("\"MemClock\"=dword:000001c2\n\"GrfxClock\"=dword:00000087\n"));
    ASSERT_NE(f.start(), nullptr);
    EXPECT_TRUE(f.main->isVisible());
    EXPECT_EQ(f.main->windowTitle(), "Tavrel - Version 2.0");
    const char* options[] = {"Option1", "Option2", "Option3", "Option4"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.child<QRadioButton>(options[i])->text(), QString("Preset %1").arg(i + 1));
        EXPECT_FALSE(f.child<QRadioButton>(options[i])->isChecked());
    }
    EXPECT_EQ(f.child<QPlainTextEdit>("Text3")->toPlainText(),
              "Manufacturer : Creative Labs\nDriver             : 3D Blaster Annihilator Pro\n"
              "Card type       : GeForceDDR\nDriver date     : 2-14-2000");
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), "450");
    EXPECT_EQ(f.child<QSlider>("Slider1")->value(), 450);
    EXPECT_EQ(f.child<QLineEdit>("Text2")->text(), "135");
    EXPECT_EQ(f.child<QSlider>("Slider2")->value(), 135);
    EXPECT_TRUE(f.child<QPushButton>("Command1")->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(PresetFilePath(f.dir.path())));
    EXPECT_EQ(f.state->PresetTable[2].MemoryClock, LooseValue(std::int16_t{330}));
    EXPECT_TRUE(f.messages.empty());
}

TEST(Mainfrm, SlidersAndOkWriteBothClocksAsDwords)
{
    GuiFixture f(oneAdapterRegistry("\"MemClock\"=\"300\"\n\"GrfxClock\"=dword:00000078\n"));
    ASSERT_NE(f.start(), nullptr);
    auto* ok = f.child<QPushButton>("Command1");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(ok->isEnabled());

    auto* slider1 = f.child<QSlider>("Slider1");
    dragSlider(slider1, 450);
    EXPECT_NEAR(slider1->value(), 450, 4);
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), QString::number(slider1->value()));
    EXPECT_TRUE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(ok->isEnabled());

    auto* slider2 = f.child<QSlider>("Slider2");
    slider2->setFocus();
    QTest::keyClick(slider2, Qt::Key_Right); // a click-like change
    EXPECT_EQ(f.child<QLineEdit>("Text2")->text(), "121");
    EXPECT_TRUE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);

    std::uint32_t type = 0;
    EXPECT_EQ(storedClock(f, kMemClock, &type), LooseValue(std::int32_t{slider1->value()}));
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(storedClock(f, kGrfxClock, &type), LooseValue(std::int32_t{121}));
    EXPECT_EQ(type, kRegDword);
    EXPECT_TRUE(f.messages.empty());
}

TEST(Mainfrm, HalvesAreWrittenToTheEvenNeighbour)
{
    const struct {
        const char* text;
        int slider;
        std::int32_t stored;
    } cases[] = {{"300.5", 300, 300}, {"301.5", 302, 302}, {" 4 50 ", 450, 450}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        GuiFixture f(oneAdapterRegistry());
        ASSERT_NE(f.start(), nullptr);
        f.child<QLineEdit>("Text1")->setText(c.text);
        if (readStrict(c.text)) {
            EXPECT_EQ(f.child<QSlider>("Slider1")->value(), c.slider);
        }
        QTest::mouseClick(f.child<QPushButton>("Command1"), Qt::LeftButton);
        EXPECT_EQ(storedClock(f, kMemClock), LooseValue(c.stored));
    }
}

TEST(Mainfrm, DefaultsThenResetBringBackTheClocksAsRead)
{
    GuiFixture f(oneAdapterRegistry("\"MemClock\"=\"0450 \"\n\"GrfxClock\"=dword:00000087\n"));
    ASSERT_NE(f.start(), nullptr);
    auto* ok = f.child<QPushButton>("Command1");
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_FALSE(ok->isEnabled());

    QTest::mouseClick(f.child<QPushButton>("Command4"), Qt::LeftButton);
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), "300");
    EXPECT_EQ(f.child<QSlider>("Slider1")->value(), 300);
    EXPECT_EQ(f.child<QLineEdit>("Text2")->text(), "120");
    EXPECT_EQ(f.child<QSlider>("Slider2")->value(), 120);
    EXPECT_TRUE(ok->isEnabled());

    QTest::mouseClick(f.child<QPushButton>("Command3"), Qt::LeftButton);
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), "0450 ");
    EXPECT_EQ(f.child<QSlider>("Slider1")->value(), 450);
    EXPECT_EQ(f.child<QLineEdit>("Text2")->text(), "135");
    EXPECT_EQ(f.child<QSlider>("Slider2")->value(), 135);
}

TEST(Mainfrm, PresetButtonsPutTheirClocksOnTheControls)
{
    GuiFixture f(oneAdapterRegistry());
    ASSERT_NE(f.start(), nullptr);
    f.state->PresetTable[1].MemoryClock = LooseValue("0450");
    f.state->PresetTable[1].CoreClock = LooseValue("fast"); // no number: slider stays
    f.state->PresetTable[3].MemoryClock = LooseValue(std::int32_t{900});
    f.state->PresetTable[3].CoreClock = LooseValue(std::int16_t{-5});
    QTest::mouseClick(f.child<QPushButton>("Command1"), Qt::LeftButton);

    QTest::mouseClick(f.child<QRadioButton>("Option2"), Qt::LeftButton);
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), "0450");
    EXPECT_EQ(f.child<QSlider>("Slider1")->value(), 450);
    EXPECT_EQ(f.child<QLineEdit>("Text2")->text(), "fast");
    EXPECT_EQ(f.child<QSlider>("Slider2")->value(), 120);
    EXPECT_TRUE(f.child<QPushButton>("Command1")->isEnabled());

    QTest::mouseClick(f.child<QRadioButton>("Option4"), Qt::LeftButton);
    EXPECT_EQ(f.child<QLineEdit>("Text1")->text(), "900");
    EXPECT_EQ(f.child<QSlider>("Slider1")->value(), 600);
    EXPECT_EQ(f.child<QLineEdit>("Text2")->text(), "-5");
    EXPECT_EQ(f.child<QSlider>("Slider2")->value(), 100);
    EXPECT_TRUE(f.child<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(storedClock(f, kMemClock), LooseValue(std::int32_t{300})); // nothing written yet
}

TEST(Mainfrm, FailedOrRefusedWritesAreReportedAndOkStaysEnabled)
{
    GuiFixture f(oneAdapterRegistry());
    // A store whose rename fails, as on a full or vanished disk.
    auto failing = std::make_unique<RegFileStore>(f.regFile, [](FileStep step, const std::filesystem::path&) {
        return step == FileStep::Rename ? std::make_error_code(std::errc::no_space_on_device) : std::error_code{};
    });
    ASSERT_TRUE(failing->load());
    ProgramState state(*failing, f.dir.path());
    state.messageHook = f.state->messageHook;
    f.main = Mainfrm::start(state);
    ASSERT_NE(f.main, nullptr);
    const std::string before = readBytes(f.regFile);

    auto* ok = f.child<QPushButton>("Command1");
    f.child<QLineEdit>("Text1")->setText("450");
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_NE(f.messages[0].text.find("MemClock"), std::string::npos) << f.messages[0].text;
    EXPECT_NE(f.messages[0].text.find("0000\\DEFAULT"), std::string::npos) << f.messages[0].text;
    EXPECT_NE(f.messages[0].text.find("space"), std::string::npos) << f.messages[0].text;
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(readBytes(f.regFile), before);

    f.child<QLineEdit>("Text2")->setText("abc");
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_NE(f.messages[1].text.find("\"abc\""), std::string::npos) << f.messages[1].text;
    EXPECT_TRUE(ok->isEnabled());
    delete f.main.data();
}

TEST(Mainfrm, NoAdapterEndsWithTheMessageAndShowsNoWindow)
{
    GuiFixture f(regedit4(displayKey(0, "NVIDIA", "GeForceDDR")));
    EXPECT_EQ(f.start(), nullptr);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].caption, "Tavrel");
    EXPECT_EQ(f.messages[0].text,
              "You don't seem to have a CL Geforce based card or you're not using Creative drivers");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() || !QApplication::activeWindow());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
}

TEST(Mainfrm, RefusedRegistryFileIsNamedAndLeftAlone)
{
    TempDir dir;
    const auto file = dir / "registry.reg";
    writeBytes(file, "This is not a registry\r\n");
    RegFileStore store(file);
    std::vector<std::string> shown;
    EXPECT_FALSE(loadRegistryFile(store, [&](const std::string&, const std::string& text) { shown.push_back(text); }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(file.string()), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("line 1"), std::string::npos) << shown[0];
    EXPECT_EQ(readBytes(file), "This is not a registry\r\n");
}
