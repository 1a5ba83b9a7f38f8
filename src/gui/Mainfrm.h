#pragma once

#include <memory>
#include <string>

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QRadioButton;
class QSlider;

namespace Ui {
class Mainfrm;
}

namespace tavrel {

struct ProgramState;
struct ClockReading;
class MessageBoxes;

// The main window: the driver's Info, the two clocks on sliders and in text
// boxes, the preset buttons, and "OK", "Reset", "Defaults", "Close". It shows
// what the core reads and decides; "OK" itself is tavrel::applyClocks.
class Mainfrm : public QWidget {
    Q_OBJECT

public:
    Mainfrm(ProgramState& state, MessageBoxes& messages, QWidget* parent = nullptr);
    ~Mainfrm() override;

    // Creates the window, runs its load sequence and shows it. Returns
    // nullptr when the program must end instead (no adapter found).
    static Mainfrm* start(ProgramState& state, MessageBoxes& messages);

    // The load sequence; false when no adapter was found and the message
    // has been shown. The window is not shown by it.
    bool Form_Load();

    // The option buttons take the names of the preset table.
    void showPresetNames();

    // Shows the Info and the clocks of the adapter now in AdapterKey, so
    // that what "OK" writes and what the window shows belong together.
    void showAdapter();

    // Handlers, connected in the constructor.
    void Slider1_Scroll();
    void Slider1_Click();
    void Slider2_Scroll();
    void Slider2_Click();
    void Text1_Change();
    void Text2_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();

private:
    void loadPresets();
    void openAdapterChoice();
    // A choice of option runs its handler once, however it is made.
    void connectOption(QRadioButton* option, void (Mainfrm::*handler)());
    void applyClocks(const ClockReading& core, const ClockReading& memory);
    void applyPreset(int entry);
    // Puts a number on a slider as the program does: no Scroll or Click
    // follows, and a number outside the range moves it to the nearest end.
    static void setSliderValue(QSlider* slider, std::int32_t value);
    // Sets a clock box; its change handler runs even when the text is the same.
    void setClockText(QLineEdit* box, const QString& text);

    ProgramState& state_;
    MessageBoxes& messages_;
    std::unique_ptr<Ui::Mainfrm> ui;
    QPointer<QWidget> presets_;
    QPointer<QWidget> warning_;
    bool optionWasChecked_ = false;
};

} // namespace tavrel
