#!/usr/bin/env bash
# A user's session with the real editor under a virtual X server, driven by
# keystrokes only: open a file from the command line, add a section and an
# item through their dialogs, edit and delete items, undo and redo, find with
# Ctrl+F and F3, save with Ctrl+S; then the saved bytes are checked. Then
# another program changes one key while an edit of another is unsaved: the
# question's Yes merges, Ctrl+S saves both.
# Usage: usersession.sh QUILLON_EXECUTABLE
set -euo pipefail

exe=$(readlink -f "$1")
. "$(dirname "$0")/../session/lib.sh"
session_require
session_on_xvfb "$0" "$@"
session_begin
# A home of its own, the first-run page already seen, and the normalising
# save chosen in the preferences (keeplayout.sh checks the default).
session_home $'[General]\nKeepLayout=false\n'

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

session_start_wm
session_spawn quillon "$exe" "$work/session.ini"
main=$(wait_window "Velmora")
wait_until "the file did not open" eval 'xdotool getwindowname "$main" | grep -q "session.ini"'
activate "$main"

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
# Waits until the file holds the expected bytes.
saved_as_expected() {
    local _
    for _ in $(seq 1 100); do
        cmp -s "$work/session.ini" "$work/expected.ini" && return 0
        sleep 0.1
    done
    echo "--- saved:" >&2
    od -c "$work/session.ini" >&2
    fail "the saved bytes differ: $1"
}
saved_as_expected "after the session's edits"
echo "PASS: the saved file holds the session's changes"

# An unsaved edit: red, found by its value, gets another one.
key ctrl+f
in_dialog "^Find$" eval 'type_text "ff0000"; key Return'
key Return
in_dialog "^Edit Value Item$" eval 'type_text "ee0000"; key Return'
# Another program changes name in [General], writing a new file over the old one.
sed -i 's/^name=demo/name=other/' "$work/session.ini"
# Enter answers Yes: merge.
in_dialog "^File Changed$" key Return
activate "$main"
key ctrl+s
printf '[General]\r\nname=other\r\nbeta=one\r\n\r\n[Colors]\r\nred=ee0000\r\n\r\n[Extra]\r\n\r\ncolor=green\r\n\r\n' \
    >"$work/expected.ini"
saved_as_expected "after the merge"
echo "PASS: the merged save holds both edits"
