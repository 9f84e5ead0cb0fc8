#!/usr/bin/env bash
# qmxctl against the emulated displays of with_peers.sh, the same on every
# system: what it prints, how it exits and what reaches the wire.
#   with_peers.sh SIM qmxctl_contract.sh QMXCTL [WRAPPER...]
# Under Wine the wrapper is "wine", and QMXCTL the .exe.
set -uo pipefail
qmxctl=$1
shift
wrapper=("$@")
run() { "${wrapper[@]}" "$qmxctl" "${args[@]}"; }
peer() { sed -n "s/.*\b$1:\([0-9,]*\).*/\1/p" <<<"$QMX_PEERS" | cut -d, -f"${2:-1}"; }
log=$QMX_PEER_LOG
[ -n "${QMX_UNDER_WINE:-}" ] && log=$(sed 's/^Z://; s/\\/\//g' <<<"$QMX_PEER_LOG")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

normal=$(peer normal 1)
far=$(peer normal 2)
silent=$(peer silent)

# what, expected status, expected stdout (as printf %q would), expected
# stderr part, expected frame on the normal port ("" for none), args...
check() {
  local what=$1 status=$2 out=$3 err=$4 frame=$5 port=$6
  shift 6
  args=("$@")
  local before
  before=$(wc -l <"$log")
  local got_out got_err got_status
  got_out=$(run 2>"$errors" | tr -d '\r' | od -An -c | tr -s ' ')
  got_status=${PIPESTATUS[0]}
  got_err=$(tr -d '\r' <"$errors")
  local want_out
  want_out=$(printf "$out" | od -An -c | tr -s ' ')
  [ "$got_status" = "$status" ] || fail "$what: exit status $got_status, not $status ($got_err)"
  [ "$got_out" = "$want_out" ] || fail "$what: printed [$got_out], not [$want_out]"
  [[ "$got_err" == *"$err"* ]] || fail "$what: stderr [$got_err] lacks [$err]"
  if [ -n "$frame" ]; then
    sleep 0.2
    tail -n +"$((before + 1))" "$log" | grep -q " COM$port <- $frame " ||
      fail "$what: COM$port took no frame $frame"
  fi
}
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

check "a short value, zero-padded" 0 '12\0\0\n' "" "44 31 32 00 00 0D 0A" "$normal" \
  --port "COM$normal" write 12
check "read back" 0 '12\0\0\n' "" "44 3F 3F 3F 00 0D 0A" "$normal" --port "COM$normal" read
check "a port above COM9" 0 '0930\n' "" "43 30 39 33 30 0D 0A" "$far" --whole --port "COM$far" write 0930
check "Czech letters as Windows-1250 bytes" 0 'Čů\0\0\n' "" "43 C8 F9 00 00 0D 0A" "$normal" \
  --whole --port "COM$normal" write Čů
check "a silent display" 1 '' "COM$silent: the display did not answer" "" "$silent" --port "COM$silent" read

exit $((failures > 0))
