#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked with dpkg -x into a temp
# root, its menu entry valid and its command run under Xvfb against the
# installed emulator, and the installed qmxctl reading the display beside the
# window. QMX_DEB is the package file, QMX_DESKTOP_ID the entry's name.
set -euo pipefail
: "${QMX_DEB:?path of the built .deb}"
: "${QMX_DESKTOP_ID:?name of the desktop entry}"
[[ -f $QMX_DEB ]] || { echo "FAIL: $QMX_DEB was not built" >&2; exit 1; }

root=$(mktemp -d "${TMPDIR:-/tmp}/qmx-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg -x "$QMX_DEB" "$root"
usr="$root/usr"

for f in bin/qmx8350t bin/qmxctl bin/qmx8350t-sim \
    share/man/man1/qmx8350t.1.gz share/man/man1/qmxctl.1.gz share/man/man1/qmx8350t-sim.1.gz \
    share/doc/qmx8350t/README.md share/doc/qmx8350t/70-qmx8350t.rules share/doc/qmx8350t/copyright; do
    [[ -e $usr/$f ]] || { echo "FAIL: the package lacks /usr/$f" >&2; exit 1; }
done

# The clock service and the MQTT bridge come installed and disabled: their
# units, the settings files kept as conffiles, the administrator's port
# folder, and no maintainer script that could enable or start anything.
for f in usr/lib/systemd/system/qmxctl-clock@.service usr/lib/systemd/system/qmxctl-mqtt@.service \
    etc/default/qmxctl-clock etc/default/qmxctl-mqtt etc/qmx8350t/ports; do
    [[ -e $root/$f ]] || { echo "FAIL: the package lacks /$f" >&2; exit 1; }
done
dpkg-deb -e "$QMX_DEB" "$root/DEBIAN"
[[ $(cat "$root/DEBIAN/conffiles") == $'/etc/default/qmxctl-clock\n/etc/default/qmxctl-mqtt' ]] ||
    { echo "FAIL: conffiles: $(cat "$root/DEBIAN/conffiles")" >&2; exit 1; }
for script in preinst postinst prerm postrm; do
    [[ ! -e $root/DEBIAN/$script ]] || { echo "FAIL: the package has a $script" >&2; exit 1; }
done
if command -v systemctl >/dev/null; then
    for unit in qmxctl-clock@COM3 qmxctl-mqtt@COM3; do
        state=$(systemctl --root="$root" is-enabled $unit.service 2>&1) || true
        [[ $state == disabled ]] || { echo "FAIL: $unit is $state" >&2; exit 1; }
    done
fi

entry="$usr/share/applications/$QMX_DESKTOP_ID.desktop"
desktop-file-validate "$entry" || { echo "FAIL: desktop-file-validate refuses $entry" >&2; exit 1; }
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 256; do
    png="$usr/share/icons/hicolor/${size}x$size/apps/$icon.png"
    [[ $(file -b "$png") == "PNG image data, $size x $size,"* ]] || { echo "FAIL: no $size px icon $icon" >&2; exit 1; }
done
for tool in qmxctl qmx8350t-sim; do
    ! ldd "$usr/bin/$tool" | grep -q libQt || { echo "FAIL: $tool links Qt" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$QMX_DEB" Depends)
for dep in fonts-liberation libqt6widgets6 libc6; do
    [[ $depends == *"$dep"* ]] || { echo "FAIL: Depends lacks $dep: $depends" >&2; exit 1; }
done

# The menu entry's command, found on PATH as a desktop finds it.
export PATH="$usr/bin:$PATH"
QMX_APP=$(command -v "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")")
QMX_SIM="$usr/bin/qmx8350t-sim"
export QMX_APP QMX_SIM
source "$(dirname "$0")/../e2e/lib.sh"
trap 'e2e_cleanup; rm -rf "$root"' EXIT

work="$E2E_TMP/work"
ports="$E2E_TMP/ports"
mkdir -p "$work"
start_x
# Without settings the window searches from COM2 downwards and wraps, so it
# takes COM5 before COM4; qmxctl then finds COM5 in use and reads COM4.
start_sim "$ports" 0930 COM4 COM5
start_app "$work" "$ports"
wait_until 20 "the window's search to find COM5" grep -qF 'COM5 -> 30 39 33 30 0D 0A' "$SIM_LOG"
find_window
wait_for_focus "$WINDOW"

read_out=$(cd "$work" && QMX_PORT_DIR="$ports" qmxctl read 2>"$E2E_TMP/qmxctl.err") ||
    fail "qmxctl read failed: $(cat "$E2E_TMP/qmxctl.err")"
[[ $read_out == 0930 ]] || fail "qmxctl read printed '$read_out'"
grep -qF 'COM4 <- 44 3F 3F 3F 00 0D 0A' "$SIM_LOG" || fail "qmxctl did not read COM4"
[[ $(qmxctl --version) == "qmxctl $(dpkg-deb -f "$QMX_DEB" Version)" ]] || fail "qmxctl --version: $(qmxctl --version)"

press_key Return
wait_app_exit 10
[[ $APP_STATUS == 0 ]] || fail "the program exited with status $APP_STATUS"
echo "ok: the unpacked package runs; the window found COM5, qmxctl read COM4"
