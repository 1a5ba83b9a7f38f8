#pragma once

#include <cstddef>
#include <string>

namespace tavrel {

// An event of the user's on a control, as the forms name their handlers:
// Click for a button, an option or a slider moved by anything but a drag,
// Scroll while a slider's thumb is dragged, Change for a box's new text.
enum class FormEvent { Click, Scroll, Change };

// A form's handlers by control and event, so that a front end hands every
// event over the same way: Model::handle(control, event).
template <typename Model> struct FormHandler {
    int control;
    FormEvent event;
    void (Model::*run)();
};

// Runs the handler for the event; false when the control has none for it.
template <typename Model, std::size_t N>
bool dispatch(Model& model, const FormHandler<Model> (&handlers)[N], int control, FormEvent event)
{
    for (const FormHandler<Model>& h : handlers) {
        if (h.control == control && h.event == event) {
            (model.*h.run)();
            return true;
        }
    }
    return false;
}

// What a form model asks of its window, each control named by its id in the
// form's layout. Texts are Windows-1252, as the core keeps them; messages are
// UTF-8 with "\n" between lines. A front end implements it over its own
// controls and hands every event of the user's to the model.
class FormView {
public:
    virtual std::string text(int control) const = 0;
    // The program's own change: no change handler runs from it; the model
    // runs the one it means.
    virtual void setText(int control, const std::string& text) = 0;
    virtual int sliderValue(int control) const = 0;
    // No Scroll or Click follows; a value outside the range stops at its
    // nearest end.
    virtual void setSliderValue(int control, int value) = 0;
    virtual void setEnabled(int control, bool enabled) = 0;
    // A message box with "OK", over this window once it is shown.
    virtual void showMessage(const std::string& text) = 0;
    // Closes the window; its model may be gone after, so it comes last.
    virtual void close() = 0;

protected:
    ~FormView() = default;
};

class MainfrmView : public FormView {
public:
    // Modeless windows of their own; the main window hears back through
    // MainfrmModel::showAdapter and showPresetNames. Only one editor: a second
    // request brings the open one forward as it is.
    virtual void openAdapterChoice() = 0;
    virtual void openPresetEditor() = 0;

protected:
    ~MainfrmView() = default;
};

class PresetsView : public FormView {
public:
    virtual int caret(int box) const = 0;
    virtual void setCaret(int box, int position) = 0;
    // Tells the main window, if it is still open, that "OK" stored the presets.
    virtual void presetsStored() = 0;

protected:
    ~PresetsView() = default;
};

class WarningView : public FormView {
public:
    virtual void setChecked(int option) = 0;
    // Tells the main window, if it is still open, that AdapterKey moved.
    virtual void adapterChanged() = 0;

protected:
    ~WarningView() = default;
};

} // namespace tavrel
