#!/usr/bin/env bash
# The window tests of the Windows front end, in process under Wine. Without
# a display Wine makes windows on its null driver: the prefix is told to fall
# back on it, and its server restarted so that the desktop takes the setting.
#   win32-tests.sh TEST_EXE [GTEST_ARGS...]
# WINEPREFIX and the rest of Wine's environment come from the caller.
set -euo pipefail
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null
wineserver -k || true
wineserver -w
exec wine "$@"
