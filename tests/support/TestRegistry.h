#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "registry/RegFileStore.h"
#include "support/TempDir.h"
#ifdef _WIN32
#include "registry/WinRegistryApi.h"
#include "support/NativeRegistry.h"
#endif

namespace tavrel::test {

// The registry that backend-independent tests run over: on Windows the real
// one through advapi32 (under Wine, a fresh prefix), elsewhere a .reg file
// in a temporary folder.
class TestRegistry {
public:
    static constexpr bool isWindows =
#ifdef _WIN32
        true;
#else
        false;
#endif
    static const char* backendName() { return isWindows ? "advapi32" : ".reg store"; }

    // The keys under HKEY_LOCAL_MACHINE the test writes under: removed
    // before and after it on Windows, so a run leaves no trace.
    explicit TestRegistry(std::vector<std::string> ownedKeys) : owned_(std::move(ownedKeys))
    {
        removeOwned();
        api_ = reopen();
    }
    ~TestRegistry()
    {
        api_.reset(); // closes what the test left open before its keys go
        try {
            removeOwned();
        } catch (...) { // a key that stays is seen by the next test's constructor
        }
    }
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;

    RegistryApi& api() { return *api_; }

    // A second, independent view of the same registry, as a later run sees it.
    std::unique_ptr<RegistryApi> reopen() const
    {
#ifdef _WIN32
        return std::make_unique<WinRegistryApi>();
#else
        auto store = std::make_unique<RegFileStore>(dir_ / "registry.reg");
        if (!store->load())
            throw std::runtime_error(store->loadError().message());
        return store;
#endif
    }

private:
    void removeOwned() const
    {
#ifdef _WIN32
        for (const auto& key : owned_)
            deleteLocalMachineTree(key);
#endif
    }

    TempDir dir_;
    std::vector<std::string> owned_;
    std::unique_ptr<RegistryApi> api_;
};

} // namespace tavrel::test
