#!/usr/bin/env bash
# Runs a Qt program on a virtual X server under the openbox window manager,
# so that windows get real frames: with-openbox.sh PROGRAM [ARGUMENTS]
set -euo pipefail
for tool in xvfb-run openbox xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
if [ -z "${QUILLON_ON_XVFB:-}" ]; then
    export QUILLON_ON_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
runtime=$(mktemp -d)
chmod 0700 "$runtime"
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 1 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb "$@"
