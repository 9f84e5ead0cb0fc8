# Shared by the tests of qmx8350t.exe under Wine: an X server of their own,
# the emulator on a pty linked as the prefix's COM3, the program in a working
# folder, and the window read and clicked from outside.
# Needs SIM, APP and READER set (absolute paths) and WINEPREFIX.
: "${WINEPREFIX:?}"
# Wine passes command lines and output in the Unix locale's encoding: the
# Czech titles and texts the tests look for need UTF-8, whatever the session
# set (ssh and minimal containers set none).
export LC_ALL=C.UTF-8
tmp=$(mktemp -d "${TMPDIR:-/tmp}/qmx-win-e2e.XXXXXX")
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -f "$WINEPREFIX/dosdevices/com3"
  rm -rf "$tmp"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$tmp/sim.log" ] && sed 's/^/  sim: /' "$tmp/sim.log" >&2; exit 1; }
hex_of() { od -An -v -tx1 "$1" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//' | tr a-f A-F; }
wait_until() { # SECONDS WHAT COMMAND...
  local until=$((SECONDS + $1)) what=$2; shift 2
  until "$@"; do ((SECONDS < until)) || fail "no $what within the time${SEEN:+; seen: $(eval "$SEEN")}"; sleep 0.2; done
}
readonly MAIN_TITLE="Zobrazovací zařízení QMX8350T"
readonly TEST_TITLE="Testování zobrazovače Varn6604"
# read_window TITLE [CLASS]: the controls of our window of that title, or of
# the window of that class ("#32770": a message box), into $tmp/window.json.
read_window() { wine "$READER" "$1" "${2:-qmx8350t.TForm}" >"$tmp/window.json" 2>/dev/null; }
panels_say() { grep -qF "\"panels\":[\"$1\",\"$2\"]" "$tmp/window.json"; }
panels_seen() { sed -n 's/.*"panels":\(\[[^]]*\]\).*/\1/p' "$tmp/window.json" 2>/dev/null | head -1 | grep . || echo "no status bar"; }
# click TITLE TEXT [CLASS]: a click in the middle of the shown control of that text.
click() {
  read_window "$1" "${3:-}" || fail "no window '$1'"
  local rect x y w h
  rect=$(grep -F "\"text\":\"$2\"," "$tmp/window.json" | grep -F '"shown":true' |
    sed -n 's/.*"rect":\[\([0-9-]*\),\([0-9-]*\),\([0-9]*\),\([0-9]*\)\].*/\1 \2 \3 \4/p' | head -1)
  read -r x y w h <<<"$rect" || fail "no control '$2' in '$1': $(cat "$tmp/window.json")"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}
# type_into TITLE N TEXT: TEXT in place of what the Nth shown edit box holds.
type_into() {
  read_window "$1" || fail "no window '$1'"
  local rect x y w h
  rect=$(grep -F '"class":"Edit",' "$tmp/window.json" | grep -F '"shown":true' | sed -n "$2p" |
    sed -n 's/.*"rect":\[\([0-9-]*\),\([0-9-]*\),\([0-9]*\),\([0-9]*\)\].*/\1 \2 \3 \4/p')
  read -r x y w h <<<"$rect" || fail "no edit box $2 in '$1'"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1 sleep 0.2 key End shift+Home type "$3"
}
# An X server of our own (SCREEN pixels, 1024x768 unless set), no window
# manager: Wine then must not wait for one.
start_x() {
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 "${SCREEN:-1024x768}x24" -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
  pids+=($!)
  read -r -t 10 -u "$fd" display || fail "Xvfb did not start"
  export DISPLAY=:$display
  # Wine's desktop process takes the display of the first program that needs
  # it: the prefix's programs start afresh on this one.
  wineserver -k 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# start_sim VALUE: the display on COM3, holding VALUE.
start_sim() {
  mkdir -p "$tmp/ports"
  "$SIM" --port-dir "$tmp/ports" --value "$1" --plain COM3 >"$tmp/sim.log" 2>&1 &
  pids+=($!)
  wait_until 5 "emulated COM3" test -e "$tmp/ports/COM3"
  ln -sfn "$(readlink "$tmp/ports/COM3")" "$WINEPREFIX/dosdevices/com3"
}

# start_app FOLDER [ARG...]: the program in FOLDER; APP_PID is its process.
start_app() {
  local folder=$1
  shift
  (cd "$folder" && exec wine "$APP" "$@") &
  APP_PID=$!
  pids+=($APP_PID)
  wait_until 30 "search on COM3" grep -qF 'COM3 <- 44 3F 3F 3F 00 0D 0A' "$tmp/sim.log"
  SEEN=panels_seen wait_until 10 "status text" eval 'read_window "$MAIN_TITLE" && panels_say "Připojen displej na portu COM3" "Displej: 0930"'
}
