#!/usr/bin/env bash
# A first start's save keeps the file as it was: an LF file with uneven
# spacing, one value changed through its dialog and saved with Ctrl+S,
# differs from what it was in that one line (still ending in LF).
#   keeplayout.sh QUILLON
set -euo pipefail
exe=$(readlink -f "$1")
. "$(dirname "$0")/../session/lib.sh"
session_require
session_on_xvfb "$0" "$@"
session_begin
session_home "" # no preferences stored yet
printf '; kept as written\n[net]\nhost   =  example.org\nport=8080 ; the port\n\n[misc]\nx = 1\n' >"$work/lf.ini"
cp "$work/lf.ini" "$work/before.ini"

session_start_wm
session_spawn quillon "$exe" "$work/lf.ini"
main=$(wait_window "lf.ini")
activate "$main"
# A slow build (the sanitizers) may still be filling the lists when the title shows.
sleep 1
# The second section, [net]: its first item, host, edited through its dialog
# (Down then Up selects the first row whatever Down does first).
key Down Tab Down Up Return
dialog=$(wait_window "^Edit Value Item$")
xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
# The value is selected: typing replaces it.
type_text "example.net"
key Return
wait_gone "^Edit Value Item$"
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
