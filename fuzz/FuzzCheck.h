#pragma once

#include <cstdio>
#include <cstdlib>

// A failed check is a finding: say what failed and stop, so that libFuzzer keeps the input (assert is gone in
// release builds).
#define FUZZ_CHECK(cond)                                                                                             \
    ((cond) ? void() : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond), std::abort()))
