#!/bin/bash
# What scripts/test-win98.sh checks in the emulated Pentium II, run there by
# tests/win98/guest-init.sh with Wine's environment:
#   guest-tests.sh OUT
# OUT holds the systems' names in "systems", TAVREL.EXE in a folder per
# system, the samples (each removing the adapters' keys before it is
# imported), the i686 test programs in tests/, wintext.exe
# (tests/win98/wintext.cpp) and sse.exe; results and screenshots are left
# there. Every check runs; the status is 1 if any failed. The work
# goes in two halves at once, each with its own copy of the Wine prefix
# (/prefix, and OUT/prefix-b): one waits for windows while the other runs.
set -uo pipefail
out=$1
cd "$out" || exit 1
failed=0
# No debugger on a crash: Wine prints where it stopped, and the program ends.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES,winedbg.exe="
system=pc
key='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\DEFAULT'

fail() {
  echo "FAILED ($system): $*"
  failed=1
}
# A Windows name for a file here: Wine's drive Z: is the root.
winpath() {
  local p=${1//\//\\}
  echo "Z:$p"
}
# Lines of text that must all be in a file.
holds() {
  local file=$1 line
  shift
  for line in "$@"; do
    grep -qE -- "$line" "$file" || { fail "$file lacks: $line"; return 1; }
  done
}
# wintext.exe STEP..., its lines without the C runtime's carriage returns.
drive() {
  wine wintext.exe "$@" | tr -d '\r'
}
elapsed() {
  echo "$system: $1 ($((SECONDS - t)) s)"
  t=$SECONDS
}

# Runs "$@" with the second prefix, in the background.
second() {
  (export WINEPREFIX=$out/prefix-b; wineserver -p; "$@"; status=$?; wineserver -k; exit $status) &
}

# The test programs in process, as Windows 98, on Wine's null display driver
# (no display yet), which is faster than X here. The regedit round trip runs
# only with regedit between its steps, under the 64-bit Wine.
unit_tests() {
  local test=$1
  t=$SECONDS system=win98
  wine "$test" --gtest_filter=-RegeditInterchange.* > "$test.txt" 2>&1 || fail "$test: $(tail -n 40 "$test.txt")"
  elapsed "$(basename "$test"): $(grep -E '^\[  (PASSED|FAILED)' "$test.txt" | tr '\n' ' ')"
  return $failed
}
wineserver -p
tests=(tests/*_tests.exe)
second unit_tests "${tests[0]}"
worker=$!
for test in "${tests[@]:1}"; do
  unit_tests "$test"
done
wait $worker || failed=1

# The processor: an SSE instruction must stop a program here.
t=$SECONDS system=pc
wine sse.exe > sse.txt 2>&1
status=$?
if [ $status = 0 ] || ! grep -q 'before the SSE' sse.txt || grep -q 'after the SSE' sse.txt; then
  fail "sse.exe was not stopped at its SSE instruction (status $status): $(cat sse.txt)"
fi
grep -m 1 -i 'illegal instruction' sse.txt
elapsed "the SSE instruction stopped sse.exe (status $status)"

# A display for the program, and Wine's desktop started afresh on it.
wineserver -k
wineserver -w
Xvfb :1 -screen 0 800x600x24 -nolisten tcp > xvfb.log 2>&1 &
export DISPLAY=:1
wineserver -p
elapsed "display started"

# The part of wintext.exe's output (FILE) from its Nth run= to the next (busybox: no awk otherwise).
part() {
  busybox awk -v n="$2" '/^run /{i++} i==n' "$1"
}

systems() {
for system in "$@"; do
  t=$SECONDS
  dir=$out/$system exe=$out/$system/TAVREL.EXE
  wexe=$(winpath "$exe") wdir=$(winpath "$dir")
  # The system Wine reports, with the sample (test-win98.sh adds it there).
  wine regedit /S "$system-one-adapter.reg"

  # The command line with its output redirected; a clock out of range
  # refused before anything is written.
  wine "$exe" --memory-clock 700 > "$dir/refused.txt" 2>&1
  status=$?
  [ $status = 2 ] || fail "--memory-clock 700 ended with $status, not 2: $(cat "$dir/refused.txt")"
  wine "$exe" --info > "$dir/info.txt" 2>&1 || fail "--info failed: $(cat "$dir/info.txt")"
  holds "$dir/info.txt" 'Adapter 0000' 'Card type +: GeForceDDR' 'Memory clock *: 300' 'Core clock *: 120' \
    'Preset 1' 'Preset 4'
  elapsed "command line: 700 refused with status 2, --info"

  # Then, with the windows: --info started with no output to write to; the
  # main window, the preset editor opened, a name typed, a slider moved one
  # step and saved with OK, the main window again; the adapter choice with
  # two adapters, the message without any. Traced, to see the save's road.
  rm -f "$dir/TAVRL.CFG"
  regedit="run=regedit /S $(winpath "$out")"
  WINEDEBUG=trace+file drive "run=$wexe --info" wait=Tavrel "shot=$wdir\\box.bmp" ok end \
    "run=$wexe" 'wait=Tavrel - Version*' "shot=$wdir\\main.bmp" 'click=Set presets' 'wait=Set presets' \
    "type=1:Tavrel $system" right=1 "shot=$wdir\\presets.bmp" click=OK 'gone=Set presets' \
    'wait=Tavrel - Version*' close end "run=$wexe" 'wait=Tavrel - Version*' close end \
    "$regedit\\two-adapters.reg" end "run=$wexe" wait=Warning "shot=$wdir\\warning.bmp" click=OK \
    'wait=Tavrel - Version*' close end "$regedit\\no-adapter.reg" end "run=$wexe" wait=Tavrel ok end \
    > "$dir/windows.txt" 2> "$dir/trace.txt" || fail "$(tail -n 20 "$dir/windows.txt")"
  part "$dir/windows.txt" 1 > "$dir/box.txt"
  tr -d '\r' < "$dir/info.txt" | grep -v '^$' > "$dir/info-lines.txt"
  while IFS= read -r line; do
    grep -qF -- "$line" "$dir/box.txt" || fail "the box lacks --info's line: $line"
  done < "$dir/info-lines.txt"
  [ "$(grep -c '^window ' "$dir/box.txt")" = 1 ] && grep -q '^exit 0$' "$dir/box.txt" ||
    fail "not one box: $(cat "$dir/box.txt")"
  part "$dir/windows.txt" 2 > "$dir/window.txt"
  holds "$dir/window.txt" '^window "Tavrel - Version [0-9.]+" client 374x323$' '^window "Set presets" client' '^exit 0$'
  [ "$(head -n 3 "$dir/TAVRL.CFG" 2>/dev/null | tr -d '\r' | tr '\n' ' ')" = "\"Tavrel $system\" \"301\" \"120\" " ] ||
    fail "TAVRL.CFG does not begin with the name typed and 301, 120: $(head -n 3 "$dir/TAVRL.CFG" 2>&1)"
  [ ! -e "$dir/TAVRL.CFG.tavrel-old" ] || fail "TAVRL.CFG.tavrel-old left behind"
  if [ $system = winxp ]; then
    grep -q 'ReplaceFileW' "$dir/trace.txt" || fail "the save did not replace TAVRL.CFG with ReplaceFile"
    road="ReplaceFile"
  else
    grep -qi 'MoveFileWithProgressW.*TAVRL\.CFG",.*TAVRL\.CFG\.tavrel-old' "$dir/trace.txt" ||
      fail "the save did not move the old TAVRL.CFG aside"
    ! grep -q 'ReplaceFileW' "$dir/trace.txt" || fail "the save called ReplaceFile"
    road="the old file moved aside, the new one moved in"
  fi
  part "$dir/windows.txt" 3 > "$dir/again.txt"
  holds "$dir/again.txt" "\"Tavrel $system\"" '^exit 0$'
  part "$dir/windows.txt" 5 > "$dir/two.txt"
  holds "$dir/two.txt" '"There is a conflict in your registry' '"GeForce"' '"TNT 2 Ultra"' '^exit 0$'
  part "$dir/windows.txt" 7 > "$dir/none.txt"
  holds "$dir/none.txt" "\"You don't seem to have a CL Geforce based card" '^exit 0$'
  elapsed "windows: --info in one box, main window, editor saved ($road), shown again, adapter choice, no adapter"

  # The clocks of preset 2 of the start defaults, with no preset file.
  rm -f "$dir/TAVRL.CFG"
  wine regedit /S one-adapter.reg
  wine "$exe" --preset 2 > "$dir/preset.txt" 2>&1 || fail "--preset 2 failed: $(cat "$dir/preset.txt")"
  wine reg query "$key" > "$dir/query.txt" 2>&1
  holds "$dir/query.txt" 'MemClock[[:space:]]+REG_DWORD[[:space:]]+0x14a' 'GrfxClock[[:space:]]+REG_DWORD[[:space:]]+0x78'
  elapsed "--preset 2 wrote 0x14a and 0x78"
done
return $failed
}
# The systems that test-win98.sh asks for, in two halves.
read -ra asked < systems
half=$(((${#asked[@]} + 1) / 2))
second systems "${asked[@]:half}"
worker=$!
systems "${asked[@]:0:half}"
wait $worker || failed=1
wineserver -k
exit $failed
