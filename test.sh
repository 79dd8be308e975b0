#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through CTest.
# Usage: ./test.sh [--sanitize]
set -euo pipefail
cd "$(dirname "$0")"

build_dir=build/test
cmake_args=(-DCMAKE_BUILD_TYPE=Debug)
if [ "${1:-}" = "--sanitize" ]; then
    build_dir=build/sanitize
    cmake_args+=(-DQUILLON_SANITIZE=ON)
fi

scripts/install-deps.sh
cmake -S . -B "$build_dir" -G Ninja "${cmake_args[@]}"
cmake --build "$build_dir" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 0700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
