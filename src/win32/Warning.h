#pragma once

#include <string>

#include "Window.h"

namespace tavrel {

struct DriverState;

// The adapter choice: asks which adapter to use when detection recognised
// several, "GeForce" or "TNT 2 Ultra". Modeless and a window of its own, so
// it outlives the main window; it goes when closed.
class Warning final : public Window {
public:
    // Control IDs, in tab order.
    enum Control : int { IDC_Label1 = 100, IDC_Label2, IDC_Option1, IDC_Option2, IDC_Command1, IDC_Command2 };

    // Makes the window, not yet shown; nullptr when Windows refused it.
    // kAdapterChangedMessage goes to `notify` when "OK" moved AdapterKey.
    static Warning* create(DriverState& state, HWND notify);

    const std::string& adapterChoice() const { return AdapterChoice; }

    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    void Command2_Click();

private:
    Warning(DriverState& state, HWND notify);
    void onCommand(int id, int code) override;
    void onSlider(int, SliderEvent) override { }

    DriverState& state_;
    HWND notify_;
    std::string AdapterChoice;
};

} // namespace tavrel
