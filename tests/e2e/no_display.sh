#!/usr/bin/env bash
# No settings file and no port at all: the search tries all 29 names and
# fails, and "Konec " still saves. The record was never read, so it holds
# only what the window's controls wrote back into it: the radio group's
# function 0 and the ticked "Celé zobrazení". The period of 1 put into the
# hidden spin edit reaches the record only when the operator leaves that
# edit, and the port is never written by the search, so both stay 0.
source "$(dirname "$0")/lib.sh"

work="$E2E_TMP/work"
ports="$E2E_TMP/ports"
mkdir -p "$work" "$ports"

start_x
start_app "$work" "$ports"
find_window
wait_for_focus "$WINDOW"

press_key Return
wait_app_exit 30
[[ $APP_STATUS == 0 ]] || fail "the program exited with status $APP_STATUS"
expect_settings "$work" "00 00 00 00 00 00 00 00 01 00 00 00"
[[ -z $(ls -A "$ports") ]] || fail "the program left something in the port folder: $(ls -A "$ports")"

# A port that exists but that this user may not open: the window's texts stay
# as they are, and the terminal learns what to do about it.
chmod 0711 "$E2E_TMP"
mkdir -m 0777 "$E2E_TMP/nobody" "$E2E_TMP/nobody/ports"
install -m 0600 /dev/null "$E2E_TMP/nobody/ports/COM4"
(cd "$E2E_TMP/nobody" && exec setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME=/nonexistent USER=nobody QMX_PORT_DIR="$E2E_TMP/nobody/ports" "$QMX_APP") \
    >"$E2E_TMP/app.log" 2>&1 </dev/null &
APP_PID=$!
E2E_PIDS+=("$APP_PID")
find_window
wait_until 30 "the permission hint" grep -qF "COM4 (" "$E2E_TMP/app.log"
grep -qF 'sudo adduser "$USER"' "$E2E_TMP/app.log" || fail "no advice in: $(cat "$E2E_TMP/app.log")"
echo "ok: no display, exit 0, settings saved from the controls; the refused port explained on stderr"
