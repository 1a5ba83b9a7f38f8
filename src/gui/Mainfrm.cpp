#include "Mainfrm.h"

#include <algorithm>
#include <cmath>

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTextDocument>
#include <QSignalBlocker>

#include "AnsiText.h"
#include "ChildWindows.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Resources.h"
#include "Version.h"
#include "driver/ApplyClocks.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"
#include "ui_Mainfrm.h"

namespace tavrel {

namespace {

void centreOnScreen(QWidget* w)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    }
}

} // namespace

Mainfrm::Mainfrm(ProgramState& state, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , state_(state)
    , messages_(messages)
    , ui(std::make_unique<Ui::Mainfrm>())
{
    setFont(layoutFont());
    ui->setupUi(this);
    setWindowTitle(QString::fromLatin1(kMainCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    setWindowIcon(QIcon(QStringLiteral(":/tavrel.png")));
    ui->Picture1->setPixmap(QPixmap(QStringLiteral(":/logo.bmp")));
    // Four lines of Info fit the box only with a slim margin.
    ui->Text3->document()->setDocumentMargin(1);

    // Every value change a user makes counts: dragging is Scroll, anything
    // else (a click on the groove, the keyboard, the wheel) is Click. The
    // program's own changes are made with signals blocked.
    connect(ui->Slider1, &QSlider::valueChanged, this,
            [this] { ui->Slider1->isSliderDown() ? Slider1_Scroll() : Slider1_Click(); });
    connect(ui->Slider2, &QSlider::valueChanged, this,
            [this] { ui->Slider2->isSliderDown() ? Slider2_Scroll() : Slider2_Click(); });
    connect(ui->Text1, &QLineEdit::textChanged, this, &Mainfrm::Text1_Change);
    connect(ui->Text2, &QLineEdit::textChanged, this, &Mainfrm::Text2_Change);
    connect(ui->Command1, &QPushButton::clicked, this, &Mainfrm::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Mainfrm::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &Mainfrm::Command3_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &Mainfrm::Command4_Click);
    connect(ui->Command5, &QPushButton::clicked, this, &Mainfrm::Command5_Click);
    connectOption(ui->Option1, &Mainfrm::Option1_Click);
    connectOption(ui->Option2, &Mainfrm::Option2_Click);
    connectOption(ui->Option3, &Mainfrm::Option3_Click);
    connectOption(ui->Option4, &Mainfrm::Option4_Click);
}

void Mainfrm::connectOption(QRadioButton* option, void (Mainfrm::*handler)())
{
    // Choosing an option by mouse, keyboard or an assistive technology's
    // toggle action checks it; a click on the option already chosen checks
    // nothing but chooses that preset again. Every click path starts with
    // pressed, which tells the two apart.
    connect(option, &QRadioButton::pressed, this, [this, option] { optionWasChecked_ = option->isChecked(); });
    connect(option, &QRadioButton::toggled, this, [this, handler](bool checked) {
        if (checked)
            (this->*handler)();
    });
    connect(option, &QRadioButton::clicked, this, [this, handler] {
        if (optionWasChecked_)
            (this->*handler)();
    });
}

Mainfrm::~Mainfrm() = default;

Mainfrm* Mainfrm::start(ProgramState& state, MessageBoxes& messages)
{
    auto* w = new Mainfrm(state, messages);
    if (!w->Form_Load()) {
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

bool Mainfrm::Form_Load()
{
    loadPresets();

    switch (ScanDisplayKeys(state_)) {
    case ScanOutcome::NoAdapter:
        messages_.show(nullptr, QString::fromStdString(kNoAdapterMessage));
        return false;
    case ScanOutcome::SeveralAdapters:
        openAdapterChoice();
        break;
    case ScanOutcome::OneAdapter:
        break;
    }
    showAdapter();
    return true;
}

void Mainfrm::loadPresets()
{
    const PresetLoad load = tavrel::loadPresets(state_.presetFile, state_.PresetTable, PresetDefaults::Start);
    if (load.source == PresetLoad::Source::Defaults) {
        // The sliders start at preset 1's clocks until the adapter's are read.
        setSliderValue(ui->Slider1, state_.PresetTable[0].MemoryClock.toInt32().value_or(0));
        setSliderValue(ui->Slider2, state_.PresetTable[0].CoreClock.toInt32().value_or(0));
    } else if (load.source == PresetLoad::Source::Unreadable) {
        // The program goes on without the presets, but says why they are missing.
        messages_.show(nullptr, QStringLiteral("The presets could not be read; the preset buttons stay empty.\n\n")
                                    + QString::fromStdString(load.error.message()));
    }
    showPresetNames();
}

void Mainfrm::showPresetNames()
{
    QRadioButton* options[] = {ui->Option1, ui->Option2, ui->Option3, ui->Option4};
    for (std::size_t i = 0; i < 4; ++i)
        options[i]->setText(captionText(state_.PresetTable[i].Name));
}

void Mainfrm::showAdapter()
{
    // The lines end in CR LF; the box shows line breaks, not the CR.
    QString shown = fromAnsi(ShowDriverInfo(state_));
    shown.remove(QLatin1Char('\r'));
    if (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    ui->Text3->setPlainText(shown);

    const CurrentClocks clocks = ReadCurrentClocks(state_);
    applyClocks(clocks.core, clocks.memory);
}

void Mainfrm::applyClocks(const ClockReading& core, const ClockReading& memory)
{
    setClockText(ui->Text2, fromAnsi(core.text));
    if (core.slider)
        setSliderValue(ui->Slider2, *core.slider);
    setClockText(ui->Text1, fromAnsi(memory.text));
    if (memory.slider)
        setSliderValue(ui->Slider1, *memory.slider);
}

void Mainfrm::openAdapterChoice()
{
    // Opened without waiting: the load sequence goes on, and the main
    // window appears beside it. Only detection opens it, once per run.
    if (warning_)
        return;
    // The main window must show the adapter its "OK" writes to.
    warning_ = createAdapterChoice(state_, this, [this] { showAdapter(); });
    warning_->show();
}

void Mainfrm::setSliderValue(QSlider* slider, std::int32_t value)
{
    const QSignalBlocker blocker(slider);
    slider->setValue(std::clamp<std::int32_t>(value, slider->minimum(), slider->maximum()));
}

void Mainfrm::setClockText(QLineEdit* box, const QString& text)
{
    if (box->text() != text) {
        box->setText(text); // textChanged runs the change handler
        return;
    }
    if (box == ui->Text1)
        Text1_Change();
    else
        Text2_Change();
}

void Mainfrm::Slider1_Scroll()
{
    ui->Text1->setText(QString::number(ui->Slider1->value()));
    ui->Command1->setEnabled(true);
}

void Mainfrm::Slider1_Click() { Slider1_Scroll(); }

void Mainfrm::Slider2_Scroll()
{
    ui->Text2->setText(QString::number(ui->Slider2->value()));
    ui->Command1->setEnabled(true);
}

void Mainfrm::Slider2_Click() { Slider2_Scroll(); }

void Mainfrm::Text1_Change()
{
    // A text that is no number leaves the slider where it is.
    if (const auto n = readStrict(toAnsi(ui->Text1->text())))
        setSliderValue(ui->Slider1, *n);
    ui->Command1->setEnabled(true);
}

void Mainfrm::Text2_Change()
{
    if (const auto n = readStrict(toAnsi(ui->Text2->text())))
        setSliderValue(ui->Slider2, *n);
    ui->Command1->setEnabled(true);
}

void Mainfrm::Command1_Click()
{
    const ApplyOutcome outcome
        = tavrel::applyClocks(state_, state_.AdapterKey, toAnsi(ui->Text1->text()), toAnsi(ui->Text2->text()));
    if (!outcome.message.empty())
        messages_.show(this, QString::fromStdString(outcome.message));
    // After a failure "OK" stays enabled, to try again.
    if (outcome.written)
        ui->Command1->setEnabled(false);
}

void Mainfrm::Command2_Click() { close(); }

void Mainfrm::Command3_Click()
{
    setClockText(ui->Text1, fromAnsi(state_.StartMemClock.toText()));
    setClockText(ui->Text2, QString::number(state_.StartGrfxClock));
    if (const auto n = state_.StartMemClock.toInt32())
        setSliderValue(ui->Slider1, *n);
    setSliderValue(ui->Slider2, state_.StartGrfxClock);
}

void Mainfrm::Command4_Click()
{
    setSliderValue(ui->Slider1, kStockMemClock);
    setSliderValue(ui->Slider2, kStockCoreClock);
    setClockText(ui->Text1, QString::number(ui->Slider1->value()));
    setClockText(ui->Text2, QString::number(ui->Slider2->value()));
}

void Mainfrm::Command5_Click()
{
    // Modeless and only one: a second press brings the open editor forward
    // as it is, without loading it again.
    if (!presets_) {
        presets_ = createPresetEditor(state_, messages_, this, [this] { showPresetNames(); });
        centreOnScreen(presets_);
        presets_->show();
        return;
    }
    presets_->setWindowState(presets_->windowState() & ~Qt::WindowMinimized);
    presets_->show();
    presets_->raise();
    presets_->activateWindow();
}

void Mainfrm::applyPreset(int entry)
{
    const ClockPreset& preset = state_.PresetTable[static_cast<std::size_t>(entry - 1)];
    if (const auto n = preset.MemoryClock.toInt32())
        setSliderValue(ui->Slider1, *n);
    if (const auto n = preset.CoreClock.toInt32())
        setSliderValue(ui->Slider2, *n);
    setClockText(ui->Text1, fromAnsi(preset.MemoryClock.toText()));
    setClockText(ui->Text2, fromAnsi(preset.CoreClock.toText()));
}

void Mainfrm::Option1_Click() { applyPreset(1); }
void Mainfrm::Option2_Click() { applyPreset(2); }
void Mainfrm::Option3_Click() { applyPreset(3); }
void Mainfrm::Option4_Click() { applyPreset(4); }

} // namespace tavrel
