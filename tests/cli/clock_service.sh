#!/usr/bin/env bash
# The service unit qmxctl-clock@.service as systemd would run it for COM5:
# checked by systemd-analyze, then its ExecStart line, with the settings file
# the package ships and a per-port one, run for real against the emulator:
# the log lines it writes, SIGTERM ending it, the port free again after.
# QMXCTL and QMX_SIM are the built programs, UNIT and DEFAULTS the unit and
# the settings file.
set -euo pipefail
: "${QMXCTL:?}" "${QMX_SIM:?}" "${UNIT:?}" "${DEFAULTS:?}"
work=$(mktemp -d "${TMPDIR:-/tmp}/qmx-clock-service.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The unit, with the built qmxctl in place of the installed one (verify looks
# for the command). systemd-analyze needs no running systemd for this; it
# warns about each unknown or malformed setting and still exits 0, so any
# output fails.
if command -v systemd-analyze >/dev/null; then
    mkdir "$work/units"
    sed "s#^ExecStart=/usr/bin/qmxctl #ExecStart=$QMXCTL #" "$UNIT" >"$work/units/qmxctl-clock@.service"
    ln -s qmxctl-clock@.service "$work/units/qmxctl-clock@COM5.service"
    said=$(systemd-analyze verify --man=no "$work/units/qmxctl-clock@COM5.service" 2>&1) ||
        fail "systemd-analyze verify: $said"
    [[ -z $said ]] || fail "systemd-analyze verify: $said"
else
    echo "skipped: systemd-analyze verify (no systemd-analyze here)"
fi

# The ExecStart line for the instance COM5, its variables set as the unit
# sets them: Environment=, then the shipped file, then the port's own file,
# each line NAME=value up to its end. ${NAME} stays one word, $NAME splits at
# blanks, as systemd does.
load_env() {
    local name value
    while IFS='=' read -r name value; do
        [[ $name =~ ^[A-Z_]+$ ]] && printf -v "$name" '%s' "$value"
    done
    return 0
}
load_env < <(sed -n 's/^Environment=//p' "$UNIT")
load_env <"$DEFAULTS"
load_env <<<'QMXCTL_CLOCK_MODE=mm:ss
QMXCTL_CLOCK_OPTIONS=--whole'
exec_start=$(sed -n 's/^ExecStart=//p' "$UNIT" | sed -E 's/%i/COM5/g; s/\$\{([A-Z_]+)\}/"${\1}"/g')
[[ $exec_start == "/usr/bin/qmxctl "* ]] || fail "ExecStart runs $exec_start"
eval "command=(\"\$QMXCTL\" ${exec_start#/usr/bin/qmxctl })"

mkdir "$work/ports"
"$QMX_SIM" --plain --port-dir "$work/ports" --value 0930 COM5 >"$work/sim.log" 2>&1 </dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -e $work/ports/COM5 ]] && break; sleep 0.1; done
[[ -e $work/ports/COM5 ]] || fail "the emulator made no COM5"

# No home and no configuration folder, as a service with a dynamic user runs;
# standard error named as the journal's stream, as systemd names it.
: >"$work/err"
env -i QMX_PORT_DIR="$work/ports" PATH=/usr/bin:/bin JOURNAL_STREAM="$(stat -c %d:%i "$work/err")" \
    "${command[@]}" >"$work/out" 2>"$work/err" &
clock=$!
pids+=("$clock")
sleep 3.5
kill -TERM "$clock"
for _ in $(seq 50); do kill -0 "$clock" 2>/dev/null || break; sleep 0.1; done
kill -0 "$clock" 2>/dev/null && fail "qmxctl clock still runs 5 s after SIGTERM"
status=0
wait "$clock" || status=$?
[[ $status == 0 ]] || fail "qmxctl clock ended with status $status: $(cat "$work/err")"

# Whether real-time scheduling was obtained, and a line at the start naming
# the port, at the journal's priority for information; one more at most, a
# warning about the PC clock's synchronisation on a machine that has none;
# none per second.
mapfile -t lines <"$work/err"
[[ ${lines[0]} == "<6>qmxctl: real-time scheduling obtained"* || ${lines[0]} == "<6>qmxctl: no real-time scheduling ("* ]] ||
    fail "first line: ${lines[0]}"
[[ ${lines[1]} == "<6>qmxctl: clock mm:ss on COM5 ($work/ports/COM5)" ]] || fail "second line: ${lines[1]}"
(( ${#lines[@]} == 2 )) ||
    [[ ${#lines[@]} == 3 && ${lines[2]} == "<4>qmxctl: the PC clock is not synchronised; its time may be wrong" ]] ||
    fail "the log: $(cat "$work/err")"
[[ ! -s $work/out ]] || fail "standard output: $(cat "$work/out")"

# The per-port options reached the command: mm:ss with the letter C, a frame
# a second.
frames=$(grep -c 'COM5 <- 43 3[0-5] 3[0-9] 3[0-5] 3[0-9] 0D 0A' "$work/sim.log" || true)
(( frames >= 3 )) || fail "$frames frames: $(cat "$work/sim.log")"

# The port is free again.
QMX_PORT_DIR="$work/ports" "$QMXCTL" --port COM5 read >/dev/null || fail "COM5 stays locked"
echo "ok: the unit verifies; its command ran as COM5's service, logged $(( ${#lines[@]} )) line(s) and ended on SIGTERM"
