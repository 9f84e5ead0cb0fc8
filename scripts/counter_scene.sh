#!/usr/bin/env bash
# The picture docs/test_window_counter.png: the test window's counter
# running, beside the emulator drawing the five cells in a terminal, each
# window taken on its own (there is no window manager to frame them). Run by
# scripts/screenshots, which sets QMX_APP, QMX_SIM and QMX_ARTEFACTS.
source "$(dirname "$0")/../tests/e2e/lib.sh"

readonly TEST_DISPLEJE=(592 48 73 25)
readonly CITAC=(32 32 97 25)

work="$E2E_TMP/work"
ports="$E2E_TMP/ports"
mkdir -p "$work" "$ports"

# Wide enough that the terminal lies clear of the centred main window.
E2E_SCREEN=1920x768x24 start_x
xterm -geometry 78x26+1420+100 -fa 'DejaVu Sans Mono' -fs 8 -title qmx8350t-sim \
  -e "$QMX_SIM" --port-dir "$ports" --value 0930 COM3 &
E2E_PIDS+=($!)
wait_until 10 "the emulator's link" test -e "$ports/COM3"
start_app "$work" "$ports" --service
find_window
main=$WINDOW
wait_for_focus "$main"

click_client "$main" "${TEST_DISPLEJE[@]}"
find_window "Testování zobrazovače Varn6604"
wait_for_focus "$WINDOW"
click_client "$WINDOW" "${CITAC[@]}"
sleep 2.8
terminal=$(xdotool search --name qmx8350t-sim | head -n1)
xwd -id "$WINDOW" -silent | "$IMAGEMAGICK_CONVERT" xwd:- "$E2E_TMP/test.png"
xwd -id "$terminal" -silent | "$IMAGEMAGICK_CONVERT" xwd:- "$E2E_TMP/terminal.png"
"$IMAGEMAGICK_CONVERT" "$E2E_TMP/test.png" \( "$E2E_TMP/terminal.png" -background '#808080' -splice 8x0 \) \
  -background '#808080' +append "$QMX_ARTEFACTS/test_window_counter.png"
