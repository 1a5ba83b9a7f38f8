#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

// A key handle as the registry layer sees it: 32 bits, 0 when no key is open.
using RegHandle = std::uint32_t;

// Registry constants; the status codes are the Win32 ones.
inline constexpr RegHandle kHKeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kKeyAccessMask = 0x3F;
inline constexpr std::uint32_t kRegOptionNonVolatile = 0;
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

inline constexpr std::int32_t kStatusSuccess = 0;
inline constexpr std::int32_t kStatusNotFound = 2;    // missing key or value
inline constexpr std::int32_t kStatusAccessDenied = 5;
inline constexpr std::int32_t kStatusInvalidHandle = 6;    // the 0 handle
inline constexpr std::int32_t kStatusNotEnoughMemory = 8;
inline constexpr std::int32_t kStatusInvalidData = 13;
inline constexpr std::int32_t kStatusWriteFault = 29;
inline constexpr std::int32_t kStatusReadFault = 30;
inline constexpr std::int32_t kStatusLockViolation = 33;
inline constexpr std::int32_t kStatusInvalidParameter = 87;
inline constexpr std::int32_t kStatusDiskFull = 112;
inline constexpr std::int32_t kStatusMoreData = 234;       // buffer too small
inline constexpr std::int32_t kStatusUnsupportedType = -1; // added by the layer

// The five registry calls the program makes, with the arguments and status
// codes of their advapi32 namesakes. The layer's algorithms are written once
// over this; one implementation calls advapi32, the other keeps a .reg file.
class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    virtual std::int32_t RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t ulOptions,
                                       std::uint32_t samDesired, RegHandle* phkResult) = 0;

    virtual std::int32_t RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t Reserved,
                                         const char* lpClass, std::uint32_t dwOptions, std::uint32_t samDesired,
                                         const void* lpSecurityAttributes, RegHandle* phkResult,
                                         std::uint32_t* lpdwDisposition) = 0;

    // lpData null with lpcbData set: a size probe. A buffer smaller than the
    // value gives kStatusMoreData and the size needed in *lpcbData.
    virtual std::int32_t RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                                          std::uint32_t* lpType, std::uint8_t* lpData,
                                          std::uint32_t* lpcbData) = 0;

    virtual std::int32_t RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved,
                                        std::uint32_t dwType, const std::uint8_t* lpData,
                                        std::uint32_t cbData) = 0;

    virtual std::int32_t RegCloseKey(RegHandle hKey) = 0;

    // A write group: the RegSetValueExA calls between begin and commit land
    // together, all or nothing, and another writer's values land wholly
    // before or after them. A backend that writes each value at once
    // (advapi32) keeps its calls as they are, and these do nothing. Inside a
    // group a write answers only what it can check at once (handle, name)
    // and a key is still created at once; the commit's status tells whether
    // the values were written, and lastErrorDetail() then says why not.
    // cancelWriteGroup drops what was staged. Groups do not nest.
    virtual void beginWriteGroup() {}
    virtual std::int32_t commitWriteGroup() { return kStatusSuccess; }
    virtual void cancelWriteGroup() {}

    // What the last failed call knows beyond its status code, naming the
    // file or key (UTF-8); empty where the status says it all.
    virtual std::string lastErrorDetail() const { return {}; }
};

// The operating system's text for a registry status ("The system cannot find
// the file specified." and the like), for messages the user reads.
const char* registryStatusText(std::int32_t status);

} // namespace tavrel
