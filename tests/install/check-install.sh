#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks what landed there.
#   check-install.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
source "$(dirname "$0")/checks.sh"

DESTDIR="$work/dest" "$cmake" --install "$build" --prefix /usr >"$work/install.log" || {
    cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }
root="$work/dest/usr"

# Every file in its place.
files=(bin/quillon bin/quillon-ini share/applications/quillon.desktop share/mime/packages/quillon.xml
       share/man/man1/quillon.1.gz share/man/man1/quillon-ini.1.gz share/doc/quillon/index.html
       share/doc/quillon/copyright share/doc/quillon/changelog.gz
       share/metainfo/example.velmora.quillon.metainfo.xml)
for size in 16 22 24 32 48 64 128 256; do
    files+=("share/icons/hicolor/${size}x${size}/apps/quillon.png")
done
for f in "${files[@]}"; do
    check
    [ -s "$root/$f" ] || fail "missing $f"
done
for f in bin/quillon bin/quillon-ini; do
    check
    [ -x "$root/$f" ] || fail "$f is not executable"
done
# Nothing the caches would make: a package's own post-install step runs them.
check
[ ! -e "$root/share/mime/mime.cache" ] || fail "the MIME cache was written into DESTDIR"

# Icons: PNGs of the size their folder names.
for size in 16 22 24 32 48 64 128 256; do
    check
    png="$root/share/icons/hicolor/${size}x${size}/apps/quillon.png"
    read -r width height < <(png_size "$png")
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x${height}"
done

# The launcher of the editor.
entry="$root/share/applications/quillon.desktop"
if command -v desktop-file-validate >/dev/null; then
    check
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate says: $out"
else
    echo "skipped: desktop-file-validate is not installed"
fi
check
grep -qx 'Exec=quillon %f' "$entry" || fail "the launcher does not pass the file"
check
grep -qx 'Icon=quillon' "$entry" || fail "the launcher's icon is not the installed one"

# The MIME package: well-formed, accepted by update-mime-database, and every
# type of the launcher is defined by it or by the system.
if command -v xmllint >/dev/null; then
    check
    xmllint --noout "$root/share/mime/packages/quillon.xml" || fail "quillon.xml is not well-formed"
    check
    xmllint --noout "$root/share/doc/quillon/index.html" || fail "the guide is not well-formed"
else
    echo "skipped: xmllint is not installed"
fi
if command -v update-mime-database >/dev/null; then
    check
    mkdir -p "$work/mime/packages"
    cp "$root/share/mime/packages/quillon.xml" "$work/mime/packages/"
    XDG_DATA_HOME="$work" update-mime-database "$work/mime" 2>"$work/mime.log" || fail "update-mime-database: $(cat "$work/mime.log")"
    [ ! -s "$work/mime.log" ] || fail "update-mime-database says: $(cat "$work/mime.log")"
    grep -q ':application/x-quillon-inicry:\*\.inicry$' "$work/mime/globs2" || fail "no glob for *.inicry"
    grep -q ':text/x-ini:\*\.ini$' "$work/mime/globs2" || fail "no glob for *.ini"
else
    echo "skipped: update-mime-database is not installed"
fi
mimetypes=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' ')
for type in $mimetypes; do
    check
    grep -q "type=\"$type\"" "$root/share/mime/packages/quillon.xml" || [ -e "/usr/share/mime/$type.xml" ] \
        || fail "the launcher names the unknown type $type"
done

# The manual pages format without a warning.
if command -v groff >/dev/null; then
    for page in quillon quillon-ini; do
        check
        out=$(zcat "$root/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1) || fail "groff failed on $page: $out"
        [ -z "$out" ] || fail "groff says of $page: $out"
    done
else
    echo "skipped: groff is not installed"
fi

# The software centres' data: valid, and naming what is installed.
metainfo="$root/share/metainfo/example.velmora.quillon.metainfo.xml"
validate_metainfo "$metainfo"
check
grep -q '<launchable type="desktop-id">quillon.desktop</launchable>' "$metainfo" || fail "the metainfo does not launch the installed launcher"
for binary in quillon quillon-ini; do
    check
    grep -q "<binary>$binary</binary>" "$metainfo" || fail "the metainfo does not provide $binary"
done
for type in $(sed -n 's/^MimeType=//p' "$root/share/applications/quillon.desktop" | tr ';' ' '); do
    check
    grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "the metainfo does not provide $type"
done

# The installed tool runs.
check
"$root/bin/quillon-ini" --help >/dev/null || fail "quillon-ini --help failed"

finish
