#!/bin/bash
# What scripts/test-win98.sh checks in the emulated Pentium II, run there by
# tests/win98/guest-init.sh with Wine's environment:
#   guest-tests.sh OUT
# OUT holds TAVREL.EXE in a folder per system, the samples (each removing the
# adapters' keys before it is imported), the i686 test programs in tests/,
# wintext.exe (tests/win98/wintext.cpp) and sse.exe; results and screenshots
# are left there. Every check runs; the status is 1 if any failed.
set -uo pipefail
out=$1
cd "$out" || exit 1
failed=0
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
elapsed() {
  echo "$system: $1 ($((SECONDS - t)) s)"
  t=$SECONDS
}

t=$SECONDS
Xvfb :1 -screen 0 800x600x24 -nolisten tcp > xvfb.log 2>&1 &
export DISPLAY=:1
wineserver -p
wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f > /dev/null
elapsed "Wine started"

# The processor: an SSE instruction must stop a program here.
wine sse.exe > sse.txt 2>&1
status=$?
if [ $status = 0 ] || ! grep -q 'before the SSE' sse.txt || grep -q 'after the SSE' sse.txt; then
  fail "sse.exe was not stopped at its SSE instruction (status $status): $(cat sse.txt)"
fi
grep -m 1 -i 'illegal instruction' sse.txt
elapsed "the SSE instruction stopped sse.exe (status $status)"

# The test programs in process, as Windows 98. The regedit round trip runs
# only with regedit between its steps, under the 64-bit Wine.
system=win98
for test in tests/*_tests.exe; do
  wine "$test" --gtest_filter=-RegeditInterchange.* > "$test.txt" 2>&1 || fail "$test: $(tail -n 40 "$test.txt")"
  elapsed "$(basename "$test"): $(grep -E '^\[  (PASSED|FAILED)' "$test.txt" | tr '\n' ' ')"
done

for system in win95 win98 winme winxp; do
  dir=$out/$system exe=$out/$system/TAVREL.EXE
  wexe=$(winpath "$exe") wdir=$(winpath "$dir")
  wine reg add 'HKCU\Software\Wine' /v Version /d $system /f > /dev/null
  wine regedit /S one-adapter.reg

  # The command line with its output redirected; a clock out of range
  # refused before anything is written.
  wine "$exe" --memory-clock 700 > "$dir/refused.txt" 2>&1
  status=$?
  [ $status = 2 ] || fail "--memory-clock 700 ended with $status, not 2: $(cat "$dir/refused.txt")"
  wine "$exe" --info > "$dir/info.txt" 2>&1 || fail "--info failed: $(cat "$dir/info.txt")"
  holds "$dir/info.txt" 'Adapter 0000' 'Card type +: GeForceDDR' 'Memory clock *: 300' 'Core clock *: 120' \
    'Preset 1' 'Preset 4'
  elapsed "command line: 700 refused with status 2, --info"

  # --info started with no output to write to: one message box with the same text.
  wine wintext.exe "run=$wexe --info" wait=Tavrel "shot=$wdir\\box.bmp" ok end > "$dir/box.txt" 2>&1 || fail "$(cat "$dir/box.txt")"
  tr -d '\r' < "$dir/info.txt" | grep -v '^$' > "$dir/info-lines.txt"
  while IFS= read -r line; do
    grep -qF -- "$line" "$dir/box.txt" || fail "the box lacks --info's line: $line"
  done < "$dir/info-lines.txt"
  [ "$(grep -c '^window ' "$dir/box.txt")" = 1 ] && grep -q '^exit 0$' "$dir/box.txt" || fail "not one box: $(cat "$dir/box.txt")"
  elapsed "--info in one message box"

  wine "$exe" --preset 2 > "$dir/preset.txt" 2>&1 || fail "--preset 2 failed: $(cat "$dir/preset.txt")"
  wine reg query "$key" > "$dir/query.txt" 2>&1
  holds "$dir/query.txt" 'MemClock[[:space:]]+REG_DWORD[[:space:]]+0x14a' 'GrfxClock[[:space:]]+REG_DWORD[[:space:]]+0x78'
  elapsed "--preset 2 wrote 0x14a and 0x78"

  # The main window; the preset editor opened, a name typed, a slider moved
  # one step and saved (traced, to see which road the save took); a second
  # start shows the name.
  rm -f "$dir/TAVRL.CFG"
  WINEDEBUG=trace+file wine wintext.exe "run=$wexe" 'wait=Tavrel - Version*' "shot=$wdir\\main.bmp" \
    'click=Set presets' 'wait=Set presets' "type=1:Tavrel $system" right=1 "shot=$wdir\\presets.bmp" click=OK \
    'gone=Set presets' 'wait=Tavrel - Version*' close end > "$dir/window.txt" 2> "$dir/trace.txt" || fail "$(cat "$dir/window.txt")"
  holds "$dir/window.txt" '^window "Tavrel - Version [0-9.]+" client 374x323$' '^window "Set presets" client' '^exit 0$'
  [ "$(head -n 3 "$dir/TAVRL.CFG" 2>/dev/null | tr -d '\r' | tr '\n' ' ')" = "\"Tavrel $system\" \"301\" \"120\" " ] ||
    fail "TAVRL.CFG does not begin with the name typed and 301, 120: $(head -n 3 "$dir/TAVRL.CFG" 2>&1)"
  [ ! -e "$dir/TAVRL.CFG.tavrel-old" ] || fail "TAVRL.CFG.tavrel-old left behind"
  if [ $system = winxp ]; then
    grep -q 'ReplaceFileW' "$dir/trace.txt" || fail "the save did not replace TAVRL.CFG with ReplaceFile"
    road="ReplaceFile"
  else
    grep -qi 'MoveFileWithProgressW.*TAVRL\.CFG\.tavrel-old' "$dir/trace.txt" ||
      fail "the save did not move the old TAVRL.CFG aside"
    ! grep -q 'ReplaceFileW' "$dir/trace.txt" || fail "the save called ReplaceFile"
    road="the old file moved aside, the new one moved in"
  fi
  wine wintext.exe "run=$wexe" 'wait=Tavrel - Version*' close end > "$dir/again.txt" 2>&1 || fail "$(cat "$dir/again.txt")"
  holds "$dir/again.txt" "\"Tavrel $system\""
  elapsed "main window, preset editor saved ($road), shown again"

  # The adapter choice with two adapters; the message without any.
  wine regedit /S two-adapters.reg
  wine wintext.exe "run=$wexe" wait=Warning "shot=$wdir\\warning.bmp" click=OK 'wait=Tavrel - Version*' close end > "$dir/two.txt" 2>&1 ||
    fail "$(cat "$dir/two.txt")"
  holds "$dir/two.txt" '"There is a conflict in your registry' '"GeForce"' '"TNT 2 Ultra"' '^exit 0$'
  wine regedit /S no-adapter.reg
  wine wintext.exe "run=$wexe" wait=Tavrel ok end > "$dir/none.txt" 2>&1 || fail "$(cat "$dir/none.txt")"
  holds "$dir/none.txt" "\"You don't seem to have a CL Geforce based card" '^exit 0$'
  elapsed "adapter choice and no-adapter message"
done
wineserver -k
exit $failed
