#!/usr/bin/env bash
# The installer under Wine: a silent install for the current user puts the
# program, the Start-menu entry, its working folder and the entry in the
# list of programs in place; the installed program started in that folder
# finds the display and saves its settings there; the silent uninstall
# refuses while the program runs (non-zero, the entry kept), then removes
# the program and leaves the settings.
#   installer_test.sh SETUP.EXE SIM READ_WINDOW.EXE
set -euo pipefail
setup=$(realpath "$1") SIM=$(realpath "$2") READER=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_lib.sh"
user=$(whoami)
home=$WINEPREFIX/drive_c/users/$user
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\qmx8350t'

wine "$setup" /S || fail "the silent install exited with $?"
wineserver --wait 2>/dev/null || true
program=$home/AppData/Local/Programs/qmx8350t/qmx8350t.exe
work=$home/Documents/QMX8350T
[ -f "$program" ] || fail "no program at $program"
[ -d "$work" ] || fail "no working folder $work"
[ -f "$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/QMX8350T/QMX8350T.lnk" ] ||
  fail "no Start-menu entry"
wine reg query "$key" /v UninstallString 2>/dev/null | grep -q 'uninstall.exe' ||
  fail "no entry in the list of programs"

"$here/window_e2e.sh" "$SIM" "$program" "$READER" "$work"

# _?= keeps the uninstaller from copying itself away, so that its end is
# the end of the uninstall.
uninstall() { wine "$(dirname "$program")/uninstall.exe" /S "_?=C:\\users\\$user\\AppData\\Local\\Programs\\qmx8350t"; }

# With the program running, nothing is removed and the silent run fails.
APP=$program
start_wine_x
start_wine_sim 0930
start_wine_app "$work"
status=0
uninstall || status=$?
[ "$status" != 0 ] || fail "the uninstall with the program running reported success"
[ -f "$program" ] || fail "the uninstall with the program running took the program"
wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall with the program running took the entry"
click "$MAIN_TITLE" "Konec "
wait_app_exit 10

uninstall || fail "the silent uninstall exited with $?"
wineserver --wait 2>/dev/null || true
[ ! -f "$program" ] || fail "the program is still there"
! wine reg query "$key" >/dev/null 2>&1 || fail "the list of programs still names it"
[ -f "$work/Parametry.par" ] || fail "the uninstall took the settings"
echo "ok: the installer under Wine: install, Start menu, working folder, run, save, uninstall"
