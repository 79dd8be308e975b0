#!/usr/bin/env bash
# A screen reader's view of the real editor: the editor runs under Xvfb with a
# session D-Bus and the AT-SPI bus, and a pyatspi script walks it, finds its
# controls by name and role and presses them through their accessible actions.
#   a11y-session.sh QUILLON
# Exits 77 (skipped) when a needed program or pyatspi is missing; the
# project's scripts/install-deps.sh installs them.
set -euo pipefail
quillon=$1
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
for tool in xvfb-run dbus-run-session openbox "$launcher"; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
# pyatspi belongs to Debian's own python3.
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "skipped: python3-pyatspi is not installed"
    exit 77
fi
if [ -z "${QUILLON_ON_XVFB:-}" ]; then
    export QUILLON_ON_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
# A section of every kind of line: items, a comment, a blank line and a line
# that parses as nothing.
printf '[Server]\r\nhost=example.org\r\n;the port\r\n\r\nport=8443\r\nnot a setting\r\n[Client]\r\nname=x\r\n' \
    >"$work/sample.ini"

"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
pids+=($!)
openbox >/dev/null 2>&1 &
pids+=($!)
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$quillon" "$work/sample.ini" >"$work/quillon.log" 2>&1 &
pids+=($!)

status=0
timeout 180 /usr/bin/python3 "$here/a11y_probe.py" || status=$?
if [ "$status" -ne 0 ]; then
    echo "--- editor output"; cat "$work/quillon.log"
fi
exit "$status"
