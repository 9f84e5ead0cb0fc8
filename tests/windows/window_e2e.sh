#!/usr/bin/env bash
# qmx8350t.exe under Wine, end to end, against the emulator on a pty linked
# as the prefix's COM3:
#   window_e2e.sh SIM QMX8350T.EXE READ_WINDOW.EXE [WORKING_FOLDER]
# The command line answers without a window; the search finds the display on
# COM3 and says so in the status bar; a click on "Konec " saves
# Parametry.par byte for byte. WINEPREFIX must be set.
set -euo pipefail
SIM=$(realpath "$1") APP=$(realpath "$2") READER=$(realpath "$3")
source "$(dirname "$0")/wine_lib.sh"
start_x

# The command line, before any window: text to the redirected handles.
wine "$APP" --version >"$tmp/out" 2>&1 || fail "--version exited with $?"
grep -qE '^qmx8350t [0-9]+\.[0-9]+' "$tmp/out" || fail "--version printed: $(cat "$tmp/out")"
status=0
wine "$APP" --bogus >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" = 2 ] || fail "an unknown option exited with $status, not 2"
grep -qF "Unknown option 'bogus'." "$tmp/err" || fail "no clear message: $(cat "$tmp/err")"

work=${4:-$tmp/work}
mkdir -p "$work"
start_sim 0930
# The stored port 4: the search tries COM3 first.
printf '\x04\x00\x0A\x00\x02\x00\x00\x00\x00\x00\x00\x00' >"$work/Parametry.par"
touch -d 2000-01-01 "$work/Parametry.par" # so that a save shows in its time
start_app "$work"

click "$MAIN_TITLE" "Konec "
wait_until 10 "end of the program" eval '! kill -0 '"$APP_PID"' 2>/dev/null'
got=$(hex_of "$work/Parametry.par")
[ "$got" = "04 00 0A 00 02 00 00 00 00 00 00 00" ] || fail "Parametry.par holds $got"
[ "$(stat -c %Y "$work/Parametry.par")" -gt 946771200 ] || fail "Parametry.par was not saved"
echo "ok: qmx8350t.exe under Wine: command line, search on COM3, Konec saves"
