#!/usr/bin/env bash
# Cross-builds the Windows program twice with MinGW-w64 and tests it.
# - build-win98, for Windows 95/98/ME (cmake/mingw-w64-i686.cmake): the core
#   and tavrel.exe, whose link is followed by the import audit and the size
#   limit (cmake/Win9xAudit.cmake), then the audit's own tests. No program
#   runs there: this kernel runs no 32-bit programs.
# - build-win, its 64-bit twin (cmake/mingw-w64.cmake): the core tests, the
#   window tests and tavrel.exe under Wine, against the real registry API.
# Called by test.sh; TAVREL_SKIP_WINE=1 skips it there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest \
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick

common=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_BENCH=OFF -DTAVREL_WERROR=ON -DTAVREL_BUILD_GUI=ON)

cmake -S . -B build-win98 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-i686.cmake" "${common[@]}"
cmake --build build-win98 -j2
ctest --test-dir build-win98 --output-on-failure -j2

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" "${common[@]}"
cmake --build build-win -j2
ctest --test-dir build-win --output-on-failure -j2
