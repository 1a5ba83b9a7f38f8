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

# The release files, made as scripts/release.sh makes them (from the commit
# and the changes not yet committed) and checked as a user meets them:
# tests/release/check.sh installs the .deb and removes it again.
# TAVREL_SKIP_RELEASE=1 leaves it out.
if [ "${TAVREL_SKIP_RELEASE:-0}" != 1 ]; then
  if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
    TAVREL_RELEASE_ALLOW_DIRTY=1 scripts/release.sh
    tests/release/check.sh dist
  else
    echo "test.sh: not a git checkout, so no release to make and check (scripts/release.sh uses git archive)"
  fi
fi

# The Windows build under Wine; TAVREL_SKIP_WINE=1 leaves it out.
if [ "${TAVREL_SKIP_WINE:-0}" != 1 ]; then
  scripts/test-windows.sh
fi

# The Windows program users get, run on an emulated Pentium II under 32-bit
# Wine as Windows 95, 98, ME and XP, and the i686 tests there as Windows 98;
# TAVREL_SKIP_WIN98=1 leaves it out.
if [ "${TAVREL_SKIP_WIN98:-0}" != 1 ]; then
  scripts/test-win98.sh
fi
