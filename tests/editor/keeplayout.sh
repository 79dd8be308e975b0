#!/usr/bin/env bash
# A first start's save keeps the file as it was: an LF file with uneven
# spacing, one value changed through its dialog and saved with Ctrl+S,
# differs from what it was in that one line (still ending in LF).
#   keeplayout.sh QUILLON
set -euo pipefail
exe=$(readlink -f "$1")
for tool in xvfb-run openbox xdotool xprop; do
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
: >"$XDG_CONFIG_HOME/Velmora/Quillon.conf" # no preferences stored yet
export QT_QPA_PLATFORM=xcb
printf '; kept as written\n[net]\nhost   =  example.org\nport=8080 ; the port\n\n[misc]\nx = 1\n' >"$work/lf.ini"
cp "$work/lf.ini" "$work/before.ini"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
wait_window() {
    local id
    for _ in $(seq 1 300); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$1\""
}
key() { xdotool key --clearmodifiers --delay 30 "$@"; }

openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 1 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
"$exe" "$work/lf.ini" >"$work/quillon.log" 2>&1 &
app=$!
main=$(wait_window "lf.ini")
for _ in $(seq 1 50); do
    xdotool windowactivate --sync "$main" >/dev/null 2>&1 && break
    sleep 0.2
done
# A slow build (the sanitizers) may still be filling the lists when the title shows.
sleep 1
# The second section, [net]: its first item, host, edited through its dialog
# (Down then Up selects the first row whatever Down does first).
key Down Tab Down Up Return
dialog=$(wait_window "^Edit Value Item$")
xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
# The value is selected: typing replaces it.
xdotool type --clearmodifiers --delay 30 "example.net"
key Return
for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "^Edit Value Item$" >/dev/null 2>&1 || break
    sleep 0.1
done
key ctrl+s
for _ in $(seq 1 100); do
    cmp -s "$work/lf.ini" "$work/before.ini" || break
    sleep 0.1
done
difference=$(diff "$work/before.ini" "$work/lf.ini" || true)
changed=$(grep -c '^>' <<<"$difference" || true)
removed=$(grep -c '^<' <<<"$difference" || true)
[ "$changed" = 1 ] && [ "$removed" = 1 ] || fail "the save changed $removed lines into $changed: $difference"
grep -q $'\r' "$work/lf.ini" && fail "the save wrote CR LF"
grep -qx '> host=example.net' <<<"$difference" || fail "the changed line is not the edited value: $difference"
echo "PASS: one line changed, the rest as it was"
