#include "Presets.h"

#include <QLineEdit>
#include <QPointer>

#include "ChildWindows.h"
#include "ProgramState.h"

namespace tavrel {

Presets::Presets(ProgramState& state, MessageBoxes& messages)
    : QtForm(presetsLayout(), &messages)
    , model_(state, *this)
{
    widgets_.connectEvents([this](int id, FormEvent event) { return model_.handle(id, event); });
}

int Presets::caret(int box) const
{
    return widgets_.control<QLineEdit>(box)->cursorPosition();
}

void Presets::setCaret(int box, int position)
{
    widgets_.control<QLineEdit>(box)->setCursorPosition(position);
}

void Presets::presetsStored()
{
    if (presetsStored_)
        presetsStored_();
}

QWidget* createPresetEditor(ProgramState& state, MessageBoxes& messages, QWidget* receiver,
    std::function<void()> presetsStored)
{
    auto* w = new Presets(state, messages);
    // The main window may be closed while the editor stays open; then there
    // are no option buttons to rename.
    w->onPresetsStored([receiver = QPointer<QWidget>(receiver), run = std::move(presetsStored)] {
        if (receiver)
            run();
    });
    w->model().Form_Load();
    return w;
}

} // namespace tavrel
