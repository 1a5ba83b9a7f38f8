#include <gtest/gtest.h>

#include "GuiFixture.h"
#include "registry/RegFileStore.h"

namespace tavrel::test {

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
