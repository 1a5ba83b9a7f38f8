#!/usr/bin/env bash
# Runs every fuzz target for longer than the test command does:
#   scripts/fuzz-long.sh [SECONDS]        SECONDS for each target, 600 when not given
# Two targets run at a time. Inputs that reach new code stay in build-fuzz/fuzz/corpus/<target> for the
# next run; a crashing input is saved as build-fuzz/fuzz/crash-<target>-<hash> and fails the run.
# The last line of each target tells how far it got: executions, cov (code edges) and ft (features).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}

scripts/deps.sh
cmake --preset fuzz -DTAVREL_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build --preset fuzz

log=build-fuzz/fuzz-long.log
status=0
ctest --preset fuzz -V >"$log" 2>&1 || status=$?
# ctest prefixes each line with the test's number; name the target instead.
awk '/^[0-9]+: Test command: / { match($0, /fuzz_[a-z_]+/); name[$1] = substr($0, RSTART + 5, RLENGTH - 5) }
     /^[0-9]+: (#[0-9]+[[:space:]]+DONE|.*(ERROR|SUMMARY|check failed))/ { n = $1; $1 = ""; print name[n] ":" $0 }
     /Test +#[0-9]+: fuzz\./' "$log"
echo "full output: $log"
exit "$status"
