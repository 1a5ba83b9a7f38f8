#include "WarningModel.h"

#include "driver/Detection.h"
#include "driver/DriverLayout.h"

namespace tavrel {

WarningModel::WarningModel(DriverState& state, WarningView& view)
    : state_(state)
    , view_(view)
    , AdapterChoice(kCardGeForce)
{
}

bool WarningModel::handle(int control, FormEvent event)
{
    using E = FormEvent;
    using W = WarningModel;
    static const FormHandler<W> handlers[] = {
        { IDC_Option1, E::Click, &W::Option1_Click },
        { IDC_Option2, E::Click, &W::Option2_Click },
        { IDC_Command1, E::Click, &W::Command1_Click },
        { IDC_Command2, E::Click, &W::Command2_Click },
    };
    return dispatch(*this, handlers, control, event);
}

void WarningModel::Form_Load()
{
    view_.setChecked(IDC_Option1);
}

void WarningModel::Option1_Click()
{
    AdapterChoice = kCardGeForce;
}

void WarningModel::Option2_Click()
{
    AdapterChoice = kCardTNT2Ultra;
}

void WarningModel::Command1_Click()
{
    if (applyAdapterChoice(state_, AdapterChoice))
        view_.adapterChanged();
    view_.close();
}

void WarningModel::Command2_Click()
{
    view_.close();
}

} // namespace tavrel
