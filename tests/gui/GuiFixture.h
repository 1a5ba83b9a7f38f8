#pragma once

#include <QtTest>
#include <QtWidgets>

#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "driver/DriverLayout.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

namespace tavrel::test {

// A visible window by object name: "Mainfrm", "Presets" or "Warning".
inline QWidget* window(const char* name, bool visible = true)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && (w->isVisible() || !visible))
            return w;
    return nullptr;
}

// The windows on an in-memory registry and a fresh folder; message boxes (modal, they would block) are kept.
struct GuiFixture : MessageBoxes {
    explicit GuiFixture(bool oneAdapter = true) // a GeForceDDR under "0000" at 450/135
    {
        oneAdapter ? reg.addAdapter(0, "GeForceDDR", 450, 135) : void();
    }
    ~GuiFixture() override // deletes the windows left open
    {
        for (const char* name : {"Mainfrm", "Presets", "Warning"})
            while (QWidget* w = window(name, false))
                delete w;
    }
    void show(QWidget*, const QString& text) override { messages.push_back(text.toStdString()); }

    Mainfrm* start() { return main = Mainfrm::start(state, *this); }

    // A control of window `in`, by default the main window.
    template <typename T = QAbstractButton> T* child(const char* name, QWidget* in = nullptr) const
    {
        T* w = (in ? in : main.data())->findChild<T*>(QString::fromLatin1(name));
        return w ? w : throw std::runtime_error(std::string("no control ") + name);
    }
    void click(const char* name, QWidget* in = nullptr) const // the windows it closes are gone after
    {
        QAbstractButton* button = child(name, in); // near the left: a radio button answers on its circle and text
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TempDir dir;
    std::filesystem::path presetPath = dir / "TAVRL.CFG";
    FakeRegistry reg;
    ProgramState state{reg, PresetFile(presetPath)};
    std::vector<std::string> messages;
    QPointer<Mainfrm> main;
};

// An assistive technology's toggle action (AT-SPI "toggle").
inline void toggle(QAbstractButton* b)
{
    QAccessible::queryAccessibleInterface(b)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// Drags a slider's handle with the mouse by dx pixels, in steps as a hand moves; each position shows while held.
inline void dragSlider(QSlider* slider, int dx)
{
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.minimum = slider->minimum(), opt.maximum = slider->maximum(), opt.sliderPosition = slider->value();
    QPoint p = slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider).center();
    QTest::mousePress(slider, Qt::LeftButton, {}, p);
    for (int step = 0; step < std::abs(dx); step += 5)
        QTest::mouseMove(slider, p += QPoint(dx < 0 ? -5 : 5, 0));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, p);
}

} // namespace tavrel::test
