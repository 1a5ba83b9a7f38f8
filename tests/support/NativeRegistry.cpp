#include "support/NativeRegistry.h"

#ifdef _WIN32

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace tavrel::test {

void deleteLocalMachineTree(const std::string& path)
{
    const LSTATUS s = ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error("cannot delete HKLM\\" + path + ": status " + std::to_string(s));
}

RegistrySnapshot snapshotLocalMachine(const std::string& path)
{
    RegistrySnapshot out;
    std::vector<std::string> pending{""}; // relative paths still to list
    while (!pending.empty()) {
        const std::string relative = pending.back();
        pending.pop_back();
        HKEY key = nullptr;
        const std::string full = relative.empty() ? path : path + "\\" + relative;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, full.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            if (relative.empty())
                return out;
            throw std::runtime_error("cannot open " + full);
        }
        auto& values = out[relative];
        char name[16384];
        std::vector<BYTE> data(1 << 16);
        for (DWORD i = 0;; ++i) {
            DWORD nameLen = sizeof name, dataLen = static_cast<DWORD>(data.size()), type = 0;
            if (::RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS)
                break;
            values[std::string(name, nameLen)] = {type, std::string(reinterpret_cast<char*>(data.data()), dataLen)};
        }
        for (DWORD i = 0;; ++i) {
            DWORD nameLen = sizeof name;
            if (::RegEnumKeyExA(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            pending.push_back(relative.empty() ? std::string(name, nameLen) : relative + "\\" + std::string(name, nameLen));
        }
        ::RegCloseKey(key);
    }
    return out;
}

} // namespace tavrel::test

#endif
