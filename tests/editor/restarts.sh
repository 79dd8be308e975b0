#!/usr/bin/env bash
# The window keeps its place across restarts under a real window manager:
# started ten times and closed each time with Alt+F4 without being moved, the
# editor's window must come back at the same place and size every time.
#   restarts.sh QUILLON
set -euo pipefail
exe=$(readlink -f "$1")
for tool in xvfb-run openbox xdotool xprop xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
if [ -z "${QUILLON_ON_XVFB:-}" ]; then
    export QUILLON_ON_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d)
app=
wm=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Velmora" "$XDG_RUNTIME_DIR"
chmod 0700 "$XDG_RUNTIME_DIR"
: >"$XDG_CONFIG_HOME/Velmora/Quillon.conf" # the first-run page was seen
export QT_QPA_PLATFORM=xcb
printf '[General]\nname=demo\n' >"$work/place.ini"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 1 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done

# The outer rectangle of a window as "x,y wxh", once the window manager has
# framed it (its frame extents are set) and it stopped moving.
frame_of() {
    local id=$1 extents last= now
    for _ in $(seq 1 100); do
        extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
        if [ -n "$extents" ]; then
            IFS=, read -r left right top bottom <<<"$extents"
            local info x y w h
            info=$(xwininfo -id "$id")
            x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
            y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
            w=$(sed -n 's/.*Width: *//p' <<<"$info")
            h=$(sed -n 's/.*Height: *//p' <<<"$info")
            now="$((x - left)),$((y - top)) $((w + left + right))x$((h + top + bottom))"
            if [ "$now" = "$last" ]; then
                echo "$now"
                return 0
            fi
            last=$now
        fi
        sleep 0.1
    done
    fail "the window was never framed"
}

first=
for run in $(seq 1 10); do
    "$exe" "$work/place.ini" >"$work/quillon.log" 2>&1 &
    app=$!
    id=
    for _ in $(seq 1 300); do
        id=$(xdotool search --onlyvisible --name "place.ini" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || fail "start $run: no window"
    frame=$(frame_of "$id")
    echo "start $run: frame at $frame"
    if [ -z "$first" ]; then
        first=$frame
    elif [ "$frame" != "$first" ]; then
        fail "start $run: the window moved from $first to $frame"
    fi
    read -r corner _ <<<"$frame"
    IFS=, read -r fx fy <<<"$corner"
    [ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] || fail "start $run: the title bar is off the screen ($frame)"
    for _ in $(seq 1 50); do
        xdotool windowactivate --sync "$id" >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool key --clearmodifiers alt+F4
    for _ in $(seq 1 100); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app" 2>/dev/null && fail "start $run: Alt+F4 did not close the editor"
    wait "$app" || true
    app=
done
echo "PASS: ten starts at $first"
