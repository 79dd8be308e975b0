#!/usr/bin/env bash
# Two editors on one X display share the clipboard: a section copied in one
# with its shortcut is pasted into the other with its shortcut, copied back
# out of it unchanged, and saved with it. Runs itself under xvfb-run with openbox.
#   two-editors.sh QUILLON
set -euo pipefail
quillon=$1
. "$(dirname "$0")/../session/lib.sh"
session_require xclip
session_on_xvfb "$0" "$@"
session_begin
# The saved bytes below are the normalising save's, chosen in the preferences.
session_home $'[General]\nKeepLayout=false\n'
printf '[Main] ;core settings\r\nname=demo\r\n\r\n;note\r\n[Net]\r\nport=8080\r\n' >"$work/first.ini"
printf '[Other]\r\nx=1\r\n' >"$work/second.ini"

# Waits until the clipboard's plain text is the expected text, byte for byte.
wait_clip_text() {
    local want
    want=$(printf '%s' "$1" | hex)
    for _ in $(seq 200); do
        [ "$(xclip -selection clipboard -o 2>/dev/null | hex)" = "$want" ] && return 0
        sleep 0.1
    done
    fail "the clipboard holds $(xclip -selection clipboard -o 2>/dev/null | hex), not $want"
}

session_start_wm
session_spawn first "$quillon" "$work/first.ini"
first=$(wait_window "first.ini")
keys_to "$first" ctrl+shift+j # Copy Section & All Items of the selected first section
section=$'[Main] ;core settings\r\nname=demo\r\n\r\n;note\r\n'
wait_clip_text "$section"
targets=$(xclip -selection clipboard -t TARGETS -o)
grep -qx KvIniSectionClipFormat <<<"$targets" || fail "no section format in: $targets"
grep -qx KvIniItemClipFormat <<<"$targets" || fail "no item format in: $targets"
expected=$(printf '%s' "$section" | iconv -f UTF-8 -t UTF-16LE | hex)000000
actual=$(xclip -selection clipboard -t KvIniSectionClipFormat -o | hex)
[ "$actual" = "$expected" ] || fail "section block $actual, expected $expected"

session_spawn second "$quillon" "$work/second.ini"
second=$(wait_window "second.ini")
keys_to "$second" ctrl+shift+i # Paste Section: a new section, selected
# The pasted section, copied back out of the second editor: the same section,
# its blank line moved to the end as pasting a section does. The second editor
# handles the keys in order, so its copy follows its paste; copying again is
# harmless, so it is repeated until the keys have arrived.
pasted=$(printf '[Main] ;core settings\r\nname=demo\r\n;note\r\n\r\n' | hex)
for _ in $(seq 40); do
    sleep 0.5
    keys_to "$second" ctrl+shift+j
    sleep 0.2
    [ "$(xclip -selection clipboard -o 2>/dev/null | hex)" = "$pasted" ] && break
done
got=$(xclip -selection clipboard -o 2>/dev/null | hex)
[ "$got" = "$pasted" ] || fail "copied back $got, expected $pasted"

# Saved, the second file holds its own section and the pasted one (the writer
# separates sections by a blank line).
before=$(hex <"$work/second.ini")
keys_to "$second" ctrl+s
for _ in $(seq 100); do
    [ "$(hex <"$work/second.ini")" != "$before" ] && break
    sleep 0.1
done
saved=$(hex <"$work/second.ini")
want=$(printf '[Other]\r\nx=1\r\n\r\n[Main] ;core settings\r\nname=demo\r\n;note\r\n\r\n' | hex)
[ "$saved" = "$want" ] || fail "saved $saved, expected $want"
echo "1 passed, 0 failed"
