#!/usr/bin/env bash
# qmx8350t.exe under Wine, end to end, against the emulator on a pty linked
# as the prefix's COM3:
#   window_e2e.sh SIM QMX8350T.EXE READ_WINDOW.EXE [WORKING_FOLDER]
# The command line answers without a window; the search finds the display on
# COM3 and says so in the status bar; a click on "Konec " saves
# Parametry.par byte for byte. WINEPREFIX must be set.
set -euo pipefail
sim=$(realpath "$1") app=$(realpath "$2") reader=$(realpath "$3") work=${4:-}
: "${WINEPREFIX:?}"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/qmx-win-e2e.XXXXXX")
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -f "$WINEPREFIX/dosdevices/com3"
  rm -rf "$tmp"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$tmp/sim.log" ] && sed 's/^/  sim: /' "$tmp/sim.log" >&2; exit 1; }
hex_of() { od -An -v -tx1 "$1" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//' | tr a-f A-F; }
wait_until() { # SECONDS WHAT COMMAND...
  local until=$((SECONDS + $1)) what=$2; shift 2
  until "$@"; do ((SECONDS < until)) || fail "no $what within the time"; sleep 0.2; done
}
read_main() { wine "$reader" "Zobrazovací zařízení QMX8350T" >"$tmp/window.json" 2>/dev/null; }
panels_say() { grep -qF "\"panels\":[\"$1\",\"$2\"]" "$tmp/window.json"; }

# An X server of our own, no window manager: Wine then must not wait for one.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$fd" display || fail "Xvfb did not start"
export DISPLAY=:$display
# Wine's desktop process takes the display of the first program that needs
# it: the prefix's programs start afresh on this one.
wineserver -k 2>/dev/null || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# The command line, before any window: text to the redirected handles.
wine "$app" --version >"$tmp/out" 2>&1 || fail "--version exited with $?"
grep -qE '^qmx8350t [0-9]+\.[0-9]+' "$tmp/out" || fail "--version printed: $(cat "$tmp/out")"
status=0
wine "$app" --bogus >"$tmp/out" 2>"$tmp/err" || status=$?
[ "$status" = 2 ] || fail "an unknown option exited with $status, not 2"
grep -qF "Unknown option 'bogus'." "$tmp/err" || fail "no clear message: $(cat "$tmp/err")"


work=${work:-$tmp/work}
mkdir -p "$tmp/ports" "$work"
"$sim" --port-dir "$tmp/ports" --value 0930 --plain COM3 >"$tmp/sim.log" 2>&1 &
pids+=($!)
wait_until 5 "emulated COM3" test -e "$tmp/ports/COM3"
ln -sfn "$(readlink "$tmp/ports/COM3")" "$WINEPREFIX/dosdevices/com3"

# The stored port 4: the search tries COM3 first.
printf '\x04\x00\x0A\x00\x02\x00\x00\x00\x00\x00\x00\x00' >"$work/Parametry.par"
touch -d 2000-01-01 "$work/Parametry.par" # so that a save shows in its time
(cd "$work" && exec wine "$app") &
app_pid=$!
pids+=($app_pid)
wait_until 30 "search on COM3" grep -qF 'COM3 <- 44 3F 3F 3F 00 0D 0A' "$tmp/sim.log"
wait_until 10 "status text" eval 'read_main && panels_say "Připojen displej na portu COM3" "Displej: 0930"'
# A click in the middle of the rectangle the reader reports.
konec=$(grep '"text":"Konec ".*"shown":true' "$tmp/window.json" | sed -n 's/.*"rect":\[\([0-9-]*\),\([0-9-]*\),\([0-9]*\),\([0-9]*\)\].*/\1 \2 \3 \4/p')
read -r x y w h <<<"$konec" || fail "no Konec button: $(cat "$tmp/window.json")"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
wait_until 10 "end of the program" eval '! kill -0 '"$app_pid"' 2>/dev/null'
got=$(hex_of "$work/Parametry.par")
[ "$got" = "04 00 0A 00 02 00 00 00 00 00 00 00" ] || fail "Parametry.par holds $got"
[ "$(stat -c %Y "$work/Parametry.par")" -gt 946771200 ] || fail "Parametry.par was not saved"
echo "ok: qmx8350t.exe under Wine: command line, search on COM3, Konec saves"
