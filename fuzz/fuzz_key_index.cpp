// The header index against a plain line-by-line lookup (tests/support/KeyOracle.h): every key a header names,
// its ancestors and near misses must give the same sections, section ends and existence. One byte chooses
// between the input as the file itself and a generated file whose choices the input makes.

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "support/KeyOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    std::string bytes;
    if (in.ConsumeBool()) {
        bytes = in.ConsumeRemainingBytesAsString();
    } else {
        bytes = tavrel::test::generatedRegFile([&](unsigned n) { return in.ConsumeIntegralInRange<unsigned>(0, n - 1); });
    }
    const std::string difference = tavrel::test::indexDifference(bytes);
    if (!difference.empty())
        std::fprintf(stderr, "%s\n", difference.c_str());
    FUZZ_CHECK(difference.empty());
    return 0;
}
