#pragma once

#include <memory>
#include <string>

#include <QWidget>

namespace Ui {
class Warning;
}

namespace tavrel {

struct DriverState;

// The adapter choice: asks which adapter to use when detection recognised
// several, "GeForce" or "TNT 2 Ultra". Modeless; it destroys itself when
// closed.
class Warning : public QWidget {
    Q_OBJECT

public:
    explicit Warning(DriverState& state);
    ~Warning() override;

    const std::string& adapterChoice() const { return AdapterChoice; }

    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    void Command2_Click();

signals:
    // "OK" moved AdapterKey to another adapter.
    void adapterChanged();

private:
    DriverState& state_;
    std::unique_ptr<Ui::Warning> ui;
    std::string AdapterChoice;
};

} // namespace tavrel
