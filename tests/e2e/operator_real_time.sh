#!/usr/bin/env bash
# The operator runs the real time as minutes:seconds: "Start" sends the clock
# and every new second after it, "Stop" ends the sending, and "Konec " (by
# mouse, as the focus stays on the start button) saves and ends the program.
source "$(dirname "$0")/lib.sh"

# Client rectangles of the buttons in the main window.
readonly START_STOP=(128 128 65 25)
readonly KONEC=(72 208 75 25)

work="$E2E_TMP/work"
ports="$E2E_TMP/ports"
mkdir -p "$work"
write_settings "$work/Parametry.par" 5 10 2 0

start_x
start_sim "$ports" 0930 COM4
start_app_found "$work" "$ports"

click_client "$WINDOW" "${START_STOP[@]}"
more_frames_than() { (($(count_frames_in) > $1)); }
wait_until 10 "the first frame after Start" more_frames_than "$after_search"
sleep 2.5
click_client "$WINDOW" "${START_STOP[@]}"

# Once the stop has been handled, a running clock would send within a second.
sleep 1.2
after_stop=$(count_frames_in)
sleep 1.5
[[ $(count_frames_in) == "$after_stop" ]] ||
    fail "frames kept coming after Stop: $(frames_in | tail -n +$((after_stop + 1)))"

click_client "$WINDOW" "${KONEC[@]}"
wait_app_exit 10
[[ $APP_STATUS == 0 ]] || fail "the program exited with status $APP_STATUS"
expect_settings "$work" "05 00 0A 00 02 00 00 00 00 00 00 00"

# The frames the running clock sent, checked against the clock.
frames_in | tail -n +$((after_search + 1)) | awk -f "$(dirname "$0")/clock_frames.awk" \
    >"$E2E_TMP/check.txt" || fail "$(cat "$E2E_TMP/check.txt")"
echo "ok: $(($(count_frames_in) - after_search)) clock frames, none after Stop, exit 0, settings saved"
