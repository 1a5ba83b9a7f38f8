#include "support/TestRegistry.h"

#include <stdexcept>

#ifdef _WIN32
#include "registry/WinRegistryApi.h"
#include "support/NativeRegistry.h"
#else
#include "registry/RegFileStore.h"
#endif

namespace tavrel::test {

namespace {

#ifndef _WIN32
std::filesystem::path registryFile(const TempDir& dir)
{
    return dir / "registry.reg";
}
#endif

void removeOwned([[maybe_unused]] const std::vector<std::string>& keys)
{
#ifdef _WIN32
    for (const auto& key : keys)
        deleteLocalMachineTree(key);
#endif
}

} // namespace

TestRegistry::TestRegistry(std::vector<std::string> ownedKeys)
    : owned_(std::move(ownedKeys))
{
    removeOwned(owned_);
    api_ = reopen();
}

TestRegistry::~TestRegistry()
{
    api_.reset(); // closes what the test left open before its keys go
    try {
        removeOwned(owned_);
    } catch (...) {
        // A key that stays is seen by the next test's constructor, which throws.
    }
}

std::unique_ptr<RegistryApi> TestRegistry::reopen() const
{
#ifdef _WIN32
    return std::make_unique<WinRegistryApi>();
#else
    auto store = std::make_unique<RegFileStore>(registryFile(dir_));
    if (!store->load())
        throw std::runtime_error(store->loadError().message());
    return store;
#endif
}

const char* TestRegistry::backendName()
{
    return isWindows ? "advapi32" : ".reg store";
}

} // namespace tavrel::test
