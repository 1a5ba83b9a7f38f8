#include "Mainfrm.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>

#include "ChildWindows.h"
#include "ProgramState.h"

namespace tavrel {

Mainfrm::Mainfrm(ProgramState& state, MessageBoxes& messages, QWidget* parent)
    : QtForm(mainfrmLayout(), &messages, parent)
    , state_(state)
    , messages_(messages)
    , model_(state, *this)
{
    setWindowIcon(QIcon(QStringLiteral(":/tavrel.png")));
    widgets_.control<QLabel>(MainfrmControls::IDC_Picture1)->setPixmap(QPixmap(QStringLiteral(":/logo.bmp")));
    widgets_.connectEvents([this](int id, FormEvent event) { return model_.handle(id, event); });
}

Mainfrm* Mainfrm::start(ProgramState& state, MessageBoxes& messages)
{
    auto* w = new Mainfrm(state, messages);
    if (!w->model_.Form_Load()) {
        delete w;
        return nullptr;
    }
    centreOnScreen(w);
    w->show();
    // The question comes first: keep the adapter choice above the main window.
    if (w->warning_) {
        w->warning_->raise();
        w->warning_->activateWindow();
    }
    return w;
}

void Mainfrm::openAdapterChoice()
{
    if (warning_)
        return;
    warning_ = createAdapterChoice(state_, this, [this] { model_.showAdapter(); });
    warning_->show();
}

void Mainfrm::openPresetEditor()
{
    if (!presets_) {
        presets_ = createPresetEditor(state_, messages_, this, [this] { model_.showPresetNames(); });
        centreOnScreen(presets_);
        presets_->show();
        return;
    }
    bringForward(presets_);
}

} // namespace tavrel
