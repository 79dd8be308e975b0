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
. "$here/../session/lib.sh"
session_require dbus-run-session "$launcher"
# pyatspi belongs to Debian's own python3.
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "skipped: python3-pyatspi is not installed"
    exit 77
fi
session_on_xvfb dbus-run-session -- "$0" "$@"
session_begin
session_home # no settings stored: a first start
# A section of every kind of line: items, a comment, a blank line and a line
# that parses as nothing.
printf '[Server]\r\nhost=example.org\r\n;the port\r\n\r\nport=8443\r\nnot a setting\r\n[Client]\r\nname=x\r\n' \
    >"$work/sample.ini"

session_spawn bus "$launcher" --launch-immediately
session_start_wm
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 session_spawn quillon "$quillon" "$work/sample.ini"

status=0
timeout 180 /usr/bin/python3 "$here/a11y_probe.py" || status=$?
if [ "$status" -ne 0 ]; then
    echo "--- editor output"; cat "$work/quillon.log"
fi
exit "$status"
