#include <gtest/gtest.h>

#include "GuiFixture.h"
#include "QtForm.h"

namespace tavrel::test {
namespace {

// The class of each kind of control, in ControlKind's order.
const char* const kQtClasses[] = { "QGroupBox", "QLabel", "QLineEdit", "QLineEdit", "QPlainTextEdit", "QSlider",
    "QRadioButton", "QRadioButton", "QPushButton", "QLabel" };

// A control's text, whatever its class calls it.
std::string shownText(QWidget* w)
{
    const char* name = qobject_cast<QGroupBox*>(w) ? "title"
        : qobject_cast<QPlainTextEdit*>(w)          ? "plainText"
                                                    : "text";
    return w->property(name).toString().toStdString();
}

// A form's controls on a bare window, its events recorded as "name:Click" and the like.
struct Recorded {
    explicit Recorded(const FormLayout& layout)
        : widgets(&window, layout)
    {
        widgets.connectEvents([this](int id, FormEvent e) {
            const char* names[] = { "Click", "Scroll", "Change" };
            events << QString("%1:%2").arg(widgets.control(id)->objectName(), names[int(e)]);
            return true;
        });
    }
    QWidget window;
    FormWidgets widgets;
    QStringList events;
};

} // namespace

// Every control of the three layouts is made with its name, class, text and place (a frame's controls inside
// it), and Tab visits them in the table's order.
TEST(QtWiring, EveryControlIsMadeAsItsLayoutSays)
{
    const QStringList opaque { "Label5", "Label7", "Label9", "Label11" };
    for (const FormLayout* layout : { &mainfrmLayout(), &presetsLayout(), &warningLayout() }) {
        SCOPED_TRACE(layout->name);
        Recorded r(*layout);
        EXPECT_EQ(r.window.objectName(), layout->name);
        EXPECT_EQ(r.window.windowTitle(), layout->caption);
        EXPECT_EQ(r.window.size(), QSize(toPixels(layout->clientWidth), toPixels(layout->clientHeight)));
        QStringList tabs, expectedTabs;
        for (QWidget* w = r.window.nextInFocusChain(); w != &r.window; w = w->nextInFocusChain())
            tabs << w->objectName();
        for (const ControlLayout& c : layout->controls) {
            SCOPED_TRACE(c.name);
            QWidget* w = r.widgets.control(c.id);
            EXPECT_EQ(w->objectName(), c.name);
            EXPECT_STREQ(w->metaObject()->className(), kQtClasses[int(c.kind)]);
            EXPECT_EQ(w->parentWidget(), c.frame ? r.widgets.control(c.frame) : &r.window);
            EXPECT_EQ(w->geometry(),
                QRect(toPixels(c.rect.left), toPixels(c.rect.top), toPixels(c.rect.width), toPixels(c.rect.height)));
            auto* slider = qobject_cast<QSlider*>(w);
            EXPECT_EQ(slider ? std::to_string(slider->maximum()) : shownText(w),
                slider ? std::to_string(c.sliderMax) : c.text);
            const bool readOnly = c.kind == ControlKind::ReadOnlyEdit || c.kind == ControlKind::InfoBox;
            EXPECT_EQ(w->property("readOnly").toBool(), readOnly);
            // Only the labels that cross their frame's line hide it.
            EXPECT_EQ(w->autoFillBackground(), QString(layout->name) == "Presets" && opaque.contains(c.name));
            if (w->focusPolicy() != Qt::NoFocus)
                expectedTabs << c.name;
        }
        tabs = tabs.filter(QRegularExpression("^(" + expectedTabs.join('|') + ")$"));
        EXPECT_EQ(tabs.join(' ').toStdString(), expectedTabs.join(' ').toStdString());
    }
}

// The user's events reach the model as the forms name them, the program's own changes do not; texts go to and
// from the controls in Windows-1252.
TEST(QtWiring, EventsReachTheModelAndTheViewReachesTheControls)
{
    Recorded r(mainfrmLayout());
    r.window.show();
    r.window.activateWindow(); // arrow keys move the focus only in the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r.window));
    using M = MainfrmControls;
    auto* slider = r.widgets.control<QSlider>(M::IDC_Slider1);
    const auto option = [&](int id) { return r.widgets.control<QAbstractButton>(id); };
    const auto key = [&](int id, Qt::Key k) {
        return [=] { option(id)->setFocus(), QTest::keyClick(option(id), k); };
    };
    const auto mouse = [&](int id) { return [=] { QTest::mouseClick(option(id), Qt::LeftButton, {}, {4, 8}); }; };
    const struct { const char* name; std::function<void()> act; const char* events; } cases[] = {
        { "key", [&] { QTest::keyClick(slider, Qt::Key_Right); }, "Slider1:Click" },
        { "drag", [&] { dragSlider(slider, 20); }, "Slider1:Scroll( Slider1:Scroll)*" },
        { "program's slider", [&] { r.widgets.setSliderValue(M::IDC_Slider1, 9999); }, "" },
        { "button", [&] { QTest::mouseClick(option(M::IDC_Command4), Qt::LeftButton); }, "Command4:Click" },
        // However an option is chosen, or chosen again, it is one Click.
        { "option", mouse(M::IDC_Option2), "Option2:Click" },
        { "option again", mouse(M::IDC_Option2), "Option2:Click" },
        { "option by toggle action", [&] { toggle(option(M::IDC_Option3)); }, "Option3:Click" },
        { "option by Space", key(M::IDC_Option1, Qt::Key_Space), "Option1:Click" },
        { "option by arrow key", key(M::IDC_Option1, Qt::Key_Down), "Option2:Click" },
        { "box", [&] { r.widgets.control<QLineEdit>(M::IDC_Text2)->setText("7"); }, "Text2:Change" },
        { "program's box", [&] { r.widgets.setText(M::IDC_Text2, "\xE9"); }, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        r.events.clear();
        c.act();
        EXPECT_TRUE(QRegularExpression(QString("^%1$").arg(c.events)).match(r.events.join(' ')).hasMatch())
            << r.events.join(' ').toStdString();
    }
    EXPECT_EQ(r.widgets.sliderValue(M::IDC_Slider1), 600);
    EXPECT_EQ(r.widgets.control<QLineEdit>(M::IDC_Text2)->text(), QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(r.widgets.text(M::IDC_Text2), "\xE9");
}

} // namespace tavrel::test
