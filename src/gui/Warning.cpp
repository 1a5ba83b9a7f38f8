#include "Warning.h"

#include <QPointer>
#include <QRadioButton>
#include <QSignalBlocker>

#include "ChildWindows.h"

namespace tavrel {

Warning::Warning(DriverState& state)
    : QtForm(warningLayout(), nullptr)
    , model_(state, *this)
{
    // A top-level window of its own: it outlives the main window if the
    // user closes that first.
    centreOnScreen(this);
    widgets_.connectEvents([this](int id, FormEvent event) { return model_.handle(id, event); });
    model_.Form_Load();
}

void Warning::setChecked(int option)
{
    auto* button = widgets_.control<QRadioButton>(option);
    const QSignalBlocker blocker(button);
    button->setChecked(true);
}

void Warning::adapterChanged()
{
    if (adapterChanged_)
        adapterChanged_();
}

QWidget* createAdapterChoice(DriverState& state, QWidget* receiver, std::function<void()> adapterChanged)
{
    auto* w = new Warning(state);
    w->onAdapterChanged([receiver = QPointer<QWidget>(receiver), run = std::move(adapterChanged)] {
        if (receiver)
            run();
    });
    return w;
}

} // namespace tavrel
