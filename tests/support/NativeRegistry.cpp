#include "support/NativeRegistry.h"

#ifdef _WIN32

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace tavrel::test {

std::ostream& operator<<(std::ostream& out, const StoredValue& value)
{
    out << "type " << value.type << ", " << value.data.size() << " bytes:";
    for (unsigned char c : value.data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", c);
        out << hex;
    }
    return out;
}

void deleteLocalMachineTree(const std::string& path)
{
    const LSTATUS s = ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND)
        throw std::runtime_error("cannot delete HKLM\\" + path + ": status " + std::to_string(s));
}

namespace {

void snapshotKey(HKEY key, const std::string& relative, RegistrySnapshot& out)
{
    DWORD subkeys = 0, maxSubkeyLen = 0, values = 0, maxNameLen = 0, maxDataLen = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkeyLen, nullptr, &values, &maxNameLen,
                           &maxDataLen, nullptr, nullptr)
        != ERROR_SUCCESS)
        throw std::runtime_error("cannot query key " + relative);

    auto& here = out[relative];
    std::vector<char> name(maxNameLen + 1);
    std::vector<BYTE> data(maxDataLen + 1);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        DWORD dataLen = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueA(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS)
            throw std::runtime_error("cannot list the values of " + relative);
        here[std::string(name.data(), nameLen)] = {type, std::string(reinterpret_cast<char*>(data.data()), dataLen)};
    }

    std::vector<char> subName(maxSubkeyLen + 1);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD len = static_cast<DWORD>(subName.size());
        if (::RegEnumKeyExA(key, i, subName.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot list the keys of " + relative);
        const std::string sub(subName.data(), len);
        HKEY child = nullptr;
        if (::RegOpenKeyExA(key, sub.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS)
            throw std::runtime_error("cannot open " + sub);
        snapshotKey(child, relative.empty() ? sub : relative + "\\" + sub, out);
        ::RegCloseKey(child);
    }
}

} // namespace

RegistrySnapshot snapshotLocalMachine(const std::string& path)
{
    RegistrySnapshot out;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    try {
        snapshotKey(key, "", out);
    } catch (...) {
        ::RegCloseKey(key);
        throw;
    }
    ::RegCloseKey(key);
    return out;
}

} // namespace tavrel::test

#endif
