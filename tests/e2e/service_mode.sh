#!/usr/bin/env bash
# A technician's start: a wrong option is refused before anything opens;
# --service shows the service controls where they are laid out and they
# work ("Pošli: 123" reaches the display, "Test displeje" opens the test
# window, whose counter runs on the display). Without --service the same
# place of a widened window does nothing.
source "$(dirname "$0")/lib.sh"

readonly POSLI_123=(592 72 73 25)
readonly TEST_DISPLEJE=(592 48 73 25)
readonly CITAC=(32 32 97 25)
readonly ZPET=(240 264 97 25)
readonly KONEC=(72 208 75 25)
readonly TEST_TITLE="Testování zobrazovače Varn6604"

work="$E2E_TMP/work"
ports="$E2E_TMP/ports"
mkdir -p "$work"

# No X server yet: the command line is read before any window or port.
status=0
env -u DISPLAY "$QMX_APP" --bogus >"$E2E_TMP/out" 2>"$E2E_TMP/err" || status=$?
[[ $status == 2 ]] || fail "an unknown option exited with $status, not 2"
grep -qF "Unknown option 'bogus'" "$E2E_TMP/err" || fail "no clear message: $(cat "$E2E_TMP/err")"
env -u DISPLAY "$QMX_APP" --help >"$E2E_TMP/out" || fail "--help failed"
grep -q -- '--service' "$E2E_TMP/out" || fail "--help does not name --service"
env -u DISPLAY "$QMX_APP" --version | grep -qE '^qmx8350t [0-9]+\.[0-9]+' || fail "--version prints no version"

start_x
start_sim "$ports" 0930 COM3
start_app "$work" "$ports" --service
wait_until 20 "the search's answer" grep -qF 'COM3 -> 30 39 33 30 0D 0A' "$SIM_LOG"
find_window
main=$WINDOW
wait_for_focus "$main"
geometry=$(xdotool getwindowgeometry --shell "$main")
width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
((width >= 903 && height >= 505)) || fail "the service window is only ${width}x$height"

click_client "$main" "${POSLI_123[@]}"
wait_until 10 "Pošli: 123 at the display" grep -qF 'COM3 <- 44 31 32 33 00 0D 0A' "$SIM_LOG"

click_client "$main" "${TEST_DISPLEJE[@]}"
find_window "$TEST_TITLE"
test_window=$WINDOW
wait_for_focus "$test_window"
click_client "$test_window" "${CITAC[@]}"
wait_until 10 "the counter's second frame" grep -qF 'COM3 <- 01 30 02 30 30 30 30 32 0D 0A' "$SIM_LOG"
sleep 1.5
screenshot e2e_test_window.png || echo "note: no screenshot taken" >&2
click_client "$test_window" "${ZPET[@]}"
sleep 0.3
click_client "$test_window" "${ZPET[@]}"
wait_until 10 "the test window to close" bash -c "! xdotool search --onlyvisible --name '$TEST_TITLE' >/dev/null"
frames=$(count_frames_in)
sleep 1.2
[[ $(count_frames_in) == "$frames" ]] || fail "frames after the test window closed: $(frames_in | tail -n 3)"

click_client "$main" "${KONEC[@]}"
wait_app_exit 10
[[ $APP_STATUS == 0 ]] || fail "the program exited with status $APP_STATUS"

# The operator's window: the service controls stay hidden however wide it is.
start_app "$work" "$ports"
find_window
wait_for_focus "$WINDOW"
xdotool windowsize "$WINDOW" 1000 560
sleep 0.3
frames=$(count_frames_in)
click_client "$WINDOW" "${POSLI_123[@]}"
click_client "$WINDOW" "${TEST_DISPLEJE[@]}"
sleep 1
[[ $(count_frames_in) == "$frames" ]] || fail "a hidden service control answered: $(frames_in | tail -n 2)"
xdotool search --onlyvisible --name "$TEST_TITLE" >/dev/null && fail "the test window opened without --service"
echo "ok: bad option refused with 2, service controls shown and working with --service, hidden without"
