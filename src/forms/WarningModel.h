#pragma once

#include <string>

#include "FormLayout.h"
#include "FormView.h"

namespace tavrel {

struct DriverState;

// What the adapter choice does: asks which adapter to use when detection
// recognised several, "GeForce" or "TNT 2 Ultra", and moves AdapterKey on "OK".
class WarningModel : public WarningControls {
public:
    WarningModel(DriverState& state, WarningView& view);

    // Checks the option that matches the choice. Run once, before the first show.
    void Form_Load();
    // A user's event on a control; false when the window has no handler for it.
    bool handle(int control, FormEvent event);
    const std::string& adapterChoice() const { return AdapterChoice; }

    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    void Command2_Click();

private:
    DriverState& state_;
    WarningView& view_;
    std::string AdapterChoice;
};

} // namespace tavrel
