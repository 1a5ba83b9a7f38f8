#include "RegistryFile.h"

#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "io/FileIo.h"
#ifndef _WIN32
#include "registry/RegFileStore.h"
#endif

namespace tavrel {

#ifndef _WIN32
std::string registryFileShortfall(RegFileStore& store)
{
    const std::string file = "the registry file \"" + store.path().string() + "\"";
    const FileStamp stamp = fileStamp(store.path());
    if (!stamp.exists)
        return file + " does not exist";
    if (stamp.size == 0)
        return file + " is empty";
    for (int i = 0; i < kDisplayKeyCount; ++i) {
        RegHandle key = 0;
        if (store.RegOpenKeyExA(kHKeyLocalMachine, DisplayClassKey(i).c_str(), 0, kKeyAccessMask, &key)
            == kStatusSuccess) {
            store.RegCloseKey(key);
            return {};
        }
    }
    return file + " holds no display keys";
}
#endif

std::string noAdapterMessage(std::string_view shortfall)
{
    return shortfall.empty() ? kNoAdapterMessage : kNoAdapterMessage + ": " + std::string(shortfall) + ".";
}

} // namespace tavrel
