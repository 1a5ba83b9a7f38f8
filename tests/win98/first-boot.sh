#!/bin/bash
# The emulated PC's first boot, once after tests/win98/make-guest.sh: the
# font cache and the Wine prefix, made there since both take 32-bit code.
set -euo pipefail
fc-cache -s
time wineboot --init
wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f
# Wine's own fonts where Windows keeps them: this Wine does not find them in
# its data folder, and falls back on fontconfig's DejaVu Sans, which is wider.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
# The dialog font (DEFAULT_GUI_FONT) as Windows 95/98/ME map it; Wine maps it
# to Tahoma, as Windows 2000 and later do.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v 'MS Shell Dlg' /d 'MS Sans Serif' /f
# A crash must end the program, not wait for a click on its dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
# Windows without a display (the test programs) go to Wine's null driver.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f
wineserver -w
