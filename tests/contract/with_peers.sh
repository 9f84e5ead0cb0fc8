#!/usr/bin/env bash
# Runs a command beside emulated displays, one emulator process for each
# behaviour, on pseudo-terminals linked as COM ports:
#   with_peers.sh SIM COMMAND [ARG...]
# The command finds them in QMX_PEERS ("normal:9,10 silent:4 ...", and
# "plain:11", a plain file under a COM name), the normal
# displays' frame log in QMX_PEER_LOG, the control FIFO of the display that
# can be pulled out ("gone", "back") in QMX_PEER_CONTROL and a scratch folder
# in QMX_SCRATCH.
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
finish() {
  # A background job of a script ignores SIGINT; the emulators catch it.
  [ -n "$relinker" ] && kill -TERM "$relinker" 2>/dev/null || true
  for pid in "${pids[@]}"; do kill -INT "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
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
