#!/usr/bin/env bash
# Builds the picture generator (scripts/gen-pictures.cpp) and paints the
# editor's pictures into resources/ (or the folder given as the first argument).
# The PNGs are committed; run this only after changing the generator.
# Needs g++, pkg-config and qt6-base-dev; the logo's lettering uses the DejaVu fonts.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:-$(cd "$here/.." && pwd)/resources}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC -Wall -Wextra -o "$work/gen-pictures" "$here/gen-pictures.cpp" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/gen-pictures" "$out"
