#include "driver/DriverLayout.h"

namespace tavrel {

std::string displayKeyName(int index)
{
    return "000" + std::to_string(index);
}

std::string DisplayClassKey(int index)
{
    return DriverSettingsRoot + displayKeyName(index);
}

std::string adapterKeyPath(const std::string& adapterKey)
{
    return DriverSettingsRoot + adapterKey;
}

std::string driverSettingsPath(const std::string& adapterKey)
{
    return DriverSettingsRoot + adapterKey + "\\DEFAULT";
}

bool equalsText(const LooseValue& value, const std::string& text)
{
    return value.isText() && value.text() == text;
}

std::string cardTypeOf(const LooseValue& providerName, const LooseValue& infSection)
{
    if (!equalsText(providerName, kCreativeLabs))
        return {};
    if (equalsText(infSection, kGeForceDDR) || equalsText(infSection, kGeForceSDR))
        return kCardGeForce;
    if (equalsText(infSection, kTNT2Ultra))
        return kCardTNT2Ultra;
    return {};
}

} // namespace tavrel
