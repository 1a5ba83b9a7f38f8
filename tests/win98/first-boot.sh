#!/bin/bash
# The emulated PC's first boot, once after tests/win98/make-guest.sh: the
# font cache and the Wine prefix, made there since both take 32-bit code.
set -euo pipefail
fc-cache -s
time wineboot --init
# A crash must end the program, not wait for a click on its dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
wineserver -w
