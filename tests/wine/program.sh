#!/usr/bin/env bash
# tavrel.exe as a user meets it under Wine: a registry with one display
# adapter imported by regedit, the main window on a virtual display (its
# caption checked, a screenshot kept), then --info and --preset 2, whose
# writes are read back with reg query.
#   program.sh TAVREL_EXE SAMPLE_REG SCREENSHOT
# WINEPREFIX and the rest of Wine's environment come from the caller.
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 800x600x24' "$0" "$@"
fi
exe=$1 sample=$2 shot=$3
key='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\DEFAULT'

# Wine's desktop process draws every window of the prefix: start it afresh
# on this display.
wineserver -k || true
wineserver -w
wine regedit /S "$sample"

# No window manager, so the window's name is its caption.
wine "$exe" & pid=$!
id=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tavrel - Version [0-9.]+$' | head -n 1) || true
[ -n "$id" ] || { echo "no main window appeared"; kill $pid; exit 1; }
sleep 3 # let it paint
import -window "$id" "$shot"
kill $pid; wait $pid || true
echo "main window shown; screenshot in $shot"

info=$(wine "$exe" --info)
echo "$info"
for line in 'Adapter 0000' 'Card type    : GeForceDDR' 'Memory clock : 300' 'Core clock   : 120'; do
  grep -qF "$line" <<<"$info" || { echo "--info lacks: $line"; exit 1; }
done

# Preset 2 of the start defaults (no preset file beside the program): 330 and 120.
rm -f "$(dirname "$exe")/TAVRL.CFG"
wine "$exe" --preset 2
query=$(wine reg query "$key")
echo "$query"
grep -qiE 'MemClock[[:space:]]+REG_DWORD[[:space:]]+0x14a' <<<"$query" || { echo "MemClock is not 330"; exit 1; }
grep -qiE 'GrfxClock[[:space:]]+REG_DWORD[[:space:]]+0x78' <<<"$query" || { echo "GrfxClock is not 120"; exit 1; }
echo "program under Wine: passed"
