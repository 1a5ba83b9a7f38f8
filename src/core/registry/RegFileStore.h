#pragma once

#include <memory>
#include <string>

#include "io/FileIo.h"
#include "registry/RegistryApi.h"
#include "registry/regfile/RegFileError.h"

namespace tavrel {

inline constexpr std::int32_t kStatusBadDb = 1009; // the registry file was refused

// The registry file used where there is no Windows registry: $TAVREL_REGISTRY,
// else tavrel/registry.reg under $XDG_DATA_HOME (default ~/.local/share).
FilePath defaultRegistryPath();

// A registry kept in a file of the .reg text format that regedit imports and
// exports (REGEDIT4 and version 5.00). Reads see the file as loaded; every
// write rewrites the file atomically under a lock, changing only the lines of
// the value written.
class RegFileStore final : public RegistryApi {
public:
    explicit RegFileStore(FilePath file, FaultHook faults = {});
    ~RegFileStore() override;

    // Loads the file; a missing file is an empty registry. Returns false
    // for a file that cannot be read or is not a registry file; the store
    // then refuses every call with kStatusBadDb and never writes the file.
    bool load();
    const RegFileError& loadError() const;
    const FilePath& path() const;

    // Why the last write or create failed in the file, naming it; empty
    // when it did not fail there.
    const FileError& lastWriteError() const;

    std::int32_t RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t ulOptions,
                               std::uint32_t samDesired, RegHandle* phkResult) override;
    std::int32_t RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t Reserved, const char* lpClass,
                                 std::uint32_t dwOptions, std::uint32_t samDesired, const void* lpSecurityAttributes,
                                 RegHandle* phkResult, std::uint32_t* lpdwDisposition) override;
    std::int32_t RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                                  std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData) override;
    std::int32_t RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved, std::uint32_t dwType,
                                const std::uint8_t* lpData, std::uint32_t cbData) override;
    std::int32_t RegCloseKey(RegHandle hKey) override;
    // Every value of a write group goes into the file in one rewrite, under
    // the lock. Reads inside a group see the file, not what is staged.
    void beginWriteGroup() override;
    std::int32_t commitWriteGroup() override;
    void cancelWriteGroup() override;
    // Why the last call failed, naming the file: the write's or the file's
    // reason, or, for a key that could not be opened, that it does not exist.
    std::string lastErrorDetail() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace tavrel
