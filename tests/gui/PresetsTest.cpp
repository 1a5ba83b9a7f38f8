#include <gtest/gtest.h>

#include <QClipboard>
#include <QLabel>

#include "GuiFixture.h"
#include "presets/PresetStore.h"
#include "Presets.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

// The controls of each preset entry: name box, memory box, core box, memory slider, core slider.
const char* const kEntries[4][5] = {
    { "Text1", "Text2", "Text3", "Slider1", "Slider2" },
    { "Text4", "Text5", "Text6", "Slider3", "Slider4" },
    { "Text7", "Text8", "Text9", "Slider5", "Slider6" },
    { "Text10", "Text11", "Text12", "Slider7", "Slider8" },
};

// The file the editor creates when there is none (worked example 1), and the
// same presets once saved from the editor (worked example 2).
std::string defaultFile(bool saved)
{
    std::string s;
    for (int i = 1; i <= 4; ++i)
        s += "\"Preset " + std::to_string(i) + "\"\r\n" + (saved ? "\"300\"\r\n" : "300\r\n")
            + (saved && i < 4 ? "\"120\"\r\n" : "120\r\n");
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

    std::filesystem::path file() const { return dir / "TAVRL.CFG"; }

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

    // What each entry shows: "name/memory box/core box/memory slider/core slider".
    static std::vector<std::string> shown()
    {
        std::vector<std::string> out;
        for (const auto& e : kEntries)
            out.push_back(QStringList(
                { in<QLineEdit>(e[0])->text(), in<QLineEdit>(e[1])->text(), in<QLineEdit>(e[2])->text(),
                    QString::number(in<QSlider>(e[3])->value()), QString::number(in<QSlider>(e[4])->value()) })
                              .join('/')
                              .toStdString());
        return out;
    }

    // What the main window shows as memory clock once a preset is chosen.
    QString mainMemoryFor(const char* option)
    {
        QTest::mouseClick(child<QRadioButton>(option), Qt::LeftButton);
        return child<QLineEdit>("Text1")->text();
    }
};

} // namespace

TEST(Presets, FirstOpenCreatesExample1AndOkWritesExample2)
{
    EditorFixture f;
    ASSERT_FALSE(std::filesystem::exists(f.file()));
    EXPECT_TRUE(f.open()->isVisible());
    EXPECT_EQ(f.editor()->windowTitle(), "Set presets");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(readBytes(f.file()), defaultFile(false));
    EXPECT_EQ(f.state->PresetTable, editorDefaultPresets());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f.shown()[static_cast<std::size_t>(i)], "Preset " + std::to_string(i + 1) + "/300/120/300/120");

    f.press("Command1");
    EXPECT_EQ(f.editor(), nullptr);
    EXPECT_EQ(readBytes(f.file()), defaultFile(true));
    EXPECT_TRUE(f.messages.empty());
}

TEST(Presets, FixedSizeWindowWhoseLabelsShowTheirWholeCaption)
{
    EditorFixture f;
    Presets* e = f.open();
    EXPECT_EQ(e->minimumSize(), e->maximumSize());
    EXPECT_FALSE(e->windowFlags() & Qt::WindowMaximizeButtonHint);
    const auto labels = e->findChildren<QLabel*>();
    EXPECT_EQ(labels.size(), 12);
    for (const QLabel* label : labels)
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->objectName().toStdString();
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
    for (const auto& e : kEntries)
        for (const char* slider : { e[3], e[4] })
            QTest::keyClick(f.in<QSlider>(slider), Qt::Key_Right);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f.shown()[static_cast<std::size_t>(i)], "Preset " + std::to_string(i + 1) + "/301/121/301/121");

    // Slider3 dragged to 250: Text5 follows at once, option 2 still applies the old clocks.
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
    const char* typed[] = { "  ", "Fast, quiet", "", "Über 9000" }; // entry 3 cleared
    const char* stored[] = { "  ", "Fast, quiet", "Preset 3", "\334ber 9000" }; // Windows-1252
    for (int i = 0; i < 4; ++i)
        f.in<QLineEdit>(kEntries[i][0])->setText(QString::fromUtf8(typed[i]));
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
    EXPECT_EQ(f.shown(),
        (std::vector<std::string> { "  /300/120/300/120", "Fast, quiet/300/120/300/120", "Preset 3/300/120/300/120",
            "Über 9000/300/122/300/122" }));
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
        if (byFrame)
            f.editor()->close();
        else
            f.press("Command2");
        flushDeletes();
        EXPECT_EQ(f.editor(), nullptr);
        EXPECT_EQ(f.state->PresetTable, loaded);
        EXPECT_EQ(readBytes(f.file()), file);
        EXPECT_EQ(f.child<QRadioButton>("Option1")->text(), "A");
    }
}

// 700 is past the memory slider's end; a clock that is no number leaves its slider at 100.
TEST(Presets, ClocksFromTheFileShowAsWrittenAndSlidersTakeWhatTheyCan)
{
    EditorFixture f("\"P1\"\r\n700\r\n\"fast\"\r\n\"P2\"\r\n\"0450\"\r\n99\r\n"
                    "\"P3\"\r\n350.5\r\n\" 200 \"\r\n\"P4\"\r\n\"\"\r\n-5\r\n");
    f.open();
    EXPECT_EQ(f.shown(),
        (std::vector<std::string> {
            "P1/700/fast/600/100", "P2/0450/99/450/100", "P3/350.5/ 200 /350/200", "P4//-5/100/100" }));
    // Stored as shown: texts quoted, entry 4's core clock bare.
    f.press("Command1");
    EXPECT_EQ(readBytes(f.file()),
        "\"P1\"\r\n\"700\"\r\n\"fast\"\r\n\"P2\"\r\n\"0450\"\r\n\"99\"\r\n"
        "\"P3\"\r\n\"350.5\"\r\n\" 200 \"\r\n\"P4\"\r\n\"\"\r\n-5\r\n");
}

TEST(Presets, Entry4CoreClockKeepsItsNumberWhenTheBoxGivesNone)
{
    EditorFixture f;
    const std::pair<const char*, std::int16_t> cases[] = { { "120.5", 120 }, { "-32768", -32768 },
        { "32768", -32768 }, { "fast", -32768 }, { " 77 ", 77 }, { "", 77 } };
    for (const auto& [text, stored] : cases) {
        SCOPED_TRACE(text);
        f.open();
        f.in<QLineEdit>("Text12")->setText(text);
        f.press("Command1");
        EXPECT_EQ(f.state->PresetTable[3].CoreClock, LooseValue(stored));
        EXPECT_TRUE(readBytes(f.file()).ends_with("\r\n" + std::to_string(stored) + "\r\n"));
    }
}

TEST(Presets, FailedSaveIsReportedAndTheEditsStayForTheRun)
{
    EditorFixture f;
    f.open();
    f.in<QLineEdit>("Text4")->setText("Renamed");
    f.state->presetFile.faults = [](FileStep step, const std::filesystem::path&) {
        return step == FileStep::Rename ? std::make_error_code(std::errc::no_space_on_device) : std::error_code {};
    };
    f.press("Command1");
    ASSERT_EQ(f.messages.size(), 1u);
    for (const std::string& part :
        { std::string("TAVRL.CFG"), std::make_error_code(std::errc::no_space_on_device).message() })
        EXPECT_NE(f.messages[0].text.find(part), std::string::npos) << f.messages[0].text;
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
