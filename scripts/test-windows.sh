#!/usr/bin/env bash
# Cross-builds Tavrel for Windows with MinGW-w64 and runs its tests under
# Wine, against the real registry API. With a Qt for MinGW in the cache
# (scripts/build-qt-windows.sh; TAVREL_WINDOWS_GUI=1 builds it first) the
# whole program is built and tried too: the window tests, and tavrel.exe
# started on a virtual display. Called by test.sh; TAVREL_SKIP_WINE=1 skips it there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64 fonts-wine qt6-base-dev-tools
source scripts/qt-windows-prefix.sh
if [ "${TAVREL_WINDOWS_GUI:-0}" = 1 ]; then
  scripts/build-qt-windows.sh
fi

gui=(-DTAVREL_BUILD_GUI=OFF)
if [ -f "$TAVREL_QT_WINDOWS/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  gui=(-DTAVREL_BUILD_GUI=ON -DTAVREL_QT_WINDOWS="$TAVREL_QT_WINDOWS"
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
else
  echo "No Qt for Windows in $TAVREL_QT_WINDOWS, so only the core is built: scripts/build-qt-windows.sh builds it (about 40 minutes), or run with TAVREL_WINDOWS_GUI=1"
fi

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_BENCH=OFF -DTAVREL_WERROR=ON "${gui[@]}"
cmake --build build-win -j2
ctest --test-dir build-win --output-on-failure -j2
