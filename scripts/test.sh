#!/usr/bin/env bash
# Builds Tavrel and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_GUI=ON -DTAVREL_BUILD_TESTS=ON -DTAVREL_WERROR=ON
cmake --build build -j2
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j2

# The core and window tests again under AddressSanitizer and UBSan (any report fails), then each
# fuzz target for 30 s on its corpus. TAVREL_SKIP_SANITIZERS=1 leaves both out.
if [ "${TAVREL_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake --preset asan
  cmake --build --preset asan
  ctest --preset asan
  cmake --preset fuzz
  cmake --build --preset fuzz
  ctest --preset fuzz
fi

# The Windows build under Wine; TAVREL_SKIP_WINE=1 leaves it out.
if [ "${TAVREL_SKIP_WINE:-0}" != 1 ]; then
  scripts/test-windows.sh
fi
