#!/usr/bin/env bash
# Makes a release of the checked-out commit in dist/, from fresh builds in
# build-release/:
#   tavrel_<version>_amd64.deb      the Debian package (CPack), for this machine's architecture
#   tavrel-<version>-windows.zip    TAVREL.EXE for Windows 95/98/ME, README.TXT, LICENSE.TXT
#   tavrel-<version>.tar.gz         the sources (git archive)
#   SHA256SUMS                      the three files' SHA-256 sums
# The version is the one in CMakeLists.txt's project(). A tree with changes
# not yet committed is refused, since the source tarball would not hold what
# was built; TAVREL_RELEASE_ALLOW_DIRTY=1 lets it through for a try.
# tests/release/check.sh checks what this makes.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  echo "release.sh: $PWD is not a git checkout; the source tarball is made with git archive" >&2
  exit 1
fi
if [ -n "$(git status --porcelain --untracked-files=no)" ] && [ "${TAVREL_RELEASE_ALLOW_DIRTY:-0}" != 1 ]; then
  echo "release.sh: the tree has changes that are not committed; commit them first" >&2
  exit 1
fi

scripts/deps.sh dpkg-dev file zip g++-mingw-w64-i686-win32 binutils-mingw-w64-i686

# Time stamps in the zip and the package from the commit, so that the same
# commit gives the same files.
export SOURCE_DATE_EPOCH TZ=UTC
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
rm -rf build-release dist
mkdir -p dist

# Linux: Debian's compiler and linker flags (hardening included), as a
# Debian package build would pass them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-release/linux -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DTAVREL_DEBIAN_PACKAGE=ON -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-release/linux -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-release/linux/CMakeCache.txt)
(cd build-release/linux && cpack -B "$PWD/package")
deb=tavrel_${version}_$(dpkg --print-architecture).deb
mv "build-release/linux/package/$deb" dist/

# Windows 95/98/ME: the build's floppy/ folder, audited on the way.
cmake -S . -B build-release/win98 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF
cmake --build build-release/win98 -j2
zip=$PWD/dist/tavrel-${version}-windows.zip
(cd build-release/win98/floppy && touch -d "@$SOURCE_DATE_EPOCH" TAVREL.EXE README.TXT LICENSE.TXT &&
  zip -X -9 -q "$zip" TAVREL.EXE README.TXT LICENSE.TXT)

git archive --format=tar.gz --prefix="tavrel-${version}/" -o "dist/tavrel-${version}.tar.gz" HEAD

(cd dist && sha256sum "$deb" "tavrel-${version}-windows.zip" \
  "tavrel-${version}.tar.gz" > SHA256SUMS)
ls -l dist
