#include "GuiFixture.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace tavrel::test {

std::string oneAdapterRegistry(std::string_view defaultValues)
{
    return regedit4(displayKey(0, "Creative Labs", "GeForceDDR",
                               "\"DriverDesc\"=\"3D Blaster Annihilator Pro\"\n\"DriverDate\"=\"2-14-2000\"\n")
                    + "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT]\n"
                    + std::string(defaultValues) + "\n");
}

void dragSlider(QSlider* slider, int value)
{
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.orientation = slider->orientation();
    opt.minimum = slider->minimum();
    opt.maximum = slider->maximum();
    opt.sliderPosition = slider->sliderPosition();
    opt.sliderValue = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
    const QRect groove = slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, slider);
    const int span = groove.width() - handle.width();
    const int target = groove.x() + handle.width() / 2
                       + QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(), value, span);
    QTest::mousePress(slider, Qt::LeftButton, {}, handle.center());
    // Walk there in small steps, as a hand would, ending exactly on the value.
    QPoint p = handle.center();
    while (p.x() != target) {
        p.rx() += (target > p.x()) ? std::min(5, target - p.x()) : std::max(-5, target - p.x());
        QMouseEvent move(QEvent::MouseMove, p, slider->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &move);
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, p);
}

} // namespace tavrel::test
