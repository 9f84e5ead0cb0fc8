#!/usr/bin/env bash
# The packaged clock service under a real systemd: a minbase Debian 12 booted
# with systemd-nspawn, the built .deb installed in it, the clock's display
# behind ser2net on the host's 127.0.0.1 (the container shares the host's
# network). Checked: the start waits for readiness, the status line, a stop
# after an outage ends inactive, a clock that stops pinging the watchdog is
# restarted, a bad setting fails once and is not restarted.
# QMX_DEB is the package, QMX_SIM the built emulator. Exit 77: skipped.
set -euo pipefail
: "${QMX_DEB:?path of the built .deb}" "${QMX_SIM:?path of the built qmx8350t-sim}"
PATH=$PATH:/usr/sbin:/sbin
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[[ $(id -u) == 0 ]] || skip "booting a container needs root"
command -v systemd-nspawn >/dev/null || skip "no systemd-nspawn (Debian systemd-container)"
command -v ser2net >/dev/null || skip "no ser2net"

# The root folder is made once per machine (about a minute) and kept; made
# again when the packages it needs change. Its mirror is this machine's own.
store=/var/tmp/qmx8350t-nspawn
root=$store/bookworm
include=systemd,systemd-sysv,dbus,libmosquitto1,libsystemd0
if [[ ! -x $root/lib/systemd/systemd || $(cat "$root/.qmx-include" 2>/dev/null) != "$include" ]]; then
    command -v debootstrap >/dev/null || skip "no debootstrap to make $root"
    mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
    [[ -n $mirror ]] || mirror=$(awk '$1 == "deb" && $3 ~ /^bookworm/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
    [[ -n $mirror ]] || skip "this machine's apt sources name no Debian mirror"
    mkdir -p "$store"
    rm -rf "$root.new"
    debootstrap --variant=minbase --include="$include" bookworm "$root.new" "$mirror" \
        >"$store/debootstrap.log" 2>&1 ||
        skip "debootstrap failed (no mirror?): $(tail -n 3 "$store/debootstrap.log")"
    echo "$include" >"$root.new/.qmx-include"
    rm -rf "$root"
    mv "$root.new" "$root"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qmx-container.XXXXXX")
machine=qmx8350t-test-$$
pids=()
cleanup() {
    [[ -n ${leader:-} ]] && nsenter -t "$leader" -a -r -w systemctl poweroff >/dev/null 2>&1 || true
    for _ in $(seq 50); do [[ -n ${boot:-} ]] && kill -0 "$boot" 2>/dev/null || break; sleep 0.1; done
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The package, installed without the window's libraries: qmxctl needs only
# what a minbase system has. Any earlier build's configuration goes with it.
systemd-nspawn -q --keep-unit --register=no -D "$root" --bind-ro="$QMX_DEB:/mnt/qmx8350t.deb" --pipe sh -c \
    'dpkg --purge qmx8350t >/dev/null 2>&1; rm -f /etc/default/qmxctl-clock-*;
     dpkg --force-depends -i /mnt/qmx8350t.deb >/dev/null 2>&1; test -x /usr/bin/qmxctl' \
    </dev/null >"$work/install.log" 2>&1 ||
    fail "the package did not install: $(cat "$work/install.log")"

# The display, behind ser2net on the host.
mkdir "$work/lines"
"$QMX_SIM" --plain --port-dir "$work/lines" --value 0930 COM1 >"$work/sim.log" 2>&1 </dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -e $work/lines/COM1 ]] && break; sleep 0.05; done
listening() { grep -q " 0100007F:$(printf %04X "$1") [0-9A-F:]* 0A " /proc/net/tcp; }
port=$((20000 + RANDOM % 12000))
while listening "$port"; do port=$((port + 1)); done
printf 'connection: &display\n    accepter: telnet(rfc2217),tcp(nodelay),127.0.0.1,%s\n    connector: serialdev,%s,9600n81,local\n    options:\n      chardelay: false\n' \
    "$port" "$(readlink "$work/lines/COM1")" >"$work/ser2net.yaml"
server=
start_server() {
    ser2net -d -u -c "$work/ser2net.yaml" >>"$work/ser2net.log" 2>&1 </dev/null &
    server=$!
    pids+=("$server")
    for _ in $(seq 100); do listening "$port" && return; sleep 0.05; done
    fail "$(command -v ser2net) -d -u -c $work/ser2net.yaml did not listen: $(cat "$work/ser2net.log")"
}
start_server

# The port map and a setting the clock does not take, as an administrator
# writes them; shorter waits than the shipped unit's, so that the test is quick.
mkdir -p "$root/etc/qmx8350t/ports" "$root/etc/systemd/system/qmxctl-clock@.service.d"
echo "rfc2217://127.0.0.1:$port" >"$root/etc/qmx8350t/ports/COM5"
chmod 0644 "$root/etc/qmx8350t/ports/COM5"
echo 'QMXCTL_CLOCK_MODE=hh:mm:ss' >"$root/etc/default/qmxctl-clock-COM6"
printf '[Service]\nWatchdogSec=2\nRestartSec=1\nTimeoutAbortSec=1\n' \
    >"$root/etc/systemd/system/qmxctl-clock@.service.d/quick.conf"

systemd-nspawn -q --keep-unit --register=no -D "$root" -M "$machine" -b >"$work/boot.log" 2>&1 </dev/null &
boot=$!
pids+=("$boot")
leader=
for _ in $(seq 100); do
    leader=$(pgrep -P "$boot" -x systemd || true)
    [[ -n $leader ]] && break
    kill -0 "$boot" 2>/dev/null || skip "the container does not boot here: $(tail -n 5 "$work/boot.log")"
    sleep 0.1
done
[[ -n $leader ]] || skip "the container did not boot in 10 s: $(tail -n 5 "$work/boot.log")"
inside() { nsenter -t "$leader" -a -r -w "$@"; }
for _ in $(seq 150); do
    state=$(inside systemctl is-system-running 2>/dev/null || true)
    [[ $state == running || $state == degraded ]] && break
    sleep 0.1
done
[[ $state == running || $state == degraded ]] || skip "the container's systemd is $state"
show() { inside systemctl show -P "$2" "qmxctl-clock@$1.service"; }
journal() { inside journalctl -q -b -o cat -u "qmxctl-clock@$1.service"; }

# Started: systemctl returns once the first time went out (Type=notify).
inside systemctl start qmxctl-clock@COM5 || fail "start: $(journal COM5)"
[[ $(show COM5 ActiveState) == active ]] || fail "COM5 is $(show COM5 ActiveState)"
status=$(show COM5 StatusText)
[[ $status == "COM5 (/etc/qmx8350t/ports/COM5): the display shows "[0-2][0-9]:[0-5][0-9]"; "*"the PC clock is "* ]] ||
    fail "status line: $status"
journal COM5 | grep -q '^qmxctl: real-time scheduling obtained\|^qmxctl: no real-time scheduling (' ||
    fail "no line about real-time scheduling: $(journal COM5)"

# An outage of the device server, then a routine stop: inactive, not failed.
kill "$server"
wait "$server" 2>/dev/null || true
sleep 4
start_server
for _ in $(seq 40); do journal COM5 | grep -q 'the display answers again' && break; sleep 0.1; done
inside systemctl stop qmxctl-clock@COM5
[[ $(show COM5 ActiveState) == inactive && $(show COM5 Result) == success ]] ||
    fail "after an outage and a stop: $(show COM5 ActiveState), $(show COM5 Result): $(journal COM5)"

# A loop that stops pinging (the process stopped as a hung exchange would
# hold it) is killed by the watchdog and restarted.
inside systemctl start qmxctl-clock@COM5
first=$(show COM5 MainPID)
inside systemctl kill -s SIGSTOP --kill-who=main qmxctl-clock@COM5
for _ in $(seq 100); do
    now=$(show COM5 MainPID)
    [[ $now != "$first" && $now != 0 && $(show COM5 ActiveState) == active ]] && break
    sleep 0.1
done
[[ $now != "$first" && $(show COM5 NRestarts) -ge 1 ]] ||
    fail "no restart by the watchdog: PID $first then $now, $(show COM5 ActiveState): $(journal COM5)"
for _ in $(seq 50); do journal COM5 | grep -q "Failed with result 'watchdog'" && break; sleep 0.1; done
journal COM5 | grep -q "Failed with result 'watchdog'" || fail "the journal names no watchdog timeout: $(journal COM5)"
inside systemctl stop qmxctl-clock@COM5

# A bad setting: failed once with status 2, not restarted.
inside systemctl start qmxctl-clock@COM6 2>/dev/null && fail "COM6 started with QMXCTL_CLOCK_MODE=hh:mm:ss"
sleep 2.5
[[ $(show COM6 ActiveState) == failed && $(show COM6 ExecMainStatus) == 2 && $(show COM6 NRestarts) == 0 ]] ||
    fail "COM6: $(show COM6 ActiveState), status $(show COM6 ExecMainStatus), $(show COM6 NRestarts) restarts"

echo "status line: $status"
echo "ok: in a booted Debian 12 the unit was ready with its status line, stopped inactive after an outage," \
    "was restarted by its watchdog and failed once on a bad setting"
