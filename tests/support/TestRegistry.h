#pragma once

#include <memory>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"
#include "support/TempDir.h"

namespace tavrel::test {

// The registry that backend-independent tests run over, chosen by platform:
// on Windows the real one through advapi32 (under Wine, a fresh prefix), so
// every case checks the store's behaviour against the platform's; elsewhere
// a .reg file in a temporary folder.
class TestRegistry {
public:
    // The keys under HKEY_LOCAL_MACHINE the test writes under: removed before
    // it starts and after it ends on Windows, so a run leaves no trace.
    explicit TestRegistry(std::vector<std::string> ownedKeys);
    ~TestRegistry();
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;

    RegistryApi& api() { return *api_; }

    // A second, independent view of the same registry, as a later run of
    // the program sees it (the .reg file loaded again).
    std::unique_ptr<RegistryApi> reopen() const;

    static const char* backendName();
    static constexpr bool isWindows =
#ifdef _WIN32
        true;
#else
        false;
#endif

private:
    TempDir dir_;
    std::vector<std::string> owned_;
    std::unique_ptr<RegistryApi> api_;
};

} // namespace tavrel::test
