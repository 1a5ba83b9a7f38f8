// The registry layer's contract (QueryValue, SetKeyValue and the typed moves below them) over the in-memory
// registry; RegistryContractWindowsTest runs the same cases over advapi32.
#include <gtest/gtest.h>

#include "core/RegistryContract.h"
#include "support/FakeRegistry.h"

TEST(RegistryLayer, ContractHoldsOverTheInMemoryRegistry)
{
    tavrel::test::runRegistryLayerContract([] { return std::make_unique<tavrel::test::FakeRegistry>(); });
}
