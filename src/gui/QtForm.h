#pragma once

#include <functional>
#include <map>
#include <string>

#include <QString>
#include <QWidget>

#include "FormLayout.h"
#include "FormView.h"
#include "MessageBoxes.h"

namespace tavrel {

// A form's controls, made as Qt widgets from its layout, and the part of the
// view that every form shares. The program's own changes are made with
// signals blocked, so that only the user's reach the model.
class FormWidgets {
public:
    // Makes the window `window` the form: its name, caption, font, fixed
    // size and controls.
    FormWidgets(QWidget* window, const FormLayout& layout);

    template <typename T = QWidget> T* control(int id) const { return static_cast<T*>(controls_.at(id)); }
    // Hands the user's events on every control to `handle`.
    void connectEvents(std::function<bool(int, FormEvent)> handle);

    std::string text(int id) const;
    void setText(int id, const std::string& text);
    int sliderValue(int id) const;
    void setSliderValue(int id, int value);

private:
    void make(QWidget* window, const ControlLayout& c);
    void connectOption(int id, const std::function<bool(int, FormEvent)>& handle);

    const FormLayout& layout_;
    std::map<int, QWidget*> controls_;
    bool optionWasChecked_ = false;
    bool quiet_ = false; // the program is setting a text
};

// A top-level window of the program over a form's view interface.
template <typename View> class QtForm : public QWidget, public View {
public:
    std::string text(int id) const override { return widgets_.text(id); }
    void setText(int id, const std::string& text) override { widgets_.setText(id, text); }
    int sliderValue(int id) const override { return widgets_.sliderValue(id); }
    void setSliderValue(int id, int value) override { widgets_.setSliderValue(id, value); }
    void setEnabled(int id, bool enabled) override { widgets_.control(id)->setEnabled(enabled); }
    void showMessage(const std::string& text) override
    {
        if (messages_)
            messages_->show(isVisible() ? this : nullptr, QString::fromStdString(text));
    }
    void close() override { QWidget::close(); }

protected:
    QtForm(const FormLayout& layout, MessageBoxes* messages, QWidget* parent = nullptr)
        : QWidget(parent,
            Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
        , widgets_(this, layout)
        , messages_(messages)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }

    FormWidgets widgets_;
    MessageBoxes* messages_;
};

// Centres a window on the screen's work area.
void centreOnScreen(QWidget* w);
// Shows a window, restored and in front of the others.
void bringForward(QWidget* w);

} // namespace tavrel
