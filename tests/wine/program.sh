#!/usr/bin/env bash
# tavrel.exe as a user meets it under Wine: a registry with one display
# adapter imported by regedit; the main window on a virtual display (its
# caption checked, a screenshot kept); the preset editor opened with "Set
# presets", a name typed and a slider moved, saved with "OK" and read back
# from TAVRL.CFG beside the program; then --info, and --preset 2, whose
# writes are read back with reg query.
#   program.sh TAVREL_EXE SAMPLE_REG SCREENSHOT
# WINEPREFIX and the rest of Wine's environment come from the caller.
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 800x600x24' "$0" "$@"
fi
exe=$1 sample=$2 shot=$3
cfg="$(dirname "$exe")/TAVRL.CFG"
key='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\0000\DEFAULT'

fail() {
  echo "$1"
  [ -z "${pid:-}" ] || kill "$pid" 2>/dev/null || true
  exit 1
}

# The visible top-level window whose caption matches, waiting up to 60 s.
# No window manager runs, so a window's X name is its caption.
find_window() {
  timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1 || true
}

# Clicks the middle of a control given in twips (15 to a pixel) within the
# client area of a window whose client area is CLIENT_W x CLIENT_H twips.
# Where Wine draws the frame itself, the border is as wide on the left, the
# right and the bottom, and the caption adds to the top.
click_control() {
  local id=$1 client_w=$2 client_h=$3 left=$4 top=$5 width=$6 height=$7
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$id")"
  local border=$(((WIDTH - client_w / 15) / 2))
  local caption=$((HEIGHT - client_h / 15 - border))
  xdotool mousemove --window "$id" $((border + (left + width / 2) / 15)) $((caption + (top + height / 2) / 15)) click 1
}

# Wine's desktop process draws every window of the prefix: start it afresh
# on this display.
wineserver -k || true
wineserver -w
wine regedit /S "$sample"
rm -f "$cfg"

wine "$exe" & pid=$!
main=$(find_window '^Tavrel - Version [0-9.]+$')
[ -n "$main" ] || fail "no main window appeared"
sleep 3 # let it paint
import -window "$main" "$shot"
echo "main window shown; screenshot in $shot"

# "Set presets" (Command5, in the frame "Clock presets" at 120, 3600) opens
# the editor, which finds no preset file and writes its defaults (300, 120).
click_control "$main" 5610 4845 $((120 + 600)) $((3600 + 840)) 1095 255
editor=$(find_window '^Set presets$')
[ -n "$editor" ] || fail "the preset editor did not open"
sleep 2
# Entry 1's name box, then Tab to its memory slider and five steps right.
click_control "$editor" 4680 6525 120 600 1335 285
xdotool key --clearmodifiers Home shift+End
xdotool type --delay 50 'Tavrel test'
xdotool key --delay 100 Tab Right Right Right Right Right
import -window "$editor" "${shot%.png}-presets.png"
click_control "$editor" 4680 6525 2760 6240 855 255 # "OK"
for _ in $(seq 20); do
  [ -z "$(xdotool search --onlyvisible --name '^Set presets$' || true)" ] && break
  sleep 0.5
done
[ -z "$(xdotool search --onlyvisible --name '^Set presets$' || true)" ] || fail "the editor's OK left it open"
[ -f "$cfg" ] || fail "no $cfg after the editor's OK"
saved=$(head -n 3 "$cfg" | tr -d '\r')
echo "$cfg begins:"
echo "$saved"
[ "$saved" = $'"Tavrel test"\n"305"\n"120"' ] || fail "TAVRL.CFG does not hold the name typed and memory clock 305 for preset 1"
kill $pid
wait $pid || true
pid=

info=$(timeout 60 wine "$exe" --info) || fail "--info did not end within 60 s, or failed"
echo "$info"
for line in 'Adapter 0000' 'Card type +: GeForceDDR' 'Memory clock *: 300' 'Core clock *: 120'; do
  grep -qE "$line" <<<"$info" || fail "--info lacks: $line"
done

# Preset 2 of the start defaults (no preset file beside the program): 330 and 120.
rm -f "$cfg"
timeout 60 wine "$exe" --preset 2 || fail "--preset 2 did not end within 60 s, or failed"
query=$(wine reg query "$key")
echo "$query"
grep -qiE 'MemClock[[:space:]]+REG_DWORD[[:space:]]+0x14a' <<<"$query" || fail "MemClock is not 330"
grep -qiE 'GrfxClock[[:space:]]+REG_DWORD[[:space:]]+0x78' <<<"$query" || fail "GrfxClock is not 120"
echo "program under Wine: passed"
