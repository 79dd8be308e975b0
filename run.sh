#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts Quillon, opening FILE if given.
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY) the editor runs on a
# virtual X server; a screenshot of it is saved to quillon-screenshot.png.
# Usage: ./run.sh [FILE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

file=()
if [ $# -gt 0 ]; then
    file=("$(realpath -m -- "$1")")
fi

cd "$here"
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --parallel "$(nproc)"
quillon="$here/build/release/src/editor/quillon"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$quillon" "${file[@]}"
fi

echo "No display found: starting Quillon on a virtual X server to take a screenshot."
scripts/install-deps.sh imagemagick
shot="$here/quillon-screenshot.png"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$1" "${@:3}" &
    pid=$!
    sleep 4
    import -window root "$2"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' run-quillon "$quillon" "$shot" "${file[@]}"
echo "Screenshot saved to $shot"
