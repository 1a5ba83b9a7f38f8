#pragma once

#include <cstdint>
#include <memory>

#include <QWidget>

class QLineEdit;
class QSlider;

namespace Ui {
class Presets;
}

namespace tavrel {

struct ProgramState;
class MessageBoxes;

// The preset editor: four frames, each with a name and the two clocks of one
// preset on sliders. It loads the presets when it opens and stores them only
// on "OK". A top-level window of its own rather than a child of the main
// window, so that it stays open (and keeps the program running) when the
// main window has been closed.
class Presets : public QWidget {
    Q_OBJECT

public:
    Presets(ProgramState& state, MessageBoxes& messages);
    ~Presets() override;

    // Loads the table (creating the file with the editor's defaults when
    // there is none) and fills the controls. Run once, before the first show.
    void Form_Load();

    // Handlers, connected in the constructor. Click and Scroll both show the
    // slider's position in its value box.
    void Slider1_Click();
    void Slider1_Scroll();
    void Slider2_Click();
    void Slider2_Scroll();
    void Slider3_Click();
    void Slider3_Scroll();
    void Slider4_Click();
    void Slider4_Scroll();
    void Slider5_Click();
    void Slider5_Scroll();
    void Slider6_Click();
    void Slider6_Scroll();
    void Slider7_Click();
    void Slider7_Scroll();
    void Slider8_Click();
    void Slider8_Scroll();
    void Command1_Click();
    void Command2_Click();

signals:
    // "OK" stored the presets (whether or not the file could be written).
    void presetsStored();

private:
    struct EntryControls {
        QLineEdit* name;
        QLineEdit* memoryBox;
        QLineEdit* coreBox;
        QSlider* memorySlider;
        QSlider* coreSlider;
    };
    EntryControls entry(int index) const;
    void showPosition(QSlider* slider, QLineEdit* box);
    static void setSliderValue(QSlider* slider, std::int32_t value);

    ProgramState& state_;
    MessageBoxes& messages_;
    std::unique_ptr<Ui::Presets> ui;
};

} // namespace tavrel
