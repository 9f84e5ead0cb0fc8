# Shared by the tests of qmx8350t.exe under Wine: on top of the end-to-end
# library (tests/e2e/lib.sh: its X server, the emulator, bounded waits,
# cleanup), the emulator's COM3 linked as the prefix's COM3, the program run
# by wine in a working folder, and the window read and clicked from outside.
# Needs SIM, APP and READER set (absolute paths) and WINEPREFIX.
: "${WINEPREFIX:?}"
QMX_SIM=$SIM QMX_APP=$(command -v wine)
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
# The X server's start sets the UTF-8 locale (Wine passes command lines and
# output in the Unix locale's encoding, and the Czech titles and texts need
# it, whatever the session set); so does this, for what runs before.
export LC_ALL=C.UTF-8
tmp=$E2E_TMP
finish() {
  rm -f "$WINEPREFIX/dosdevices/com3"
  e2e_cleanup
}
trap finish EXIT
readonly MAIN_TITLE=$WINDOW_TITLE
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
# start_wine_x: an X server of our own (E2E_SCREEN, 1024x768x24 unless set),
# no window manager: Wine then must not wait for one.
start_wine_x() {
  start_x
  # Wine's desktop process takes the display of the first program that needs
  # it: the prefix's programs start afresh on this one.
  wineserver -k 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# start_wine_sim VALUE: the display on COM3, holding VALUE.
start_wine_sim() {
  start_sim "$tmp/ports" "$1" COM3
  ln -sfn "$(readlink "$tmp/ports/COM3")" "$WINEPREFIX/dosdevices/com3"
}

# start_wine_app FOLDER [ARG...]: the program in FOLDER, once it has found the
# display; APP_PID is its process.
start_wine_app() {
  local folder=$1
  shift
  start_app "$folder" "$tmp/ports" "$APP" "$@"
  wait_until 30 "search on COM3" grep -qF 'COM3 <- 44 3F 3F 3F 00 0D 0A' "$SIM_LOG"
  SEEN=panels_seen wait_until 10 "status text" eval 'read_window "$MAIN_TITLE" && panels_say "Připojen displej na portu COM3" "Displej: 0930"'
}
