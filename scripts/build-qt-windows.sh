#!/usr/bin/env bash
# Cross-builds the static Qt for Windows that tavrel.exe links: Debian's own
# qt6-base sources, the posix MinGW-w64 toolchain and the host's Qt tools.
# Installs into ~/.cache/tavrel/qt-<version>-mingw (TAVREL_QT_WINDOWS overrides)
# and does nothing when that is already there. About 40 minutes on 2 cores.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/qt-windows-prefix.sh

if [ -f "$TAVREL_QT_WINDOWS/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  echo "Qt for Windows is already in $TAVREL_QT_WINDOWS"
  exit 0
fi

scripts/deps.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 ninja-build dpkg-dev

# Debian's source package, from the same suites as the machine's own packages.
src_list=/etc/apt/sources.list.d/tavrel-deb-src.sources
if ! apt-get indextargets --format '$(IDENTIFIER)' 2>/dev/null | grep -qx 'Sources'; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$src_list" ] || sed -n 's/^Types: deb$/Types: deb-src/p; /^\(URIs\|Suites\|Components\|Signed-By\):/p; /^$/p' "$f"
  done >"$src_list"
  [ -s "$src_list" ] || grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' >/etc/apt/sources.list.d/tavrel-deb-src.list
  apt-get update -qq
fi

work="${TAVREL_QT_WINDOWS}.build"
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source --download-only -qq "qt6-base=$QT_DEBIAN_VERSION" >/dev/null &&
  dpkg-source -x --skip-patches ./*.dsc src >/dev/null)

cat >"$work/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# Only what the program and its window tests use. Debian's source lacks
# wintab, hence no tablet events; OpenGL stays at its default (dynamic),
# since 6.4's Windows platform plugin does not build without it.
features=(tabletevent sql network dbus concurrent xml printsupport testlib_selfcover)
bundled=(zlib pcre2 jpeg png freetype harfbuzz doubleconversion)
args=()
for f in "${features[@]}"; do args+=("-DFEATURE_$f=OFF"); done
for f in "${bundled[@]}"; do args+=("-DFEATURE_system_$f=OFF"); done

start=$(date +%s)
cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_INSTALL_PREFIX="$TAVREL_QT_WINDOWS" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  "${args[@]}" >"$work/configure.log"
cmake --build "$work/build" --parallel "${TAVREL_JOBS:-2}" >"$work/build.log"
cmake --install "$work/build" >/dev/null
echo "Qt for Windows built in $(( ($(date +%s) - start) / 60 )) minutes: $(du -sh "$TAVREL_QT_WINDOWS" | cut -f1) in $TAVREL_QT_WINDOWS"
rm -rf "$work"
