#!/usr/bin/env bash
# Installs the benchmark's peers when missing, generates the corpus when
# missing, builds the benchmark (Release) and runs it; the table goes to stdout,
# progress to stderr.
# Usage: bench/run.sh [quillon-bench options, e.g. --runs 3 --ops load,save]
set -euo pipefail
cd "$(dirname "$0")/.."

# inih, SimpleIni (whose UChar flavour converts through ICU) and the
# php.ini-production the comment-heavy corpus file is made of.
# Everything but the table goes to stderr.
scripts/install-deps.sh libinih-dev libsimpleini-dev libicu-dev php8.2-common >&2

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_BENCH=ON \
      -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target quillon-bench-corpus quillon-bench --parallel "$(nproc)" >&2

php_ini=$(dpkg -L php8.2-common | grep '/php\.ini-production$' | head -n 1)
if [ -z "$php_ini" ]; then
    echo "bench/run.sh: php8.2-common ships no php.ini-production" >&2
    exit 1
fi
"$build/bench/quillon-bench-corpus" --php-ini "$php_ini" --out bench/corpus

exec "$build/bench/quillon-bench" --corpus bench/corpus "$@"
