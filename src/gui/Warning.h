#pragma once

#include <memory>
#include <string>

#include <QPointer>
#include <QWidget>

namespace Ui {
class Warning;
}

namespace tavrel {

struct ProgramState;
class Mainfrm;

// Asks which adapter to use when detection recognised several: "GeForce"
// or "TNT 2 Ultra". Modeless; it destroys itself when closed.
class Warning : public QWidget {
    Q_OBJECT

public:
    Warning(ProgramState& state, Mainfrm* mainWindow);
    ~Warning() override;

    const std::string& adapterChoice() const { return AdapterChoice; }

    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    void Command2_Click();

private:
    ProgramState& state_;
    QPointer<Mainfrm> main_;
    std::unique_ptr<Ui::Warning> ui;
    std::string AdapterChoice;
};

} // namespace tavrel
