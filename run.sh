#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts Quillon on FILE.
# Usage: ./run.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")"
here=$(pwd)

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --parallel "$(nproc)"

file=()
if [ $# -gt 0 ]; then
    file=("$(cd "$OLDPWD" 2>/dev/null && realpath -m -- "$1" || realpath -m -- "$1")")
fi

# Until the main window exists, the command-line tool shows what the core reads.
if [ ${#file[@]} -eq 0 ]; then
    exec "$here/build/release/src/cli/quillon-ini" --help
fi
exec "$here/build/release/src/cli/quillon-ini" dump "${file[@]}"
