#!/usr/bin/env bash
# Replace All as a person uses it: Ctrl+H on a real-sized file, the text to
# find and its replacement typed, Replace All pressed from the keyboard, the
# count acknowledged, Ctrl+S. The saved file differs from what was read only
# in the replaced lines; Ctrl+Z and Ctrl+S then give the file back as read.
# Then the filter box (Ctrl+L) narrows the lists to one line among 400, which
# Shift+Delete removes: the saved file lacks that line only.
#   replace-session.sh QUILLON
set -euo pipefail
exe=$(readlink -f "$1")
. "$(dirname "$0")/../session/lib.sh"
session_require
session_on_xvfb "$0" "$@"
session_begin
session_home "" # no preferences stored yet: keep-layout saves

{
    printf '; settings\r\n[PHP]\r\n'
    for i in $(seq 1 400); do printf 'key%d = value%d ; note %d\r\n' "$i" "$i" "$i"; done
    printf 'memory_limit = 128M\r\n\r\n[Session]\r\nsession.gc_maxlifetime = 1440\r\nupload = 128M ; max\r\n'
} >"$work/php.ini"
cp "$work/php.ini" "$work/before.ini"

session_start_wm
session_spawn quillon "$exe" "$work/php.ini"
main=$(wait_window "php.ini")
activate "$main"
sleep 1
key ctrl+h
dialog=$(wait_window "^Replace$")
xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
type_text "128M"
key Tab
type_text "256M"
# Past the seven check boxes, Find Next and Replace to Replace All.
for _ in $(seq 1 10); do key Tab; done
key space
# The count is told in a message box, over the dialog: Return closes it.
sleep 1.5
key Return
sleep 0.5
key Escape # the dialog
wait_gone "^Replace$"
activate "$main"
key ctrl+s
differs() { ! cmp -s "$1" "$2"; }
wait_until "nothing was saved" differs "$work/php.ini" "$work/before.ini"
difference=$(diff "$work/before.ini" "$work/php.ini" || true)
[ "$(grep -c '^>' <<<"$difference" || true)" = 2 ] || fail "Replace All changed other lines: $difference"
grep -q '^> memory_limit=256M' <<<"$difference" || fail "memory_limit not replaced: $difference"
grep -q '^> upload=256M ;max' <<<"$difference" || grep -q '^> upload=256M' <<<"$difference" \
    || fail "upload not replaced: $difference"

# One undo step takes the whole Replace All back.
key ctrl+z
key ctrl+s
wait_until "the save after undo" cmp -s "$work/php.ini" "$work/before.ini"

# Ctrl+L, a few letters: [Session] and its one matching line are left. Return
# goes back to the section list, Tab to the lines, Down selects the one shown.
key ctrl+l
type_text "gc_max"
key Return
key Tab
key Down
key shift+Delete
key ctrl+s
wait_until "the save after the filtered delete" differs "$work/php.ini" "$work/before.ini"
difference=$(diff "$work/before.ini" "$work/php.ini" || true)
[ "$(grep -c '^[<>]' <<<"$difference" || true)" = 1 ] || fail "the filtered delete changed other lines: $difference"
grep -q '^< session.gc_maxlifetime = 1440' <<<"$difference" || fail "not the filtered line: $difference"
echo "PASS: Replace All changed the matching lines only, one undo gave the file back, and the filter box narrowed the lists to the line deleted"
