#!/usr/bin/env bash
# Two editors on one X display share the clipboard: a section copied in one
# with its shortcut is pasted into the other with its shortcut, copied back
# out of it unchanged, and saved with it. Runs itself under xvfb-run with openbox.
#   two-editors.sh QUILLON
set -euo pipefail
quillon=$1
for tool in xvfb-run xdotool openbox xclip; do
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
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Velmora"
chmod 700 "$XDG_RUNTIME_DIR"
# The saved bytes below are the normalising save's, chosen in the preferences.
printf '[General]\nKeepLayout=false\n' >"$XDG_CONFIG_HOME/Velmora/Quillon.conf"
unset QT_QPA_PLATFORM
printf '[Main] ;core settings\r\nname=demo\r\n\r\n;note\r\n[Net]\r\nport=8080\r\n' >"$work/first.ini"
printf '[Other]\r\nx=1\r\n' >"$work/second.ini"

openbox >/dev/null 2>&1 &
pids+=($!)

# Waits for a visible window whose title holds the text; prints its id.
wait_window() {
    for _ in $(seq 300); do
        id=$(xdotool search --name "$1" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    echo "FAIL: no window named $1" >&2
    for w in $(xdotool search --name . 2>/dev/null); do echo "window: $(xdotool getwindowname "$w")" >&2; done
    cat "$work"/*.log >&2 2>/dev/null || true
    return 1
}
keys() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
    xdotool key --clearmodifiers "${@:2}"
}
hex() { od -An -tx1 | tr -d ' \n'; }
# Waits until the clipboard's plain text is the expected text, byte for byte.
wait_clip_text() {
    want=$(printf '%s' "$1" | hex)
    for _ in $(seq 200); do
        [ "$(xclip -selection clipboard -o 2>/dev/null | hex)" = "$want" ] && return 0
        sleep 0.1
    done
    echo "FAIL: the clipboard holds $(xclip -selection clipboard -o 2>/dev/null | hex), not $want"
    return 1
}

"$quillon" "$work/first.ini" >"$work/first.log" 2>&1 &
pids+=($!)
first=$(wait_window "first.ini")
keys "$first" ctrl+shift+j # Copy Section & All Items of the selected first section
section=$'[Main] ;core settings\r\nname=demo\r\n\r\n;note\r\n'
wait_clip_text "$section"
targets=$(xclip -selection clipboard -t TARGETS -o)
grep -qx KvIniSectionClipFormat <<<"$targets" || { echo "FAIL: no section format in: $targets"; exit 1; }
grep -qx KvIniItemClipFormat <<<"$targets" || { echo "FAIL: no item format in: $targets"; exit 1; }
expected=$(printf '%s' "$section" | iconv -f UTF-8 -t UTF-16LE | hex)000000
actual=$(xclip -selection clipboard -t KvIniSectionClipFormat -o | hex)
[ "$actual" = "$expected" ] || { echo "FAIL: section block $actual, expected $expected"; exit 1; }

"$quillon" "$work/second.ini" >"$work/second.log" 2>&1 &
pids+=($!)
second=$(wait_window "second.ini")
keys "$second" ctrl+shift+i # Paste Section: a new section, selected
# The pasted section, copied back out of the second editor: the same section,
# its blank line moved to the end as pasting a section does. The second editor
# handles the keys in order, so its copy follows its paste; copying again is
# harmless, so it is repeated until the keys have arrived.
pasted=$(printf '[Main] ;core settings\r\nname=demo\r\n;note\r\n\r\n' | hex)
for _ in $(seq 40); do
    sleep 0.5
    keys "$second" ctrl+shift+j
    sleep 0.2
    [ "$(xclip -selection clipboard -o 2>/dev/null | hex)" = "$pasted" ] && break
done
got=$(xclip -selection clipboard -o 2>/dev/null | hex)
[ "$got" = "$pasted" ] || { echo "FAIL: copied back $got, expected $pasted"; exit 1; }

# Saved, the second file holds its own section and the pasted one (the writer
# separates sections by a blank line).
before=$(hex <"$work/second.ini")
keys "$second" ctrl+s
for _ in $(seq 100); do
    [ "$(hex <"$work/second.ini")" != "$before" ] && break
    sleep 0.1
done
saved=$(hex <"$work/second.ini")
want=$(printf '[Other]\r\nx=1\r\n\r\n[Main] ;core settings\r\nname=demo\r\n;note\r\n\r\n' | hex)
[ "$saved" = "$want" ] || { echo "FAIL: saved $saved, expected $want"; exit 1; }
echo "1 passed, 0 failed"
