// The registry layer's contract over advapi32: the same cases that hold over
// the .reg store must hold over the platform's own registry.
#ifdef _WIN32

#include <gtest/gtest.h>

#include "core/RegistryContract.h"
#include "registry/WinRegistryApi.h"
#include "support/NativeRegistry.h"

using namespace tavrel;

TEST(RegistryLayer, ContractHoldsOverAdvapi32)
{
    const std::string scratch = "Software\\Tavrel contract";
    test::deleteLocalMachineTree(scratch);
    int registries = 0;
    test::runRegistryLayerContract([&]() -> std::unique_ptr<RegistryApi> {
        ++registries;
        return std::make_unique<WinRegistryApi>();
    });
    EXPECT_GT(registries, 10);
    test::deleteLocalMachineTree(scratch);
}

#endif
