#!/usr/bin/env bash
# qmxctl mqtt end to end: Debian's Mosquitto started here on 127.0.0.1 with a
# configuration of its own (never another address, never the system's
# broker), the emulator's displays on COM5 and COM6, Mosquitto's own clients
# as the site's other programs. Frames are checked by the seconds they carry
# in the emulator's log, never by measured latency.
# QMXCTL and QMX_SIM are the built programs, UNIT the service's unit.
set -euo pipefail
: "${QMXCTL:?}" "${QMX_SIM:?}" "${UNIT:?}"
work=$(mktemp -d "${TMPDIR:-/tmp}/qmx-mqtt.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [[ -n ${KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; for f in "$work"/*.log; do echo "== $f" >&2; tail -n 30 "$f" >&2; done; exit 1; }
# The emulator logs frames in local time: UTC here, so a frame's second of
# the day is its moment's.
export TZ=UTC QMX_PORT_DIR=$work/ports
mkdir "$work/ports"

# A broker on a free port of 127.0.0.1 with the configuration lines given;
# sets broker and port. The port may be given, to bring a stopped one back.
start_broker() { # NAME CONFIG [PORT]
    local name=$1 config=$2 wanted=${3:-}
    for _ in $(seq 20); do
        port=${wanted:-$((20000 + RANDOM % 40000))}
        printf 'listener %s 127.0.0.1\npersistence false\nuser %s\nlog_dest stderr\n%s\n' \
            "$port" "$(id -un)" "$config" >"$work/$name.conf"
        # Debian puts the broker in /usr/sbin, which an ordinary user's PATH lacks.
        /usr/sbin/mosquitto -c "$work/$name.conf" >"$work/$name.log" 2>&1 &
        broker=$!
        pids+=("$broker")
        for _ in $(seq 50); do
            grep -q ' running$' "$work/$name.log" && return 0
            kill -0 "$broker" 2>/dev/null || break
            sleep 0.1
        done
        [[ -z $wanted ]] || break
    done
    fail "the broker $name did not start"
}
sub() { mosquitto_sub -h 127.0.0.1 -p "$port" "$@"; }
pub() { mosquitto_pub -h 127.0.0.1 -p "$port" -q 1 "$@"; }
# The retained message on a topic (empty when there is none within 5 s).
retained() { sub -t "$1" -C 1 -W "${2:-5}" --retained-only 2>/dev/null || true; }
await_retained() { # TOPIC JQ-CONDITION: until the retained message (JSON or text) meets it
    local said
    for _ in $(seq 40); do
        said=$(retained "$1" 1)
        [[ -n $said ]] && jq -Re "(fromjson? // .) | $2" <<<"$said" >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    fail "$1 never met $2; it holds: $(retained "$1" 1)"
}
iso() { date -u -d "@$1" +%FT%TZ; }
sleep_until() { sleep "$(awk -v t="$1" -v n="$(date +%s.%N)" 'BEGIN { print (t > n ? t - n : 0) }')"; }
# The values written to a port as "MOMENT VALUE" lines, from moment FROM on
# (moments near midnight taken as today's or tomorrow's).
frames() { # PORT FROM
    local day=$(( $2 / 86400 * 86400 ))
    awk -v port="$1" -v from="$2" -v day="$day" '
        function digit(h, i) { return index("0123456789ABCDEF", substr(h, i, 1)) - 1 }
        function ch(h) { return sprintf("%c", digit(h, 1) * 16 + digit(h, 2)) }
        $2 == port && $3 == "<-" && /value, write/ {
            split($1, t, /[:.]/); s = day + t[1] * 3600 + t[2] * 60 + t[3]
            if (s < from - 43200) s += 86400
            if (s >= from) print s, ch($5) ch($6) ch($7) ch($8)
        }' "$work/sim.log"
}
mmss() { printf '%02d%02d' $(( $1 / 60 % 60 )) $(( $1 % 60 )); }
# Every frame from FROM on shows the stopwatch or countdown at its second,
# and at least MIN of them came.
check_counting() { # PORT FROM KIND(up|down) ORIGIN MIN
    local count=0 s v want
    while read -r s v; do
        if [[ $3 == up ]]; then want=$(mmss $(( s > $4 ? s - $4 : 0 ))); else want=$(mmss $(( $4 > s ? $4 - s : 0 ))); fi
        [[ $v == "$want" ]] || fail "$1 showed $v at $(iso "$s"), not $want"
        count=$((count + 1))
    done < <(frames "$1" "$2")
    (( count >= $5 )) || fail "$1: $count frames from $(iso "$2") on: $(frames "$1" "$2" | tr '\n' ' ')"
}
bridge() { # LOG-NAME ARGS...: a bridge in the background; sets bridge_pid
    local name=$1
    shift
    "$QMXCTL" "$@" >"$work/$name.log" 2>&1 &
    bridge_pid=$!
    pids+=("$bridge_pid")
}
stop() { # PID: SIGTERM, the status it ends with
    kill -TERM "$1"
    local status=0
    wait "$1" || status=$?
    [[ $status == 0 ]] || fail "a bridge ended with status $status on SIGTERM"
}

# The unit, with the built qmxctl in place of the installed one: any word of
# systemd-analyze is a fault (it warns and still exits 0).
if command -v systemd-analyze >/dev/null; then
    mkdir "$work/units"
    sed "s#^ExecStart=/usr/bin/qmxctl #ExecStart=$QMXCTL #" "$UNIT" >"$work/units/qmxctl-mqtt@.service"
    ln -s qmxctl-mqtt@.service "$work/units/qmxctl-mqtt@COM5.service"
    said=$(systemd-analyze verify --man=no "$work/units/qmxctl-mqtt@COM5.service" 2>&1) || fail "verify: $said"
    [[ -z $said ]] || fail "systemd-analyze verify: $said"
fi

start_broker broker "allow_anonymous true"
"$QMX_SIM" --plain COM5 COM6 >"$work/sim.log" 2>&1 </dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -e $work/ports/COM6 ]] && break; sleep 0.1; done
[[ -e $work/ports/COM6 ]] || fail "the emulator made no COM6"

# One display, its state and availability retained, its discovery configs.
url=mqtt://127.0.0.1:$port
bridge a --port COM5 mqtt --broker "$url" --name hall-a --group hall --state-dir "$work/state-a" \
    --format mm:ss --discovery homeassistant
a=$bridge_pid
await_retained qmx8350t/hall-a/availability '. == "online"'
await_retained qmx8350t/hall-a/state "
    .programme == {show: \"clock\", format: \"mm:ss\"} and .display == \"answers\" and .port == \"COM5\" and
    .leads_to == \"$work/ports/COM5\" and (.sync | IN(\"synchronised\", \"unsynchronised\", \"unknown\")) and
    (.version | length > 0) and (.since | test(\"Z$\")) and (.shows | test(\"^[0-5][0-9][0-5][0-9]$\"))"
retained homeassistant/sensor/qmx8350t_hall-a/shows/config |
    jq -e '.unique_id == "qmx8350t_hall-a_shows" and .availability_topic == "qmx8350t/hall-a/availability" and
           .device.identifiers == ["qmx8350t_hall-a"]' >/dev/null || fail "no discovery config for the shown text"

# A countdown, second by second; then its state.
# (A second's margin for the command's way on a busy machine.)
now=$(date +%s)
pub -t qmx8350t/hall-a/set -m "{\"show\":\"countdown\",\"to\":\"$(iso $((now + 5)))\"}"
sleep_until $((now + 6)).5
check_counting COM5 $((now + 2)) down $((now + 5)) 4
await_retained qmx8350t/hall-a/state ".programme.to == \"$(iso $((now + 5)))\" and .shows == \"0000\""

# Bad commands: each answered on the error topic, the display untouched. One
# row for each place a command is refused: unread, unparsed, checked, and a
# "now" that only a display's own topic may carry.
sub -t qmx8350t/hall-a/error -C 4 -W 15 >"$work/errors" &
errors=$!
sleep 0.5
before=$(frames COM5 0 | wc -l)
long="{\"show\":\"value\",\"value\":\"$(printf '%05000d' 0)\"}"
pub -t qmx8350t/hall-a/set -m "$long"
pub -t qmx8350t/hall-a/set -m 'not json'
pub -t qmx8350t/hall-a/set -m '{"show":"value","value":"12345"}'
pub -t qmx8350t/group/hall/set -m '{"show":"stopwatch","from":"now"}'
wait "$errors" || fail "fewer than 4 errors: $(cat "$work/errors")"
jq -se --arg long "${long:0:80}" '
    map(.error) as $e | ($e[0] | test("larger than")) and $e[1] == "not JSON" and ($e[2] | test("has 5 characters")) and
    ($e[3] | test("now.*one display")) and .[0].payload == $long and .[1].payload == "not json"' "$work/errors" \
    >/dev/null || fail "the errors: $(cat "$work/errors")"
(( $(frames COM5 0 | wc -l) == before )) || fail "a bad command reached the display: $(frames COM5 0 | tail -3)"

# A group: a second display takes the same message and shows the same values
# on the same seconds.
bridge b --port COM6 mqtt --broker "$url" --name hall-b --group hall --state-dir "$work/state-b"
b=$bridge_pid
await_retained qmx8350t/hall-b/availability '. == "online"'
now=$(date +%s)
pub -t qmx8350t/group/hall/set -m "{\"show\":\"stopwatch\",\"from\":\"$(iso $((now + 3)))\"}"
sleep_until $((now + 7)).5
# From the stopwatch's first step on (each display showed its own programme
# before, and 0000 from when the message came).
check_counting COM5 $((now + 4)) up $((now + 3)) 4
[[ $(frames COM5 $((now + 4))) == "$(frames COM6 $((now + 4)))" ]] ||
    fail "the group's displays differ: COM5 $(frames COM5 $((now + 4)) | tr '\n' ' '); COM6 $(frames COM6 $((now + 4)) | tr '\n' ' ')"

# A bridge killed outright: its last will says offline.
kill -9 "$b"
wait "$b" 2>/dev/null || true
await_retained qmx8350t/hall-b/availability '. == "offline"'

# The broker stopped and started: the stopwatch goes on meanwhile, a bridge
# started while it is away shows its kept programme at once; the state is
# published again after (the broker keeps nothing).
kill -TERM "$broker"
wait "$broker" || true
down=$(date +%s)
bridge b2 --port COM6 mqtt --broker "$url" --name hall-b --state-dir "$work/state-b"
b=$bridge_pid
sleep 3
start_broker broker "allow_anonymous true" "$port"
check_counting COM5 "$down" up $((now + 3)) 2
check_counting COM6 "$down" up $((now + 3)) 2
await_retained qmx8350t/hall-a/state '.programme.show == "stopwatch"'
await_retained qmx8350t/hall-a/availability '. == "online"'
await_retained qmx8350t/hall-b/availability '. == "online"'
stop "$b"

# A restart resumes the kept countdown; the port is free in between; started
# again without --discovery, the bridge clears the configs it left.
now=$(date +%s)
pub -t qmx8350t/hall-a/set -m "{\"show\":\"countdown\",\"to\":\"$(iso $((now + 30)))\"}"
await_retained qmx8350t/hall-a/state ".programme.show == \"countdown\""
stop "$a"
[[ $(retained qmx8350t/hall-a/availability) == offline ]] || fail "no offline after a clean stop"
"$QMXCTL" --port COM5 read >/dev/null || fail "COM5 stays locked"
restart=$(($(date +%s) + 1))
sleep_until "$restart"
bridge a2 --port COM5 mqtt --broker "$url" --name hall-a --state-dir "$work/state-a"
a=$bridge_pid
sleep_until $((restart + 2)).5
check_counting COM5 "$restart" down $((now + 30)) 2
[[ -z $(sub -t 'homeassistant/#' --retained-only -W 2 2>/dev/null || true) ]] || fail "discovery configs are left"
stop "$a"

# TLS with a CA made here, a password file; one that others may read is refused.
cd "$work"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj /CN=qmx-test-ca 2>/dev/null
openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr \
    -subj /CN=127.0.0.1 2>/dev/null
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 \
    -extfile <(printf 'subjectAltName=IP:127.0.0.1\n') 2>/dev/null
mosquitto_passwd -c -b passwords display s3cret
printf 'display:s3cret\n' >password
chmod 600 password passwords
start_broker tls "allow_anonymous false
password_file $work/passwords
cafile $work/ca.pem
certfile $work/server.pem
keyfile $work/server.key"
bridge c --port COM6 mqtt --broker "mqtts://127.0.0.1:$port" --name tls-c --cafile ca.pem --password-file password
c=$bridge_pid
for _ in $(seq 40); do
    said=$(sub --cafile ca.pem -u display -P s3cret -t qmx8350t/tls-c/availability -C 1 -W 1 --retained-only 2>/dev/null || true)
    [[ $said == online ]] && break
    sleep 0.5
done
[[ $said == online ]] || fail "the bridge over TLS is not online"
stop "$c"
chmod 644 password
status=0
"$QMXCTL" --port COM6 mqtt --broker "mqtts://127.0.0.1:$port" --cafile ca.pem --password-file password \
    >"$work/refused.log" 2>&1 || status=$?
[[ $status == 2 ]] && grep -q 'may be read by others' "$work/refused.log" ||
    fail "a password file others may read: status $status, $(cat "$work/refused.log")"
echo "ok: state, availability and its last will, errors, a group, the broker away and back, a resumed countdown, TLS"
