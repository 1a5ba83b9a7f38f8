// The header index against a plain line-by-line lookup (tests/support/KeyOracle.h): every key a header names,
// its ancestors and near misses must give the same sections, section ends and existence. One byte chooses
// between the input as the file itself and a generated file whose choices the input makes.

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzCheck.h"
#include "support/KeyOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string bytes = in.ConsumeBool() ? in.ConsumeRemainingBytesAsString() : tavrel::test::generatedRegFile(
        [&](unsigned n) { return in.ConsumeIntegralInRange<unsigned>(0, n - 1); });
    const std::string difference = tavrel::test::indexDifference(bytes);
    FUZZ_CHECK((std::fprintf(stderr, "%s", difference.c_str()), difference.empty()));
    return 0;
}
