# Shared by the install and package checks (sourced): a scratch folder, the
# counting of checks and failures, and checks both make.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
checks=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
check() { checks=$((checks + 1)); }
finish() {
    echo "$((checks - fails)) passed, $fails failed"
    [ "$fails" -eq 0 ]
}

# Prints "WIDTH HEIGHT" of a PNG file; "0 0" when it is no PNG.
png_size() {
    local header
    read -r -a header < <(od -An -tu1 -N24 -w24 "$1")
    if [ "${header[*]:0:8}" != "137 80 78 71 13 10 26 10" ]; then
        echo "0 0"
        return
    fi
    echo "$(( (header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19] ))" \
         "$(( (header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23] ))"
}

# The AppStream metainfo is valid (without looking anything up on the net).
validate_metainfo() {
    if command -v appstreamcli >/dev/null; then
        check
        local out
        out=$(appstreamcli validate --no-net "$1" 2>&1) || fail "appstreamcli validate: $out"
    else
        echo "skipped: appstreamcli is not installed"
    fi
}
