#include "Presets.h"

#include <algorithm>
#include <string>

#include <QSignalBlocker>
#include <QValidator>

#include "AnsiText.h"
#include "ChildWindows.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Resources.h"
#include "presets/PresetStore.h"
#include "ui_Presets.h"

namespace tavrel {

namespace {

// Keeps out of a name what the preset file cannot give back: a double quote
// ends the name when the file is read, a line break ends the field. Such
// characters are dropped from typed and pasted text alike; commas are fine,
// since names are always written in quotes.
class PresetNameValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
        for (qsizetype i = input.size(); i-- > 0;) {
            const QChar c = input.at(i);
            if (c == u'"' || c == u'\r' || c == u'\n') {
                input.remove(i, 1);
                if (i < pos)
                    --pos;
            }
        }
        return Acceptable;
    }
};

} // namespace

Presets::Presets(ProgramState& state, MessageBoxes& messages)
    : QWidget(nullptr,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , state_(state)
    , messages_(messages)
    , ui(std::make_unique<Ui::Presets>())
{
    setFont(layoutFont());
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());

    auto* names = new PresetNameValidator(this);
    for (int i = 0; i < 4; ++i)
        entry(i).name->setValidator(names);

    // Dragging the handle is Scroll, any other change by the user is Click;
    // the program's own changes are made with signals blocked.
    const struct {
        QSlider* slider;
        void (Presets::*click)();
        void (Presets::*scroll)();
    } sliders[] = {
        { ui->Slider1, &Presets::Slider1_Click, &Presets::Slider1_Scroll },
        { ui->Slider2, &Presets::Slider2_Click, &Presets::Slider2_Scroll },
        { ui->Slider3, &Presets::Slider3_Click, &Presets::Slider3_Scroll },
        { ui->Slider4, &Presets::Slider4_Click, &Presets::Slider4_Scroll },
        { ui->Slider5, &Presets::Slider5_Click, &Presets::Slider5_Scroll },
        { ui->Slider6, &Presets::Slider6_Click, &Presets::Slider6_Scroll },
        { ui->Slider7, &Presets::Slider7_Click, &Presets::Slider7_Scroll },
        { ui->Slider8, &Presets::Slider8_Click, &Presets::Slider8_Scroll },
    };
    for (const auto& s : sliders) {
        connect(s.slider, &QSlider::valueChanged, this,
            [this, s] { (this->*(s.slider->isSliderDown() ? s.scroll : s.click))(); });
    }
    connect(ui->Command1, &QPushButton::clicked, this, &Presets::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Presets::Command2_Click);
}

Presets::~Presets() = default;

Presets::EntryControls Presets::entry(int index) const
{
    switch (index) {
    case 0:
        return { ui->Text1, ui->Text2, ui->Text3, ui->Slider1, ui->Slider2 };
    case 1:
        return { ui->Text4, ui->Text5, ui->Text6, ui->Slider3, ui->Slider4 };
    case 2:
        return { ui->Text7, ui->Text8, ui->Text9, ui->Slider5, ui->Slider6 };
    default:
        return { ui->Text10, ui->Text11, ui->Text12, ui->Slider7, ui->Slider8 };
    }
}

void Presets::setSliderValue(QSlider* slider, std::int32_t value)
{
    const QSignalBlocker blocker(slider);
    slider->setValue(std::clamp<std::int32_t>(value, slider->minimum(), slider->maximum()));
}

void Presets::Form_Load()
{
    ClockPresetTable& table = state_.PresetTable;
    // A file that cannot be created here is reported by "OK", which writes
    // it again; an unreadable file leaves the table as it was, and that is
    // shown.
    if (loadPresets(state_.presetFile, table, PresetDefaults::Editor).source == PresetLoad::Source::Defaults) {
        for (int i = 0; i < 4; ++i) {
            const ClockPreset& preset = table[static_cast<std::size_t>(i)];
            setSliderValue(entry(i).memorySlider, preset.MemoryClock.toInt32().value_or(0));
            setSliderValue(entry(i).coreSlider, preset.CoreClock.toInt32().value_or(0));
        }
        for (int i = 0; i < 4; ++i)
            entry(i).name->setText(fromAnsi(table[static_cast<std::size_t>(i)].Name));
        for (int i = 0; i < 4; ++i) {
            const ClockPreset& preset = table[static_cast<std::size_t>(i)];
            entry(i).memoryBox->setText(fromAnsi(preset.MemoryClock.toText()));
            entry(i).coreBox->setText(fromAnsi(preset.CoreClock.toText()));
        }
        return;
    }
    for (int i = 0; i < 4; ++i)
        entry(i).name->setText(fromAnsi(table[static_cast<std::size_t>(i)].Name));
    for (int i = 0; i < 4; ++i) {
        const ClockPreset& preset = table[static_cast<std::size_t>(i)];
        const EntryControls c = entry(i);
        c.memoryBox->setText(fromAnsi(preset.MemoryClock.toText()));
        c.coreBox->setText(fromAnsi(preset.CoreClock.toText()));
        // A clock that is no number leaves its slider where it is; the box
        // still shows the text.
        if (const auto n = preset.MemoryClock.toInt32())
            setSliderValue(c.memorySlider, *n);
        if (const auto n = preset.CoreClock.toInt32())
            setSliderValue(c.coreSlider, *n);
    }
}

void Presets::showPosition(QSlider* slider, QLineEdit* box)
{
    box->setText(QString::number(slider->value()));
}

void Presets::Slider1_Click()
{
    showPosition(ui->Slider1, ui->Text2);
}
void Presets::Slider1_Scroll()
{
    showPosition(ui->Slider1, ui->Text2);
}
void Presets::Slider2_Click()
{
    showPosition(ui->Slider2, ui->Text3);
}
void Presets::Slider2_Scroll()
{
    showPosition(ui->Slider2, ui->Text3);
}
void Presets::Slider3_Click()
{
    showPosition(ui->Slider3, ui->Text5);
}
void Presets::Slider3_Scroll()
{
    showPosition(ui->Slider3, ui->Text5);
}
void Presets::Slider4_Click()
{
    showPosition(ui->Slider4, ui->Text6);
}
void Presets::Slider4_Scroll()
{
    showPosition(ui->Slider4, ui->Text6);
}
void Presets::Slider5_Click()
{
    showPosition(ui->Slider5, ui->Text8);
}
void Presets::Slider5_Scroll()
{
    showPosition(ui->Slider5, ui->Text8);
}
void Presets::Slider6_Click()
{
    showPosition(ui->Slider6, ui->Text9);
}
void Presets::Slider6_Scroll()
{
    showPosition(ui->Slider6, ui->Text9);
}
void Presets::Slider7_Click()
{
    showPosition(ui->Slider7, ui->Text11);
}
void Presets::Slider7_Scroll()
{
    showPosition(ui->Slider7, ui->Text11);
}
void Presets::Slider8_Click()
{
    showPosition(ui->Slider8, ui->Text12);
}
void Presets::Slider8_Scroll()
{
    showPosition(ui->Slider8, ui->Text12);
}

void Presets::Command1_Click()
{
    std::array<PresetEntryTexts, 4> texts;
    for (int i = 0; i < 4; ++i) {
        const EntryControls c = entry(i);
        texts[static_cast<std::size_t>(i)]
            = {toAnsi(c.name->text()), toAnsi(c.memoryBox->text()), toAnsi(c.coreBox->text())};
    }
    storePresetEntries(state_.PresetTable, texts);

    // The store replaces the file whole or not at all, so a failure leaves
    // the previous presets on disk; the ones entered stay in use for this run.
    if (const FileError error = WritePresetFile(state_.presetFile, state_.PresetTable)) {
        messages_.show(this, QStringLiteral("The presets could not be saved; the preset file keeps its previous "
                                            "presets. The new ones are used until Tavrel ends.\n\n")
                                 + QString::fromStdString(error.message()));
    }
    emit presetsStored();
    close();
}

void Presets::Command2_Click()
{
    close();
}

QWidget* createPresetEditor(ProgramState& state, MessageBoxes& messages, QWidget* receiver,
                            std::function<void()> presetsStored)
{
    auto* w = new Presets(state, messages);
    // The main window may be closed while the editor stays open; then there
    // are no option buttons to rename.
    QObject::connect(w, &Presets::presetsStored, receiver, std::move(presetsStored));
    w->Form_Load();
    return w;
}

} // namespace tavrel
