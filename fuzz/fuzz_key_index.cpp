// The header index against a plain line-by-line lookup (tests/support/KeyOracle.h), on the input as the file or
// on a file generated from the input's choices (one byte chooses).

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
