#!/bin/bash
# The emulated PC's first boot, once after tests/win98/make-guest.sh: the
# font cache and the Wine prefix, made there since both take 32-bit code.
set -euo pipefail
fc-cache -s
time wineboot --init
wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f
# A crash must end the program, not wait for a click on its dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
# Windows without a display (the test programs) go to Wine's null driver.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f
wineserver -w
