#include <gtest/gtest.h>

#include <QClipboard>
#include <QLabel>

#include "GuiFixture.h"
#include "presets/PresetStore.h"
#include "presets/Presets.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

// The controls of one preset entry, by name.
struct EntryNames {
    const char* name;
    const char* memoryBox;
    const char* coreBox;
    const char* memorySlider;
    const char* coreSlider;
};
const EntryNames kEntries[] = {
    { "Text1", "Text2", "Text3", "Slider1", "Slider2" },
    { "Text4", "Text5", "Text6", "Slider3", "Slider4" },
    { "Text7", "Text8", "Text9", "Slider5", "Slider6" },
    { "Text10", "Text11", "Text12", "Slider7", "Slider8" },
};

// The file the editor creates when there is none, and the same presets once
// saved from the editor: every clock a quoted text but entry 4's core clock.
std::string defaultFile(bool saved)
{
    std::string s;
    for (int i = 1; i <= 4; ++i) {
        s += "\"Preset " + std::to_string(i) + "\"\r\n";
        s += saved ? "\"300\"\r\n" : "300\r\n";
        s += saved && i < 4 ? "\"120\"\r\n" : "120\r\n";
    }
    return s;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct EditorFixture : GuiFixture {
    explicit EditorFixture(const std::string& presetFile = {})
        : GuiFixture(oneAdapterRegistry())
    {
        if (!presetFile.empty())
            writeBytes(file(), presetFile);
        if (!start())
            throw std::runtime_error("the main window did not start");
    }
    ~EditorFixture()
    {
        delete editor();
        flushDeletes();
    }

    std::filesystem::path file() const { return PresetFilePath(dir.path()); }

    static Presets* editor()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("Presets"))
                return qobject_cast<Presets*>(w);
        return nullptr;
    }

    // Presses "Set presets" on the main window.
    Presets* open()
    {
        QTest::mouseClick(child<QPushButton>("Command5"), Qt::LeftButton);
        return editor();
    }

    template <typename T> static T* in(const char* name)
    {
        T* w = editor() ? editor()->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        return w ? w : throw std::runtime_error(std::string("no editor control ") + name);
    }

    static void press(const char* button)
    {
        QTest::mouseClick(in<QPushButton>(button), Qt::LeftButton);
        flushDeletes();
    }

    // What the main window shows as memory clock once a preset is chosen.
    QString mainMemoryFor(const char* option)
    {
        QTest::mouseClick(child<QRadioButton>(option), Qt::LeftButton);
        return child<QLineEdit>("Text1")->text();
    }
};

} // namespace

TEST(Presets, FirstOpenCreatesTheDefaultFileAndOkSavesItAsTexts)
{
    EditorFixture f;
    ASSERT_FALSE(std::filesystem::exists(f.file()));
    Presets* e = f.open();
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(e->windowTitle(), "Set presets");
    EXPECT_EQ(e->parent(), nullptr); // outlives the main window
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(readBytes(f.file()), defaultFile(false));
    EXPECT_EQ(readBytes(f.file()).size(), 88u);
    EXPECT_EQ(f.state->PresetTable, editorDefaultPresets());
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(f.in<QLineEdit>(kEntries[i].name)->text(), QString("Preset %1").arg(i + 1));
        EXPECT_EQ(f.in<QLineEdit>(kEntries[i].memoryBox)->text(), "300");
        EXPECT_EQ(f.in<QLineEdit>(kEntries[i].coreBox)->text(), "120");
        EXPECT_EQ(f.in<QSlider>(kEntries[i].memorySlider)->value(), 300);
        EXPECT_EQ(f.in<QSlider>(kEntries[i].coreSlider)->value(), 120);
    }

    f.press("Command1");
    EXPECT_EQ(f.editor(), nullptr);
    EXPECT_EQ(readBytes(f.file()), defaultFile(true));
    EXPECT_EQ(readBytes(f.file()).size(), 102u);
    EXPECT_TRUE(f.messages.empty());
}

TEST(Presets, CaptionsKeepTheirLeadingBlanksAndFitTheirLabels)
{
    EditorFixture f;
    Presets* e = f.open();
    EXPECT_EQ(e->size(), QSize(312, 435));
    EXPECT_EQ(e->minimumSize(), e->maximumSize());
    EXPECT_FALSE(e->windowFlags() & Qt::WindowMaximizeButtonHint);
    const struct {
        const char* label;
        const char* text;
    } labels[]
        = { { "Label1", "Caption" }, { "Label3", "Caption" }, { "Label5", "Memory" }, { "Label6", "     Core" },
              { "Label9", "   Memory" }, { "Label10", "   Core" }, { "Label11", " Memory" }, { "Label12", " Core" } };
    for (const auto& l : labels) {
        const auto* label = f.in<QLabel>(l.label);
        EXPECT_EQ(label->text(), l.text) << l.label;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << l.label;
    }
}

TEST(Presets, SecondPressShowsTheOpenEditorWithoutLoadingIt)
{
    EditorFixture f;
    Presets* first = f.open();
    f.in<QLineEdit>("Text1")->setText("Mine");
    std::filesystem::remove(f.file());
    EXPECT_EQ(f.open(), first);
    EXPECT_EQ(f.in<QLineEdit>("Text1")->text(), "Mine");
    EXPECT_FALSE(std::filesystem::exists(f.file())); // not loaded anew
}

TEST(Presets, SlidersShowInTheirOwnBoxAndReachTheTableOnlyOnOk)
{
    EditorFixture f;
    f.open();
    for (const auto& e : kEntries) {
        for (const auto& [slider, box] :
            { std::pair { e.memorySlider, e.memoryBox }, std::pair { e.coreSlider, e.coreBox } }) {
            auto* s = f.in<QSlider>(slider);
            const int before = s->value();
            QTest::keyClick(s, Qt::Key_Right);
            EXPECT_EQ(s->value(), before + 1) << slider;
            EXPECT_EQ(f.in<QLineEdit>(box)->text(), QString::number(before + 1)) << slider;
        }
    }

    auto* slider3 = f.in<QSlider>("Slider3");
    dragSlider(slider3, 250);
    EXPECT_EQ(f.in<QLineEdit>("Text5")->text(), QString::number(slider3->value())); // while dragging
    while (slider3->value() != 250)
        QTest::keyClick(slider3, slider3->value() < 250 ? Qt::Key_Right : Qt::Key_Left);
    EXPECT_EQ(f.in<QLineEdit>("Text5")->text(), "250");
    EXPECT_EQ(f.mainMemoryFor("Option2"), "300");
    EXPECT_EQ(readBytes(f.file()), defaultFile(false));

    f.press("Command1");
    EXPECT_EQ(f.state->PresetTable[1].MemoryClock, LooseValue("250"));
    EXPECT_EQ(f.mainMemoryFor("Option2"), "250");
}

TEST(Presets, NamesAreStoredAsTypedAndShownAgainOnTheNextOpen)
{
    EditorFixture f;
    f.open();
    const char* typed[] = { "  ", "Fast, quiet", "", "Über 9000" };
    const char* stored[] = { "  ", "Fast, quiet", "Preset 3", "\334ber 9000" }; // Windows-1252
    for (int i = 0; i < 4; ++i)
        f.in<QLineEdit>(kEntries[i].name)->setText(QString::fromUtf8(typed[i]));
    f.in<QLineEdit>("Text12")->setText("121.5"); // a half goes to the even neighbour

    f.press("Command1");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.state->PresetTable[static_cast<std::size_t>(i)].Name, stored[i]);
        EXPECT_EQ(f.child<QRadioButton>(QString("Option%1").arg(i + 1).toLatin1().constData())->text(),
            QString::fromLatin1(stored[i]));
    }
    EXPECT_EQ(f.state->PresetTable[3].CoreClock, LooseValue(std::int16_t { 122 }));

    const ClockPresetTable saved = f.state->PresetTable;
    f.open();
    EXPECT_EQ(f.state->PresetTable, saved);
    for (int i = 0; i < 4; ++i) {
        const auto& p = saved[static_cast<std::size_t>(i)];
        EXPECT_EQ(f.in<QLineEdit>(kEntries[i].name)->text(), QString::fromLatin1(p.Name));
        EXPECT_EQ(f.in<QLineEdit>(kEntries[i].memoryBox)->text(), QString::fromStdString(p.MemoryClock.toText()));
        EXPECT_EQ(f.in<QLineEdit>(kEntries[i].coreBox)->text(), QString::fromStdString(p.CoreClock.toText()));
    }
    EXPECT_EQ(f.in<QSlider>("Slider8")->value(), 122);
}

TEST(Presets, CancelAndClosingByTheFrameStoreNothing)
{
    const std::string file = "\"A\"\r\n\"450\"\r\n\"135\"\r\n\"B\"\r\n300\r\n120\r\n"
                             "\"C\"\r\n300\r\n120\r\n\"D\"\r\n300\r\n110\r\n";
    for (bool byFrame : { false, true }) {
        SCOPED_TRACE(byFrame ? "frame" : "Cancel");
        EditorFixture f(file);
        f.state->PresetTable[0].Name = "changed since start";
        f.open();
        ClockPresetTable loaded = initialPresetTable();
        parsePresetFile(file, loaded);
        EXPECT_EQ(f.state->PresetTable, loaded);

        f.in<QLineEdit>("Text1")->setText("Other");
        QTest::keyClick(f.in<QSlider>("Slider1"), Qt::Key_Right);
        if (byFrame) {
            f.editor()->close();
            flushDeletes();
        } else {
            f.press("Command2");
        }
        EXPECT_EQ(f.editor(), nullptr);
        EXPECT_EQ(f.state->PresetTable, loaded);
        EXPECT_EQ(readBytes(f.file()), file);
        EXPECT_EQ(f.child<QRadioButton>("Option1")->text(), "A");
    }
}

TEST(Presets, ClocksFromTheFileShowAsWrittenAndSlidersTakeWhatTheyCan)
{
    EditorFixture f("\"P1\"\r\n700\r\n\"fast\"\r\n\"P2\"\r\n\"0450\"\r\n99\r\n"
                    "\"P3\"\r\n350.5\r\n\" 200 \"\r\n\"P4\"\r\n\"\"\r\n-5\r\n");
    f.open();
    const struct {
        const char* box;
        const char* text;
        const char* slider;
        int position;
    } cases[] = {
        { "Text2", "700", "Slider1", 600 },
        { "Text3", "fast", "Slider2", 100 },
        { "Text5", "0450", "Slider3", 450 },
        { "Text6", "99", "Slider4", 100 },
        { "Text8", "350.5", "Slider5", 350 },
        { "Text9", " 200 ", "Slider6", 200 },
        { "Text11", "", "Slider7", 100 },
        { "Text12", "-5", "Slider8", 100 },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f.in<QLineEdit>(c.box)->text(), c.text) << c.box;
        EXPECT_EQ(f.in<QSlider>(c.slider)->value(), c.position) << c.slider;
    }
    // Stored as shown: texts quoted, entry 4's core clock bare.
    f.press("Command1");
    EXPECT_EQ(readBytes(f.file()),
        "\"P1\"\r\n\"700\"\r\n\"fast\"\r\n\"P2\"\r\n\"0450\"\r\n\"99\"\r\n"
        "\"P3\"\r\n\"350.5\"\r\n\" 200 \"\r\n\"P4\"\r\n\"\"\r\n-5\r\n");
}

TEST(Presets, Entry4CoreClockKeepsItsNumberWhenTheBoxGivesNone)
{
    EditorFixture f;
    const struct {
        const char* text;
        std::int16_t stored;
    } cases[] = { { "120.5", 120 }, { "-32768", -32768 }, { "32768", -32768 }, { "fast", -32768 }, { " 77 ", 77 },
        { "", 77 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        f.open();
        f.in<QLineEdit>("Text12")->setText(c.text);
        f.press("Command1");
        EXPECT_EQ(f.state->PresetTable[3].CoreClock, LooseValue(c.stored));
        EXPECT_TRUE(readBytes(f.file()).ends_with("\r\n" + std::to_string(c.stored) + "\r\n"));
    }
}

TEST(Presets, FailedSaveIsReportedAndTheEditsStayForTheRun)
{
    EditorFixture f;
    f.open();
    f.in<QLineEdit>("Text4")->setText("Renamed");
    f.state->presetFileFaults = [](FileStep step, const std::filesystem::path&) {
        return step == FileStep::Rename ? std::make_error_code(std::errc::no_space_on_device) : std::error_code {};
    };
    f.press("Command1");
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].caption, "Tavrel");
    EXPECT_NE(f.messages[0].text.find("TAVRL.CFG"), std::string::npos) << f.messages[0].text;
    EXPECT_NE(
        f.messages[0].text.find(std::make_error_code(std::errc::no_space_on_device).message()), std::string::npos)
        << f.messages[0].text;
    EXPECT_EQ(readBytes(f.file()), defaultFile(false));
    EXPECT_EQ(f.state->PresetTable[1].Name, "Renamed");
    EXPECT_EQ(f.child<QRadioButton>("Option2")->text(), "Renamed");
    EXPECT_EQ(f.editor(), nullptr);
}

TEST(Presets, NameBoxesRefuseTheDoubleQuote)
{
    EditorFixture f;
    f.open();
    auto* box = f.in<QLineEdit>("Text4");
    box->clear();
    QTest::keyClicks(box, "a\"b");
    QApplication::clipboard()->setText("\"x, y\"");
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(box, "!");
    EXPECT_EQ(box->text(), "abx, y!");

    f.press("Command1");
    f.open();
    EXPECT_EQ(f.in<QLineEdit>("Text4")->text(), "abx, y!"); // whole after the file's round trip
}

TEST(Presets, EditorOutlivesTheMainWindowAndStillSaves)
{
    EditorFixture f;
    f.open();
    f.main->close();
    flushDeletes();
    ASSERT_TRUE(f.main.isNull());
    ASSERT_NE(f.editor(), nullptr);
    EXPECT_TRUE(f.editor()->isVisible());

    f.in<QLineEdit>("Text1")->setText("Late");
    f.press("Command1");
    EXPECT_EQ(f.editor(), nullptr);
    EXPECT_EQ(f.state->PresetTable[0].Name, "Late");
    EXPECT_TRUE(readBytes(f.file()).starts_with("\"Late\"\r\n\"300\"\r\n"));
}
