#!/usr/bin/env bash
# The window keeps its place across restarts under a real window manager:
# started ten times and closed each time with Alt+F4 without being moved, the
# editor's window must come back at the same place and size every time.
#   restarts.sh QUILLON
set -euo pipefail
exe=$(readlink -f "$1")
. "$(dirname "$0")/../session/lib.sh"
session_require xwininfo
session_on_xvfb "$0" "$@"
session_begin
session_home "" # the first-run page was seen
printf '[General]\nname=demo\n' >"$work/place.ini"
session_start_wm

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
    session_spawn quillon "$exe" "$work/place.ini"
    app=$spawned
    id=$(wait_window "place.ini")
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
    activate "$id"
    xdotool key --clearmodifiers alt+F4
    for _ in $(seq 1 100); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app" 2>/dev/null && fail "start $run: Alt+F4 did not close the editor"
    wait "$app" || true
done
echo "PASS: ten starts at $first"
