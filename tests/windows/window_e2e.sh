#!/usr/bin/env bash
# qmx8350t.exe under Wine, end to end, against the emulator on a pty linked
# as the prefix's COM3:
#   window_e2e.sh SIM QMX8350T.EXE READ_WINDOW.EXE [WORKING_FOLDER]
# The command line answers without a window; the search finds the display on
# COM3 and says so in the status bar; the own time is written and read back;
# a bad number shows the error box; a click on "Konec " saves Parametry.par
# byte for byte. WINEPREFIX must be set.
set -euo pipefail
SIM=$(realpath "$1") APP=$(realpath "$2") READER=$(realpath "$3")
source "$(dirname "$0")/wine_lib.sh"
start_wine_x

# The command line, before any window: text to the redirected handles.
wine "$APP" --version >"$tmp/out" 2>&1 || fail "--version exited with $?"
grep -qE '^qmx8350t [0-9]+\.[0-9]+' "$tmp/out" || fail "--version printed: $(cat "$tmp/out")"
status=0
wine "$APP" --bogus >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" = 2 ] || fail "an unknown option exited with $status, not 2"
grep -qF "Unknown option 'bogus'." "$tmp/err" || fail "no clear message: $(cat "$tmp/err")"

work=${4:-$tmp/work}
mkdir -p "$work"
start_wine_sim 0930
# The stored port 4: the search tries COM3 first.
printf '\x04\x00\x0A\x00\x02\x00\x00\x00\x00\x00\x00\x00' >"$work/Parametry.par"
touch -d 2000-01-01 "$work/Parametry.par" # so that a save shows in its time
start_wine_app "$work"

# Own time: the boxes go to the display, and what it holds comes back into
# boxes that were changed in between.
edits() { read_window "$MAIN_TITLE" && [ "$(grep -F '"class":"Edit",' "$tmp/window.json" | grep -F '"shown":true' |
  sed -n 's/.*"text":"\([^"]*\)".*/\1/p' | head -2 | tr '\n' ' ')" = "$1 $2 " ]; }
click "$MAIN_TITLE" "Vlastní čas [hod:min]"
type_into "$MAIN_TITLE" 1 12
type_into "$MAIN_TITLE" 2 34
click "$MAIN_TITLE" "Zápis"
wait_until 5 "D1234 on the line" grep -qF 'COM3 <- 44 31 32 33 34 0D 0A' "$tmp/sim.log"
type_into "$MAIN_TITLE" 1 00
type_into "$MAIN_TITLE" 2 00
wait_until 5 "boxes retyped" edits 00 00
click "$MAIN_TITLE" "Čtení"
wait_until 5 "the display's 12:34 in the boxes" edits 12 34

# A count down from a bad number: the error box with its one button, and
# nothing on the line.
click "$MAIN_TITLE" "Stopky dolů [min:sec]"
type_into "$MAIN_TITLE" 1 1a
frames=$(grep -c 'COM3 <- ' "$tmp/sim.log")
click "$MAIN_TITLE" "Start"
wait_until 5 "the error box" read_window "$MAIN_TITLE" "#32770"
grep -qF '"text":"Chybný formát čísla"' "$tmp/window.json" || fail "the box says: $(cat "$tmp/window.json")"
[ "$(grep -c '"class":"Button"' "$tmp/window.json")" = 1 ] || fail "the box has not one button: $(cat "$tmp/window.json")"
click "$MAIN_TITLE" "OK" "#32770"
wait_until 5 "the box to close" eval '! read_window "$MAIN_TITLE" "#32770"'
[ "$(grep -c 'COM3 <- ' "$tmp/sim.log")" = "$frames" ] || fail "a bad number sent a frame"

click "$MAIN_TITLE" "Konec "
wait_app_exit 10
got=$(hex_of "$work/Parametry.par")
[ "$got" = "04 00 0A 00 06 00 00 00 00 00 00 00" ] || fail "Parametry.par holds $got"
[ "$(stat -c %Y "$work/Parametry.par")" -gt 946771200 ] || fail "Parametry.par was not saved"
echo "ok: qmx8350t.exe under Wine: command line, search on COM3, own time, error box, Konec saves"
