#!/usr/bin/env bash
# Runs a Qt program on a virtual X server under the openbox window manager,
# so that windows get real frames: with-openbox.sh PROGRAM [ARGUMENTS]
set -euo pipefail
. "$(dirname "$0")/../session/lib.sh"
session_require
session_on_xvfb "$0" "$@"
session_begin
mkdir -m 0700 "$work/runtime"
session_start_wm
XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb "$@"
