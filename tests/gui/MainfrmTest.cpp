#include <gtest/gtest.h>

#include "GuiFixture.h"
#include "registry/RegFileStore.h"

namespace tavrel::test {

// The preset file found at start names the options; one that cannot be read is named, with the reason.
TEST(Mainfrm, StartShowsTheAdapterAndNamesTheOptions)
{
    const struct { const char* file; const char* options; } cases[] = { // file: none, or "" for a folder
        {nullptr, "Preset 1|Preset 2|Preset 3|Preset 4"},
        {"\"A&B\"\r\n1\r\n2\r\n\"\xDC\x62\x65r\"\r\n", "A&&B|\xC3\x9C\x62\x65r||"},
        {"", "|||"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        GuiFixture f;
        if (c.file)
            *c.file ? writeBytes(f.presetPath, c.file) : void(std::filesystem::create_directory(f.presetPath));
        ASSERT_TRUE(f.start());
        EXPECT_TRUE(f.main->isVisible() && f.child("Command1")->isEnabled()); // "OK" is ready from the start
        EXPECT_EQ(f.child<QPlainTextEdit>("Text3")->toPlainText(), "Manufacturer : Creative Labs\n"
                  "Driver             : \nCard type       : GeForceDDR\nDriver date     : ");
        QStringList names; // in the order made: Option1 to Option4
        for (const QRadioButton* option : f.main->findChildren<QRadioButton*>())
            names << option->text();
        EXPECT_EQ(names.join('|').toStdString(), c.options);
        EXPECT_EQ(std::filesystem::exists(f.presetPath), c.file != nullptr); // start creates no file
        ASSERT_EQ(f.messages.size(), c.file && !*c.file ? 1u : 0u);
        const std::string named = "\"" + f.presetPath.string() + "\""; // the file, then the reason
        for (const std::string& m : f.messages)
            EXPECT_TRUE(m.find(named) != std::string::npos && !m.ends_with(named)) << m;
    }
}

TEST(Mainfrm, NoAdapterOrARefusedRegistryFileEndsWithAMessage)
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

// Every way of moving a clock shows in its other control and enables "OK".
TEST(Mainfrm, SlidersAndBoxesKeepInStep)
{
    GuiFixture f;
    ASSERT_TRUE(f.start());
    f.state.PresetTable[2] = {"", LooseValue("999"), LooseValue("fast")}; // past the slider's end; no number
    auto *slider1 = f.child<QSlider>("Slider1"), *slider2 = f.child<QSlider>("Slider2");
    const struct { std::function<void()> act; const char* clocks; } steps[] = {
        {[&] { dragSlider(slider1, 400); }, "600/600 135/135"},
        {[&] { dragSlider(slider2, -400); }, "600/600 100/100"},
        {[&] { QTest::keyClick(slider1, Qt::Key_Left); }, "599/599 100/100"},
        {[&] { QTest::keyClick(slider2, Qt::Key_Right); }, "599/599 101/101"},
        {[&] { f.click("Command3"); }, "450/450 135/135"}, // Reset
        {[&] { f.click("Command4"); }, "300/300 120/120"}, // Defaults
        {[&] { f.click("Option3"); }, "999/600 fast/120"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.clocks);
        f.click("Command1"); // disables "OK"
        step.act();
        EXPECT_EQ(f.clocks(), step.clocks);
        EXPECT_TRUE(f.child("Command1")->isEnabled());
    }
}

// "OK" writes both clocks; or it says why not, writes nothing and stays enabled.
TEST(Mainfrm, OkWritesTheClocksOrSaysWhyNot)
{
    const struct { const char* preset1Memory; std::int32_t failSet; const char* message; } cases[] = {
        {"250", 0, nullptr}, {"250", 5, "memory clock (MemClock)"}, // the registry refuses
        {"0", 0, "memory clock \"0\""}, {"-5", 0, "memory clock \"-5\""}}; // 0 or below: a file edited by hand
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "written");
        GuiFixture f;
        writeBytes(f.presetPath, std::string("\"P\"\r\n") + c.preset1Memory + "\r\n140\r\n");
        ASSERT_TRUE(f.start());
        f.click("Option1");
        f.reg.failSet = c.failSet;
        f.click("Command1");
        EXPECT_EQ(f.reg.find(driverSettingsPath("0000"), kMemClock)->data, dwordBytes(c.message ? 450 : 250));
        EXPECT_EQ(f.reg.find(driverSettingsPath("0000"), kGrfxClock)->data, dwordBytes(c.message ? 135 : 140));
        EXPECT_EQ(f.child("Command1")->isEnabled(), c.message != nullptr);
        EXPECT_TRUE(c.message ? f.messages.size() == 1 && f.messages[0].find(c.message) != std::string::npos
                              : f.messages.empty()) << testing::PrintToString(f.messages);
    }
}

// However an option is chosen, or chosen again, its preset is applied exactly once.
TEST(Mainfrm, ChoosingAnOptionAppliesItsPresetOnce)
{
    GuiFixture f;
    ASSERT_TRUE(f.start());
    f.main->activateWindow(); // arrow keys move the focus only in the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.main));
    f.state.PresetTable[1] = {"", LooseValue("250"), LooseValue("140")};
    QAbstractButton *option1 = f.child("Option1"), *option2 = f.child("Option2");
    auto* text1 = f.child<QLineEdit>("Text1");
    int runs = 0; // each application puts "250" in the box; marked seen at once, the next one shows too
    QObject::connect(text1, &QLineEdit::textChanged, [&](const QString& text) {
        if (text == "250")
            ++runs, QSignalBlocker(text1), text1->setText("seen");
    });
    const auto key = [](QAbstractButton* b, Qt::Key k) { return [=] { b->setFocus(), QTest::keyClick(b, k); }; };
    const struct { const char* name; QAbstractButton* before; std::function<void()> choose; } cases[] = {
        {"mouse", option1, [&] { f.click("Option2"); }}, {"Space", option1, key(option2, Qt::Key_Space)},
        {"arrow key", option1, key(option1, Qt::Key_Down)}, {"toggle action", option1, [&] { toggle(option2); }},
        {"mouse on the chosen option", option2, [&] { f.click("Option2"); }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.before->setChecked(true);
        f.click("Command4"); // Defaults: away from the preset
        f.click("Command1");
        runs = 0;
        c.choose();
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(f.clocks(), "seen/250 140/140");
        EXPECT_TRUE(option2->isChecked() && f.child("Command1")->isEnabled());
    }
}

} // namespace tavrel::test
