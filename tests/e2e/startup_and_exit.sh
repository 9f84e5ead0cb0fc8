#!/usr/bin/env bash
# The stored port is 5, so the search starts at COM4 and must find the display
# there on its first try; "Konec " (the first focus) saves the settings as
# they were read and ends the program cleanly. Displays on COM3 and COM5 as
# well show a search that starts anywhere else, or goes on after a find.
source "$(dirname "$0")/lib.sh"

work="$E2E_TMP/work"
ports="$E2E_TMP/ports"
mkdir -p "$work"
write_settings "$work/Parametry.par" 5 10 2 0

start_x
start_sim "$ports" 0930 COM3 COM4 COM5
start_app "$work" "$ports"

wait_until 20 "the search's read frame" grep -qF 'COM4 <- 44 3F 3F 3F 00 0D 0A  (value, read)' "$SIM_LOG"
wait_until 10 "the display's answer" grep -qF 'COM4 -> 30 39 33 30 0D 0A' "$SIM_LOG"
find_window
wait_for_focus "$WINDOW"
# Give the status bar a moment to paint what the search found; the picture is
# for people, nothing is asserted on it.
sleep 0.5
screenshot e2e_main_window.png || echo "note: no screenshot taken" >&2

press_key Return
wait_app_exit 10
[[ $APP_STATUS == 0 ]] || fail "the program exited with status $APP_STATUS"

expect_settings "$work" "05 00 0A 00 02 00 00 00 00 00 00 00"
n=$(count_frames_in)
[[ $n == 1 ]] || fail "expected the search's single exchange on COM4, the displays saw $n frames"
echo "ok: found COM4 at the first try, exit 0, settings saved unchanged"
