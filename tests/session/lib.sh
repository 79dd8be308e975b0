# Shared start-up of the session tests, which drive real programs on a
# virtual X server under the openbox window manager with xdotool. Sourced:
#   . "$(dirname "$0")/../session/lib.sh"
#   session_require xclip            # exits 77 (skipped) when a tool is missing
#   session_on_xvfb "$0" "$@"        # runs the script again under xvfb-run, once
#   session_begin                    # $work, removed on exit with every program started
#   session_home "[General]..."      # a home and settings of its own
#   session_start_wm                 # openbox, running before any window maps
#   session_spawn NAME CMD...        # in the background, output in $work/NAME.log
#   id=$(wait_window "title regex"); activate "$id"; key ctrl+s
# The waits poll a condition, for at most $session_wait_seconds.

session_wait_seconds=${session_wait_seconds:-60}
work=

# Exits 77 (skipped) unless every tool named is installed.
session_require() {
    local tool
    for tool in xvfb-run openbox xdotool xprop "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

# Runs the command (the script itself, possibly behind a wrapper such as
# dbus-run-session) under xvfb-run, unless this already is that run.
session_on_xvfb() {
    if [ -z "${QUILLON_ON_XVFB:-}" ]; then
        export QUILLON_ON_XVFB=1
        exec xvfb-run -a -s "-screen 0 1280x800x24" "$@"
    fi
}

# A fresh work folder in $work; on exit the programs started are stopped and it goes.
session_begin() {
    work=$(mktemp -d)
    trap session_cleanup EXIT
}

# Stops the programs of this shell still running (its jobs, never a process
# found by name) and removes the work folder.
session_cleanup() {
    local running
    running=$(jobs -pr)
    if [ -n "$running" ]; then
        kill $running 2>/dev/null || true
        wait 2>/dev/null || true
    fi
    rm -rf "$work"
}

# A home, configuration and runtime folder inside $work, and the editor on
# the X server. Given a text, the settings store holds it (an empty one: no
# preferences stored, the first-run page seen); without, there is no store.
session_home() {
    export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME/Velmora" "$XDG_RUNTIME_DIR"
    chmod 0700 "$XDG_RUNTIME_DIR"
    if [ $# -gt 0 ]; then
        printf '%s' "$1" >"$XDG_CONFIG_HOME/Velmora/Quillon.conf"
    fi
    export QT_QPA_PLATFORM=xcb
}

# Starts openbox and waits until it manages the screen: a window mapped while
# it starts up can be left unmapped.
session_start_wm() {
    openbox >/dev/null 2>&1 &
    local end=$((SECONDS + session_wait_seconds))
    while [ "$SECONDS" -lt "$end" ]; do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# Starts a program in the background, its output in $work/NAME.log; its pid
# is in $spawned and it is stopped on exit.
session_spawn() {
    local name=$1
    shift
    "$@" >>"$work/$name.log" 2>&1 &
    spawned=$!
}

# Reports a failure with the windows on the screen and the programs' output, and exits.
fail() {
    echo "FAIL: $*" >&2
    local id
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        echo "window: $(xdotool getwindowname "$id" 2>/dev/null)" >&2
    done
    if [ -n "$work" ]; then
        local log
        for log in "$work"/*.log; do
            [ -s "$log" ] && { echo "--- $log" >&2; tail -n 40 "$log" >&2; }
        done
    fi
    exit 1
}

# Prints the id of a visible window whose title matches the pattern, once there is one.
# (A plain name such as "Quillon" would also find Qt's hidden clipboard window.)
wait_window() {
    local id end=$((SECONDS + session_wait_seconds))
    while [ "$SECONDS" -lt "$end" ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$1\""
}

# Waits until no visible window's title matches the pattern.
wait_gone() {
    local end=$((SECONDS + session_wait_seconds))
    while [ "$SECONDS" -lt "$end" ]; do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window \"$1\" stayed open"
}

# Waits until the command succeeds; fails with the message after the wait.
wait_until() {
    local message=$1 end=$((SECONDS + session_wait_seconds))
    shift
    while [ "$SECONDS" -lt "$end" ]; do
        "$@" && return 0
        sleep 0.1
    done
    fail "$message"
}

# Makes the window the active one, so that keys go to it; retried while the
# window manager is still taking the window on.
activate() {
    local _
    for _ in $(seq 1 50); do
        xdotool windowactivate --sync "$1" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    xdotool windowfocus --sync "$1" >/dev/null 2>&1 || fail "window $1 cannot be activated"
}

# Keys and text for the active window.
key() { xdotool key --clearmodifiers --delay 30 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 30 "$1"; }
# Keys for a window, activated first.
keys_to() {
    activate "$1"
    key "${@:2}"
}

# Standard input as one line of hex digits, to compare bytes in the shell.
hex() { od -An -tx1 -v | tr -d ' \n'; }
