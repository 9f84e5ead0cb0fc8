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
# as they are, and the terminal learns what to do about it. The program runs
# as nobody, from a copy in a folder that user may enter: the build tree may
# lie where only its owner may (a home of mode 0700).
done_first="ok: no display, exit 0, settings saved from the controls"
skip_rest() {
    echo "$done_first; the refused port skipped: $*"
    exit 0
}
((EUID == 0)) || skip_rest "only root may run the program as another user"
command -v setpriv >/dev/null || skip_rest "setpriv is missing"
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
nobody="$E2E_TMP/nobody"
chmod 0711 "$E2E_TMP"
mkdir -m 0777 "$nobody" "$nobody/ports"
install -m 0755 "$QMX_APP" "$nobody/qmx8350t"
install -m 0600 /dev/null "$nobody/ports/COM4"
"${as_nobody[@]}" test -x "$nobody/qmx8350t" ||
    skip_rest "user 65534 may not enter $E2E_TMP (TMPDIR=${TMPDIR:-})"
(cd "$nobody" && exec "${as_nobody[@]}" \
    env HOME=/nonexistent USER=nobody QMX_PORT_DIR="$nobody/ports" "$nobody/qmx8350t") \
    >"$E2E_TMP/app.log" 2>&1 </dev/null &
APP_PID=$!
E2E_PIDS+=("$APP_PID")
find_window
wait_until 30 "the permission hint" grep -qF "COM4 (" "$E2E_TMP/app.log"
grep -qF 'sudo adduser "$USER"' "$E2E_TMP/app.log" || fail "no advice in: $(cat "$E2E_TMP/app.log")"
echo "$done_first; the refused port explained on stderr"
