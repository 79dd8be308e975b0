#!/usr/bin/env bash
# Installs, from Debian packages and only when missing, what the build and the tests need.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

# libsodium-dev: the strong container's cipher; python3-nacl: its independent test.
# locales: localedef, for the test of a legacy 8-bit locale's code page.
# at-spi2-core, python3-pyatspi, dbus-x11: the accessibility test walks the running editor.
# dpkg-dev, file, lintian, appstream: the Debian package is built, checked and its metainfo validated.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libpng-dev
          libgl-dev libxkbcommon-dev xvfb xauth xdotool openbox x11-utils
          locales desktop-file-utils shared-mime-info libxml2-utils libglib2.0-bin groff-base xclip
          libsodium-dev python3-nacl
          at-spi2-core python3-pyatspi dbus-x11 dpkg-dev file lintian appstream "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
