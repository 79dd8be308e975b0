#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it from outside: its file
# list, its control fields, its extracted files, its checksums, lintian and
# the AppStream metainfo. Exits 77 (skipped) when dpkg-deb is missing.
#   check-package.sh CPACK BUILD_DIR SOURCE_DIR
set -euo pipefail
cpack=$1
build=$2
source=$3
for tool in dpkg-deb dpkg; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
source "$(dirname "$0")/checks.sh"

# Warnings lintian may give, each with the reason it is left; any other
# warning or any error fails.
declare -A accepted_warnings=(
)

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"; echo "FAIL: cpack -G DEB"; exit 1; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/out/quillon_${version}_$(dpkg --print-architecture).deb"
check
[ -s "$deb" ] || { echo "FAIL: no $deb; made: $(ls "$work/out")"; exit 1; }

# Exactly these files, under /usr (nothing that a post-install step or a
# trigger makes, such as the MIME cache).
expected=(usr/bin/quillon usr/bin/quillon-ini usr/share/applications/quillon.desktop
          usr/share/doc/quillon/changelog.gz usr/share/doc/quillon/copyright usr/share/doc/quillon/index.html
          usr/share/man/man1/quillon-ini.1.gz usr/share/man/man1/quillon.1.gz
          usr/share/metainfo/example.velmora.quillon.metainfo.xml usr/share/mime/packages/quillon.xml)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/quillon.png")
done
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort >"$work/listed"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
check
diff -u "$work/expected" "$work/listed" >"$work/list.diff" || fail "the package's files differ: $(cat "$work/list.diff")"
check
! dpkg-deb -c "$deb" | awk '{ print $2 }' | grep -qv '^root/root$' || fail "a file is not owned by root"

# The control fields; dependencies come from the libraries the programs link.
field() { dpkg-deb -f "$deb" "$1"; }
check
[ "$(field Package)" = quillon ] || fail "Package is $(field Package)"
check
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
check
[ "$(field Section)" = editors ] || fail "Section is $(field Section)"
check
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libpng16-16; do
    check
    field Depends | grep -q "\b$library\b" || fail "Depends lacks $library: $(field Depends)"
done

# The files themselves.
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
check
(cd "$work/root" && md5sum --quiet -c "$work/control/md5sums") || fail "md5sums do not match the files"
for program in quillon quillon-ini; do
    check
    [ -x "$work/root/usr/bin/$program" ] || fail "$program is not executable"
    if command -v file >/dev/null; then
        check
        file "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
    fi
done
check
"$work/root/usr/bin/quillon-ini" --help >/dev/null || fail "the packaged quillon-ini does not run"
check
zcat "$work/root/usr/share/doc/quillon/changelog.gz" | head -1 | grep -q "^quillon ($version) " \
    || fail "the changelog does not start with this version"

# The metainfo: valid, and its screenshot is the one the project ships, at the
# size it says.
metainfo="$work/root/usr/share/metainfo/example.velmora.quillon.metainfo.xml"
validate_metainfo "$metainfo"
image=$(sed -n 's/.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">\(.*\)<\/image>.*/\1 \2 \3/p' "$metainfo")
read -r width height url <<<"$image"
shot="$source/dist/screenshots/$(basename "${url:-none}")"
check
if [ -s "$shot" ]; then
    read -r real_width real_height < <(png_size "$shot")
    [ "$real_width $real_height" = "$width $height" ] \
        || fail "the screenshot is ${real_width}x$real_height, the metainfo says ${width}x$height"
else
    fail "the metainfo's screenshot $url is not shipped in dist/screenshots"
fi
check
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo does not list release $version"

# lintian: no error, and only the warnings explained above.
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
    sed -n '/^[EWI]: /p' "$work/lintian.log"
    check
    ! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"
    while read -r tag; do
        check
        [ -n "${accepted_warnings[$tag]:-}" ] || fail "lintian warns: $tag"
    done < <(sed -n 's/^W: [^ ]* \([^ ]*\).*/\1/p' "$work/lintian.log" | sort -u)
else
    echo "skipped: lintian is not installed"
fi

# Installable here: every dependency resolves (a simulation; nothing is installed).
if command -v apt-get >/dev/null; then
    check
    out=$(apt-get install -s "$deb" 2>&1) || fail "apt-get install -s: $out"
fi

finish
