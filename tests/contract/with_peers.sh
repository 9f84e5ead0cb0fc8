#!/usr/bin/env bash
# Runs a command beside emulated displays, one emulator process for each
# behaviour, on pseudo-terminals linked as COM ports:
#   with_peers.sh SIM COMMAND [ARG...]
# The command finds them in QMX_PEERS ("normal:9,10 silent:4 ...", and
# "plain:11", a plain file under a COM name), the normal
# displays' frame log in QMX_PEER_LOG, the control FIFO of the display that
# can be pulled out ("gone", "back") in QMX_PEER_CONTROL and a scratch folder
# in QMX_SCRATCH.
# With QMX_PEERS_VIA=rfc2217 or socket, every display but the one that can be
# pulled out is reached through ser2net on 127.0.0.1 instead: its COM name is
# a file that maps it to a port of a ser2net started here, with a
# configuration of its own, in front of the display's pty.
# With WINEPREFIX set, the ports are linked into the prefix's dosdevices, so
# that a Windows program under Wine opens them as COMn and \\.\COMn, and the
# paths are given as Wine sees them (Z:\...).
set -euo pipefail
sim=$1
shift

work=$(mktemp -d "${TMPDIR:-/tmp}/qmx-peers.XXXXXX")
pids=()
dosdevices=${WINEPREFIX:+$WINEPREFIX/dosdevices}
linked=()
relinker=
server=
# Sends the signal, gives the process 2 s to end, then kills it: a helper
# that does not end must not hold the test until its time-out.
end_process() {
  kill "-$1" "$2" 2>/dev/null || return 0
  for _ in $(seq 40); do kill -0 "$2" 2>/dev/null || break; sleep 0.05; done
  kill -KILL "$2" 2>/dev/null || true
  wait "$2" 2>/dev/null || true
}
finish() {
  [ -n "$server" ] && end_process TERM "$server"
  [ -n "$relinker" ] && end_process TERM "$relinker"
  # A background job of a script ignores SIGINT; the emulators catch it.
  for pid in "${pids[@]}"; do kill -INT "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do end_process INT "$pid"; done
  for link in "${linked[@]}"; do rm -f "$link"; done
  rm -rf "$work"
}
trap finish EXIT

declare -A peers=([normal]="9 10" [silent]="4" [slow]="5" [short]="6" [wrong-terminator]="7" [gone]="8")
mkdir -p "$work/ports" "$work/scratch"
QMX_PEERS=""
for behaviour in "${!peers[@]}"; do
  read -r -a numbers <<<"${peers[$behaviour]}"
  names=()
  for n in "${numbers[@]}"; do names+=("COM$n"); done
  # The display that can be pulled out answers normally until told.
  if [ "$behaviour" = gone ]; then
    options=(--control "$work/gone.control")
  else
    options=(--behaviour "$behaviour")
  fi
  "$sim" --port-dir "$work/ports" "${options[@]}" --plain "${names[@]}" >"$work/$behaviour.log" 2>&1 &
  pids+=($!)
  QMX_PEERS+="$behaviour:$(IFS=,; echo "${numbers[*]}") "
done

# Every link is there once its emulator has made the pty.
for behaviour in "${!peers[@]}"; do
  for n in ${peers[$behaviour]}; do
    for _ in $(seq 100); do [ -e "$work/ports/COM$n" ] && break; sleep 0.05; done
    if [ ! -e "$work/ports/COM$n" ]; then
      echo "with_peers.sh: the emulator made no COM$n" >&2
      cat "$work/$behaviour.log" >&2
      exit 1
    fi
    if [ -n "$dosdevices" ]; then
      ln -sfn "$(readlink "$work/ports/COM$n")" "$dosdevices/com$n"
      linked+=("$dosdevices/com$n")
    fi
  done
done

if [ -n "${QMX_PEERS_VIA:-}" ]; then
  # Ports of 127.0.0.1 that nothing listens on now, below the range the
  # kernel hands out to connecting sockets (from 32768), where another test's
  # connection could hold one between this check and ser2net's bind.
  listening() { grep -q " 0100007F:$(printf %04X "$1") [0-9A-F:]* 0A " /proc/net/tcp; }
  base=$((20000 + RANDOM % 12000))
  config=$work/ser2net.yaml
  : >"$config"
  served=()
  for behaviour in "${!peers[@]}"; do
    [ "$behaviour" = gone ] && continue
    for n in ${peers[$behaviour]}; do
      port=$((base + n))
      listening "$port" && { echo "with_peers.sh: 127.0.0.1:$port is taken" >&2; exit 1; }
      "$(dirname "$0")/../support/ser2net_config" "com$n" "$QMX_PEERS_VIA" "$port" \
        "$(readlink "$work/ports/COM$n")" >>"$config"
      served+=("$n:$port")
    done
  done
  # Debian puts it in /usr/sbin, which an ordinary user's PATH lacks.
  PATH=$PATH:/usr/sbin:/sbin
  # -d: in the foreground, its complaints (a port it cannot take) in its log.
  ser2net -d -u -P "$work/ser2net.pid" -c "$config" >"$work/ser2net.log" 2>&1 &
  server=$!
  for entry in "${served[@]}"; do
    n=${entry%%:*}
    port=${entry#*:}
    for _ in $(seq 300); do listening "$port" && break; kill -0 "$server" 2>/dev/null || break; sleep 0.05; done
    listening "$port" || {
      status=running
      kill -0 "$server" 2>/dev/null || { status=0; wait "$server" || status=$?; status="ended with status $status"; }
      echo "with_peers.sh: $(command -v ser2net) -d -u -c $config did not listen on 127.0.0.1:$port ($status); its output:" >&2
      cat "$work/ser2net.log" >&2
      exit 1
    }
    rm "$work/ports/COM$n"
    echo "$QMX_PEERS_VIA://127.0.0.1:$port" >"$work/ports/COM$n"
  done
fi

# A plain file under a COM name: a name that leads to no port.
: >"$work/plain"
ln -s "$work/plain" "$work/ports/COM11"
if [ -n "$dosdevices" ]; then
  ln -sfn "$work/plain" "$dosdevices/com11"
  linked+=("$dosdevices/com11")
fi
QMX_PEERS+="plain:11 "

# A display that comes back has a new pty: Wine's link follows the emulator's.
if [ -n "$dosdevices" ]; then
  (
    while sleep 0.05; do
      for link in "$work"/ports/COM*; do
        [ -L "$link" ] || continue
        n=${link##*/COM}
        target=$(readlink "$link") || continue
        [ "$(readlink "$dosdevices/com$n" 2>/dev/null)" = "$target" ] || ln -sfn "$target" "$dosdevices/com$n"
      done
    done
  ) &
  relinker=$!
fi

wine_path() { local p=${1//\//\\}; echo "Z:$p"; }
if [ -n "$dosdevices" ]; then
  export QMX_UNDER_WINE=1
  # Wine turns the arguments into UTF-16 by the locale: Czech letters need
  # a UTF-8 one.
  export LC_ALL=C.UTF-8
  export QMX_PEER_LOG=$(wine_path "$work/normal.log")
  export QMX_PEER_CONTROL=$(wine_path "$work/gone.control")
  export QMX_SCRATCH=$(wine_path "$work/scratch")
  # Wine passes the variables on to the Windows program as they are.
  export WINEDEBUG=${WINEDEBUG:--all}
else
  export QMX_PORT_DIR=$work/ports
  export QMX_PEER_LOG=$work/normal.log
  export QMX_PEER_CONTROL=$work/gone.control
  export QMX_SCRATCH=$work/scratch
fi
export QMX_PEERS

status=0
"$@" || status=$?
if [ "$status" -ne 0 ]; then
  echo "--- the normal displays' log ---" >&2
  tail -n 40 "$work/normal.log" >&2
fi
exit "$status"
