#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// A failed check is a finding: say what failed and stop, so that libFuzzer
// keeps the input that led here. (assert is gone in release builds.)
#define FUZZ_CHECK(cond)                                                                                             \
    do {                                                                                                             \
        if (!(cond)) {                                                                                               \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);                            \
            std::abort();                                                                                            \
        }                                                                                                            \
    } while (0)

// The fuzzer's input, taken a byte or a run of bytes at a time from the front.
struct FuzzInput {
    std::string_view rest;
    std::uint8_t byte() { return rest.empty() ? 0 : static_cast<std::uint8_t>(take(1)[0]); }
    std::string_view take(std::size_t n)
    {
        const std::string_view head = rest.substr(0, n);
        rest.remove_prefix(head.size());
        return head;
    }
};
