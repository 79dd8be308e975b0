#!/usr/bin/env bash
# A user's session with the real editor under a virtual X server, driven by
# keystrokes only: open a file from the command line, add a section and an
# item through their dialogs, edit and delete items, undo and redo, find with
# Ctrl+F and F3, save with Ctrl+S; then the saved bytes are checked.
# Usage: usersession.sh QUILLON_EXECUTABLE
set -euo pipefail

exe=$(readlink -f "$1")
if [ -z "${QUILLON_SESSION_DISPLAY:-}" ]; then
    exec env QUILLON_SESSION_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
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

# A home of its own: settings, and the first-run page already seen.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Velmora" "$XDG_RUNTIME_DIR"
chmod 0700 "$XDG_RUNTIME_DIR"
# The normalising save, chosen in the preferences (keeplayout.sh checks the default).
printf '[General]\nKeepLayout=false\n' >"$XDG_CONFIG_HOME/Velmora/Quillon.conf"
export QT_QPA_PLATFORM=xcb

fail() {
    echo "FAIL: $*" >&2
    import -window root "$work/../quillon-session-failure.png" 2>/dev/null || true
    exit 1
}

# Polls for a visible window whose title matches; prints its id.
wait_window() {
    local pattern=$1 id
    for _ in $(seq 1 600); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$pattern\""
}

wait_gone() {
    local pattern=$1
    for _ in $(seq 1 600); do
        if ! xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    fail "window \"$pattern\" stayed open"
}

key() {
    xdotool key --clearmodifiers --delay 30 "$@"
}

type_text() {
    xdotool type --clearmodifiers --delay 30 "$1"
}

# One dialog: wait for it, act in it, wait until it has closed.
in_dialog() {
    local title=$1
    shift
    local id
    id=$(wait_window "$title")
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    "$@"
    wait_gone "$title"
}

printf '[General]\r\nname=demo\r\nbeta=one\r\n[Colors]\r\nred=ff0000\r\nblue=0000ff\r\n' >"$work/session.ini"

openbox >/dev/null 2>&1 &
wm=$!
# The editor starts once the window manager runs: a window mapped while it
# starts up can be left unmapped.
for _ in $(seq 1 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
"$exe" "$work/session.ini" >"$work/quillon.log" 2>&1 &
app=$!

main=$(wait_window "Velmora")
for _ in $(seq 1 100); do
    xdotool getwindowname "$main" | grep -q "session.ini" && break
    sleep 0.1
done
xdotool getwindowname "$main" | grep -q "session.ini" || fail "the file did not open"
# The window manager may still be starting: activation is retried.
for _ in $(seq 1 50); do
    xdotool windowactivate --sync "$main" >/dev/null 2>&1 && break
    sleep 0.2
done

# A section through its dialog: typed name, Enter presses Apply.
key ctrl+F8
in_dialog "^Add Section$" eval 'type_text "Extra"; key Return'
# An item in the new section: name, Tab, value, Enter.
key F8
in_dialog "^Add Value Item$" eval 'type_text "color"; key Tab; type_text "blue"; key Return'
# Edit it: the value is selected, typing replaces it.
key Return
in_dialog "^Edit Value Item$" eval 'type_text "green"; key Return'
# A second item, deleted after the question.
key F8
in_dialog "^Add Value Item$" eval 'type_text "temp"; key Tab; type_text "x"; key Return'
key Delete
in_dialog "^Delete Value Item" key Return
# Undo the delete and the addition, redo both.
key ctrl+z
key ctrl+z
key ctrl+y
key ctrl+shift+z
# Find "ff": the first match is red, F3 goes on to blue, which is then deleted.
key ctrl+f
in_dialog "^Find$" eval 'type_text "ff"; key Return'
key F3
key Delete
in_dialog "^Delete Value Item" key Return
# Save.
key ctrl+s
# The writer puts a blank line after each section.
printf '[General]\r\nname=demo\r\nbeta=one\r\n\r\n[Colors]\r\nred=ff0000\r\n\r\n[Extra]\r\n\r\ncolor=green\r\n\r\n' \
    >"$work/expected.ini"
for _ in $(seq 1 100); do
    if cmp -s "$work/session.ini" "$work/expected.ini"; then
        echo "PASS: the saved file holds the session's changes"
        exit 0
    fi
    sleep 0.1
done
echo "--- saved:" >&2
od -c "$work/session.ini" >&2
fail "the saved bytes differ"
