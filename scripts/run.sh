#!/usr/bin/env bash
# Builds Tavrel and starts it on a copy of the bundled one-adapter sample registry.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_BUILD_GUI=ON
cmake --build build -j2 --target tavrel

# Work on a copy, so the sample stays as shipped.
mkdir -p build/run
[ -f build/run/registry.reg ] || cp samples/one-adapter.reg build/run/registry.reg
TAVREL_REGISTRY="$PWD/build/run/registry.reg" exec build/src/app/tavrel
