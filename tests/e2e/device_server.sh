#!/usr/bin/env bash
# The display behind a serial device server: ser2net on 127.0.0.1, with a
# configuration of its own, in front of the emulator's pty, and COM4 a file
# in the ports folder that names its rfc2217:// port. The window's search
# finds the display there, and the real time minutes:seconds reaches it each
# second until Stop.
source "$(dirname "$0")/lib.sh"

readonly START_STOP=(128 128 65 25)
readonly KONEC=(72 208 75 25)

work="$E2E_TMP/work"
ports="$E2E_TMP/ports"
lines="$E2E_TMP/lines"
mkdir -p "$work" "$ports"
write_settings "$work/Parametry.par" 5 10 2 0

start_x
start_sim "$lines" 0930 COM4

# A port of 127.0.0.1 that nothing listens on.
listening() { grep -q " 0100007F:$(printf %04X "$1") [0-9A-F:]* 0A " /proc/net/tcp; }
port=$((20000 + RANDOM % 30000))
while listening "$port"; do port=$((port + 1)); done
"$(dirname "$0")/../support/ser2net_config" display rfc2217 "$port" "$(readlink "$lines/COM4")" \
  >"$E2E_TMP/ser2net.yaml"
ser2net -n -u -P "$E2E_TMP/ser2net.pid" -c "$E2E_TMP/ser2net.yaml" >"$E2E_TMP/ser2net.log" 2>&1 </dev/null &
server=$!
E2E_PIDS+=("$server")
ser2net_up() {
    listening "$port" && return 0
    kill -0 "$server" 2>/dev/null || fail "$(command -v ser2net) -n -u -c $E2E_TMP/ser2net.yaml ended; its output: $(cat "$E2E_TMP/ser2net.log")"
    return 1
}
wait_until 10 "ser2net on 127.0.0.1:$port" ser2net_up
echo "rfc2217://127.0.0.1:$port" >"$ports/COM4"

start_app_found "$work" "$ports"

click_client "$WINDOW" "${START_STOP[@]}"
more_frames_than() { (($(count_frames_in) > $1 + 2)); }
wait_until 10 "three frames after Start" more_frames_than "$after_search"
click_client "$WINDOW" "${START_STOP[@]}"
click_client "$WINDOW" "${KONEC[@]}"
wait_app_exit 10
[[ $APP_STATUS == 0 ]] || fail "the program exited with status $APP_STATUS"

frames_in | tail -n +$((after_search + 1)) | awk -f "$(dirname "$0")/clock_frames.awk" \
    >"$E2E_TMP/check.txt" || fail "$(cat "$E2E_TMP/check.txt")"
echo "ok: found through ser2net, $(($(count_frames_in) - after_search)) clock frames, exit 0"
