#!/usr/bin/env bash
# Installs the benchmark's peers when missing, generates the corpus when
# missing, builds the benchmarks (Release) and runs them: first the core
# benchmark (quillon-bench), then the window benchmark (quillon-formbench,
# the editor window opening each corpus file offscreen, and a section of
# 200,000 items pasted from one window into another), then the search tools
# on a 1,000,000-entry section (quillon-searchbench: Find All, the filter
# box's key strokes, Replace All and its undo). The core benchmark
# also times quillon-ini comparing two 1,000,000-line files. The tables go to
# stdout, progress to stderr.
#
# Usage: bench/run.sh [--no-form] [quillon-bench options, e.g. --runs 3 --ops load,save]
#        bench/run.sh --form-only [quillon-formbench options, e.g. --runs 3 --files section-1m.ini]
#        bench/run.sh --search-only [number of entries, default 1000000]
# --no-form leaves out the window benchmark; --form-only runs nothing else.
# QUILLON_BENCH_BUILD names another build folder (default build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=all
case "${1:-}" in
--form-only) mode=form; shift ;;
--no-form) mode=core; shift ;;
--search-only) mode=search; shift ;;
esac

# inih, SimpleIni (whose UChar flavour converts through ICU) and the
# php.ini-production the comment-heavy corpus file is made of.
# Everything but the tables goes to stderr.
scripts/install-deps.sh libinih-dev libsimpleini-dev libicu-dev php8.2-common >&2

build=${QUILLON_BENCH_BUILD:-build/bench}
targets=(quillon-bench-corpus)
# quillon-bench times quillon-ini (stats, diff) as whole processes.
if [ "$mode" != form ]; then targets+=(quillon-bench quillon-ini); fi
if [ "$mode" != core ]; then targets+=(quillon-formbench quillon-searchbench); fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_BENCH=ON \
      -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" --parallel "$(nproc)" >&2

php_ini=$(dpkg -L php8.2-common | grep '/php\.ini-production$' | head -n 1)
if [ -z "$php_ini" ]; then
    echo "bench/run.sh: php8.2-common ships no php.ini-production" >&2
    exit 1
fi
"$build/bench/quillon-bench-corpus" --php-ini "$php_ini" --out bench/corpus

case "$mode" in
search)
    QT_QPA_PLATFORM=offscreen exec "$build/bench/quillon-searchbench" "$@" ;;
form)
    QT_QPA_PLATFORM=offscreen exec "$build/bench/quillon-formbench" --corpus bench/corpus "$@" ;;
core)
    exec "$build/bench/quillon-bench" --corpus bench/corpus "$@" ;;
*)
    "$build/bench/quillon-bench" --corpus bench/corpus "$@"
    echo
    QT_QPA_PLATFORM=offscreen "$build/bench/quillon-formbench" --corpus bench/corpus
    echo
    QT_QPA_PLATFORM=offscreen exec "$build/bench/quillon-searchbench" ;;
esac
