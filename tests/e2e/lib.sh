# Shared by the end-to-end scripts: a private X server, the built program and
# emulator run as a user would run them, and bounded waits. Sourced, not run.
#
# The caller sets QMX_APP, QMX_SIM (the built binaries) and may set
# QMX_ARTEFACTS (a folder for screenshots).

set -euo pipefail

: "${QMX_APP:?path of the built qmx8350t}"
: "${QMX_SIM:?path of the built qmx8350t-sim}"

readonly WINDOW_TITLE="Zobrazovací zařízení QMX8350T"
# Debian's ImageMagick; the convert found first on PATH may be something else.
readonly IMAGEMAGICK_CONVERT=/usr/bin/convert
# Debian puts the servers the tests start (ser2net) in /usr/sbin, which an
# ordinary user's PATH lacks.
PATH=$PATH:/usr/sbin:/sbin

for tool in Xvfb xdotool xwd xwininfo; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/bootstrap installs it)" >&2; exit 1; }
done
for binary in "$QMX_APP" "$QMX_SIM"; do
    [[ -x $binary ]] || { echo "FAIL: $binary is not built" >&2; exit 1; }
done

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/qmx-e2e.XXXXXX")
E2E_PIDS=()   # everything we started, stopped in reverse on the way out
APP_PID=""
SIM_PID=""
SIM_LOG="$E2E_TMP/sim.log"

e2e_cleanup() {
    local i pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        if kill -0 "$pid" 2>/dev/null; then
            kill -TERM "$pid" 2>/dev/null || true
            # A display that ignores TERM must not keep ctest waiting.
            for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
            kill -KILL "$pid" 2>/dev/null || true
        fi
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "FAIL: $*" >&2
    if [[ -s $SIM_LOG ]]; then
        echo "--- emulator log" >&2
        cat "$SIM_LOG" >&2
    fi
    if [[ -s $E2E_TMP/app.log ]]; then
        echo "--- program output" >&2
        cat "$E2E_TMP/app.log" >&2
    fi
    exit 1
}

# wait_until SECONDS WHAT COMMAND...: polls COMMAND every 0.1 s. A program
# that ends meanwhile fails the wait at once, with its output, unless its end
# is what is awaited.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        if [[ -z ${AWAITING_APP_EXIT:-} && -n $APP_PID ]] && app_ended; then
            local status=0
            wait "$APP_PID" || status=$?
            fail "the program exited with status $status while the test waited for $what"
        fi
        # SEEN, when set, is a command that says what was there instead.
        ((SECONDS < deadline)) || fail "timed out after ${seconds}s waiting for $what${SEEN:+; seen: $(eval "$SEEN")}"
        sleep 0.1
    done
}

# An X server of our own on a display number it picks itself, so that tests
# run in parallel (ctest -j) never race for the same display. E2E_SCREEN
# gives another screen than 1024x768x24.
start_x() {
    local fd_file="$E2E_TMP/displayfd"
    : >"$fd_file"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768x24}" -dpi 96 -nolisten tcp -noreset \
        3>"$fd_file" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    local xpid=$!
    # The number is written once the server accepts connections.
    wait_until 20 "the X server" grep -q '^[0-9][0-9]*$' "$fd_file"
    kill -0 "$xpid" 2>/dev/null || fail "Xvfb ended: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(head -n1 "$fd_file")"
    # The program must meet a real X server, whatever the caller's environment.
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    # A desktop session has a UTF-8 locale; a CI job may have none, and then
    # Qt puts the UTF-8 title into the Latin-1 WM_NAME, which is where
    # xdotool looks for it.
    export LC_ALL=C.UTF-8
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING
}

# start_sim PORTDIR VALUE COMn...: the emulator, its log in $SIM_LOG; returns
# once every link exists.
start_sim() {
    local portdir=$1 value=$2
    shift 2
    mkdir -p "$portdir"
    "$QMX_SIM" --plain --port-dir "$portdir" --value "$value" "$@" >"$SIM_LOG" 2>&1 </dev/null &
    SIM_PID=$!
    E2E_PIDS+=("$SIM_PID")
    local port
    for port in "$@"; do
        wait_until 10 "the link $portdir/$port" test -e "$portdir/$port"
    done
}

# start_app WORKDIR PORTDIR [ARGS...]: the program as a user starts it, in
# WORKDIR.
start_app() {
    local workdir=$1 portdir=$2
    shift 2
    (cd "$workdir" && exec env QMX_PORT_DIR="$portdir" "$QMX_APP" "$@") \
        >"$E2E_TMP/app.log" 2>&1 </dev/null &
    APP_PID=$!
    E2E_PIDS+=("$APP_PID")
}

# find_window [TITLE]: sets WINDOW to the id of the window of that title
# (the main window's by default) once it is mapped.
WINDOW=""
find_window() {
    wait_until 20 "the window \"${1:-$WINDOW_TITLE}\" to appear" window_shown "${1:-$WINDOW_TITLE}"
}
window_shown() {
    WINDOW=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [[ -n $WINDOW ]]
}

window_has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }

# Keys go to the window with the X input focus; with no window manager the
# program takes it itself when it activates its window.
wait_for_focus() { wait_until 20 "the main window to take the keyboard focus" window_has_focus "$1"; }

# start_app_found WORK PORTS: the program started, the display holding 0930 on
# COM4 found, the window focused; after_search counts the frames sent so far.
start_app_found() {
  start_app "$1" "$2"
  wait_until 10 "the display's answer to the search" grep -qF 'COM4 -> 30 39 33 30 0D 0A' "$SIM_LOG"
  find_window
  wait_for_focus "$WINDOW"
  after_search=$(count_frames_in)
}

# click_client WINDOW LEFT TOP WIDTH HEIGHT: a left click in the middle of a
# control given in client coordinates. Without a window manager the X window
# is the client area, so no frame offset applies. No --sync: it waits for the
# pointer to move and so stalls when it is already there (a second click on
# the same button); the server handles the move and the click in order anyway.
click_client() {
    local window=$1 left=$2 top=$3 width=$4 height=$5
    xdotool mousemove --window "$window" $((left + width / 2)) $((top + height / 2)) click 1
}

press_key() { xdotool key --clearmodifiers "$1"; }

# An ended child that is not yet reaped still answers kill -0.
app_ended() {
    ! kill -0 "$APP_PID" 2>/dev/null || [[ $(awk '{print $3}' "/proc/$APP_PID/stat" 2>/dev/null) == Z ]]
}

# wait_app_exit SECONDS: sets APP_STATUS, or fails if the program runs on.
APP_STATUS=""
wait_app_exit() {
    local AWAITING_APP_EXIT=1
    wait_until "$1" "the program to exit" app_ended
    APP_STATUS=0
    wait "$APP_PID" || APP_STATUS=$?
}

# The lines the emulator logged for frames coming in.
frames_in() { grep -F ' <- ' "$SIM_LOG" || true; }
count_frames_in() { frames_in | wc -l; }

# A file's bytes as space-separated upper-case hex.
hex_of() { od -An -v -tx1 "$1" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//' | tr a-f A-F; }

# expect_settings WORKDIR "05 00 ...": the saved settings file, byte for byte.
expect_settings() {
    local file="$1/Parametry.par" want=$2
    [[ -f $file ]] || fail "Parametry.par was not written"
    local got
    got=$(hex_of "$file")
    [[ $got == "$want" ]] || fail "Parametry.par holds '$got', expected '$want'"
}

# write_settings FILE PORT PERIOD FUNCTION WHOLE: the 12-byte record.
write_settings() {
    local file=$1 port=$2 period=$3 function=$4 whole=$5
    printf "$(printf '\\x%02x\\x00\\x%02x\\x%02x\\x%02x\\x%02x\\x%02x\\x%02x\\x%02x\\x00\\x00\\x00' \
        "$port" $((period & 255)) $((period >> 8)) \
        $((function & 255)) $(((function >> 8) & 255)) $(((function >> 16) & 255)) $(((function >> 24) & 255)) \
        "$whole")" >"$file"
}

# screenshot NAME: the whole screen as PNG into the artefact folder. Without
# a window manager Xvfb hands back black for a window that lies wholly over
# another one, so each shown window is taken on its own and laid onto the
# picture of the screen, the bottom one first.
screenshot() {
    local dir=${QMX_ARTEFACTS:-$E2E_TMP} parts="$E2E_TMP/screenshot"
    mkdir -p "$dir" "$parts"
    xwd -root -silent | "$IMAGEMAGICK_CONVERT" xwd:- "$parts/screen.png" || return 1
    local layers=() id place n=0
    while read -r id place; do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
        xwd -id "$id" -silent | "$IMAGEMAGICK_CONVERT" xwd:- "$parts/$n.png" || continue
        layers+=("$parts/$n.png" -geometry "$place" -composite)
        n=$((n + 1))
    done < <(xwininfo -root -children | awk '$1 ~ /^0x/ { print $1, $NF }' | tac)
    "$IMAGEMAGICK_CONVERT" "$parts/screen.png" "${layers[@]}" "png:$dir/$1.tmp" && mv -f "$dir/$1.tmp" "$dir/$1"
}
