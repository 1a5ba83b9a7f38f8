#pragma once

#include <string>

#include "WarningModel.h"
#include "Win32Form.h"

namespace tavrel {

struct DriverState;

// The adapter choice, made of the system's controls: what it does is
// WarningModel's. Modeless and a window of its own, so it outlives the main
// window; it goes when closed.
class Warning final : public Win32Form<WarningView>, public WarningControls {
public:
    // Makes the window, not yet shown; nullptr when Windows refused it.
    // kAdapterChangedMessage goes to `notify` when "OK" moved AdapterKey.
    static Warning* create(DriverState& state, HWND notify);

    const std::string& adapterChoice() const { return model_.adapterChoice(); }

private:
    Warning(DriverState& state, HWND notify);
    bool onEvent(int id, FormEvent event) override { return model_.handle(id, event); }
    void setChecked(int option) override;
    void adapterChanged() override;

    WarningModel model_;
    HWND notify_;
};

} // namespace tavrel
