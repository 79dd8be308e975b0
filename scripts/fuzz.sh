#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60),
# one after another, growing a corpus under build/fuzz/corpus from the
# committed seeds in fuzz/corpus. A crash, leak or failed check is kept as a
# file in fuzz/crashes/TARGET/ and makes the script fail.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET ...]
#        scripts/fuzz.sh --replay [TARGET ...]   run each target once over its
#                                                committed corpus (for CI)
set -euo pipefail
cd "$(dirname "$0")/.."

replay=false
seconds=60
if [ "${1:-}" = "--replay" ]; then
    replay=true
    shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_reader fuzz_container fuzz_strong fuzz_search fuzz_cli)
fi

scripts/install-deps.sh clang libclang-rt-14-dev
build_dir=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLON_FUZZ=ON -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target "${targets[@]}" -- -j2

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
status=0
for target in "${targets[@]}"; do
    binary="$build_dir/fuzz/$target"
    seeds="$PWD/fuzz/corpus/$target"
    crashes="$PWD/fuzz/crashes/$target"
    mkdir -p "$crashes"
    # The command-line target's output would drown libFuzzer's own.
    quiet=()
    if [ "$target" = fuzz_cli ]; then
        quiet=(-close_fd_mask=3)
    fi
    if $replay; then
        echo "== $target: replaying $(ls "$seeds" | wc -l) inputs"
        "$binary" -runs=0 "${quiet[@]}" -artifact_prefix="$crashes/" "$seeds" || status=1
    else
        corpus="$PWD/$build_dir/corpus/$target"
        mkdir -p "$corpus"
        echo "== $target: $seconds seconds"
        "$binary" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -max_len=65536 \
            "${quiet[@]}" -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "$seeds" || status=1
    fi
done
exit $status
