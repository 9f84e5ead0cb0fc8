#!/usr/bin/env bash
# qmx8350t.exe --service under Wine: "Pošli: 123" sends D123; real time
# mm:ss sends consecutive seconds; "Test displeje" opens the test window
# modally, whose counter sends digit frames while the main window's clock
# goes on sending.
#   service_e2e.sh SIM QMX8350T.EXE READ_WINDOW.EXE
set -euo pipefail
SIM=$(realpath "$1") APP=$(realpath "$2") READER=$(realpath "$3")
source "$(dirname "$0")/wine_lib.sh"
start_wine_x
start_wine_sim 0930
mkdir -p "$tmp/work"
start_wine_app "$tmp/work" --service

click "$MAIN_TITLE" "Pošli: 123"
wait_until 5 "D123" grep -qF 'COM3 <- 44 31 32 33 00 0D 0A' "$tmp/sim.log"

# Real time minutes:seconds: a value frame "C mm ss" each second.
click "$MAIN_TITLE" "Skutečný čas  [min:sec]"
click "$MAIN_TITLE" "Start"
click "$MAIN_TITLE" "&Test displeje"
wait_until 10 "the test window" read_window "$TEST_TITLE"
grep -qF '"enabled":false' <(wine "$READER" "$MAIN_TITLE" | head -1) || fail "the main window takes input beside the test window"
click "$TEST_TITLE" "Čítač"
wait_until 10 "counter frames" eval '[ "$(grep -c "(digit)" "$tmp/sim.log")" -ge 4 ]'
click "$TEST_TITLE" "Zpět"
click "$TEST_TITLE" "Zpět"
wait_until 10 "the test window to close" eval '! read_window "$TEST_TITLE"'

# The clock sent on between the counter's frames, and its seconds are
# consecutive throughout.
first=$(grep -n "(digit)" "$tmp/sim.log" | head -1 | cut -d: -f1)
last=$(grep -n "(digit)" "$tmp/sim.log" | tail -1 | cut -d: -f1)
sed -n "${first},${last}p" "$tmp/sim.log" | grep -qF 'COM3 <- 43 ' || fail "no clock frame while the test window ran"
# The frame that Start sends itself may share its second with the first tick.
seconds=$(sed -n 's/.*COM3 <- 43 3\(.\) 3\(.\) 3\(.\) 3\(.\) 0D 0A.*/\1\2 \3\4/p' "$tmp/sim.log" | tail -n +2)
[ "$(wc -l <<<"$seconds")" -ge 4 ] || fail "too few clock frames: $seconds"
previous=
while read -r mm ss; do
  now=$((10#$mm * 60 + 10#$ss))
  [ -z "$previous" ] || [ "$now" = $(((previous + 1) % 3600)) ] || fail "the clock skipped or repeated: $seconds"
  previous=$now
done <<<"$seconds"
click "$MAIN_TITLE" "Stop"
echo "ok: qmx8350t.exe --service under Wine: Pošli 123, real time, test window beside the clock"
