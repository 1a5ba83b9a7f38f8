#pragma once

#include <functional>
#include <string>

#include "QtForm.h"
#include "WarningModel.h"

namespace tavrel {

struct DriverState;

// The adapter choice, drawn with Qt: what it does is WarningModel's.
// Modeless; it destroys itself when closed.
class Warning : public QtForm<WarningView> {
public:
    explicit Warning(DriverState& state);

    const std::string& adapterChoice() const { return model_.adapterChoice(); }
    // Runs when "OK" moved AdapterKey to another adapter.
    void onAdapterChanged(std::function<void()> run) { adapterChanged_ = std::move(run); }

private:
    void setChecked(int option) override;
    void adapterChanged() override;

    WarningModel model_;
    std::function<void()> adapterChanged_;
};

} // namespace tavrel
