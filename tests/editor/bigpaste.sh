#!/usr/bin/env bash
# A big section travels between two editors on one X display: a 20,000-item
# section selected and copied in one editor with Copy Section & All Items is
# pasted into the other editor's file with Paste All Items and with Paste
# Section, each followed by Ctrl+S. The saved file, read from outside, holds
# the items twice and every line it had, byte for byte; with both pastes
# undone it is saved as it was read, redone as pasted. Runs itself under
# xvfb-run with openbox.
#   bigpaste.sh QUILLON
set -euo pipefail
quillon=$(readlink -f "$1")
. "$(dirname "$0")/../session/lib.sh"
session_require xclip
session_on_xvfb "$0" "$@"
session_begin
session_home "" # the default save, which keeps every line as read

# The first file: the big section between two small ones, with LF line ends.
awk 'BEGIN { for (i = 1; i <= 20000; i++) printf "item%05d=value %d\n", i, i }' >"$work/items"
{
    printf '[Head]\na=1\n[Big] ; twenty thousand\n'
    cat "$work/items"
    printf '[Tail]\nz=9\n'
} >"$work/big.ini"
# The second file: uneven spacing and comments, kept as written by the saves.
printf '[Other]  ; mine\nx =  1\nport=8080 ; the port\n[Last]\ny=2\n' >"$work/other.ini"
cp "$work/other.ini" "$work/other.before"

# Elapsed seconds since the start of the script, for the log.
elapsed() { echo "$SECONDS s"; }
# Waits until the file's bytes differ from the copy's, then copies them over it.
wait_saved() {
    wait_until "$1 was not saved" eval '! cmp -s "$work/other.ini" "$work/other.last"'
    cp "$work/other.ini" "$work/other.last"
}
cp "$work/other.ini" "$work/other.last"
same_as() { cmp -s "$work/other.ini" "$1"; }
# The first lines where the saved file differs from the expected one (-) and
# how many lines each has; od shows the line ends.
differences() {
    echo "$(wc -l <"$1") lines expected, $(wc -l <"$work/other.ini") saved"
    diff "$1" "$work/other.ini" | head -n 12 | od -c | head -n 30
}

session_start_wm
session_spawn big "$quillon" "$work/big.ini"
big=$(wait_window "big.ini")
echo "first editor shown: $(elapsed)"

# Copy Section & All Items of the second section. The section list has the
# keys at the start: Down selects [Big].
keys_to "$big" Down ctrl+shift+j
{
    printf '[Big] ; twenty thousand\r\n'
    sed 's/$/\r/' "$work/items"
} >"$work/clip.expected"
clip_holds_section() {
    xclip -selection clipboard -o >"$work/clip.txt" 2>/dev/null && cmp -s "$work/clip.txt" "$work/clip.expected"
}
wait_until "the clipboard does not hold the big section" clip_holds_section
echo "section copied: $(elapsed)"

session_spawn other "$quillon" "$work/other.ini"
other=$(wait_window "other.ini")
echo "second editor shown: $(elapsed)"

# Paste All Items into the selected first section, [Other], at its end.
keys_to "$other" ctrl+a
keys_to "$other" ctrl+s
wait_saved "Paste All Items"
echo "items pasted and saved: $(elapsed)"
{
    printf '[Other]  ; mine\nx =  1\nport=8080 ; the port\n'
    cat "$work/items"
    printf '[Last]\ny=2\n'
} >"$work/expected"
same_as "$work/expected" || fail "after Paste All Items the saved file differs: $(differences "$work/expected")"

# Paste Section: a new section [Big] after the last one.
keys_to "$other" ctrl+shift+i
keys_to "$other" ctrl+s
wait_saved "Paste Section"
echo "section pasted and saved: $(elapsed)"
{
    cat "$work/expected"
    printf '[Big] ; twenty thousand\n'
    cat "$work/items"
    printf '\n'
} >"$work/expected2"
same_as "$work/expected2" || fail "after Paste Section the saved file differs: $(differences "$work/expected2")"

# Both pastes undone, the file is saved as it was read; redone, as pasted.
keys_to "$other" ctrl+z ctrl+z ctrl+s
wait_saved "Undo"
echo "both undone and saved: $(elapsed)"
same_as "$work/other.before" || fail "after undoing both pastes the saved file differs: $(differences "$work/other.before")"
keys_to "$other" ctrl+y ctrl+y ctrl+s
wait_saved "Redo"
echo "both redone and saved: $(elapsed)"
same_as "$work/expected2" || fail "after redoing both pastes the saved file differs: $(differences "$work/expected2")"
echo "PASS: 20,000 items pasted twice, undone and redone, saved each time with every other line as it was"
