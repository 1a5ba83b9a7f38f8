#!/usr/bin/env bash
# Cross-builds the Qt-free core and its tests for Windows with MinGW-w64 and
# runs them under Wine, against the real registry API. Called by test.sh;
# TAVREL_SKIP_WINE=1 skips it there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_GUI=OFF -DTAVREL_BUILD_BENCH=OFF -DTAVREL_WERROR=ON
cmake --build build-win -j2
ctest --test-dir build-win --output-on-failure -j2
