#!/usr/bin/env bash
# Builds a release build with the benchmarks and runs each of them inside the private test
# session (see test-env.sh), printing one table: measure, figure, goal. Not part of the tests.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

"$here/install-deps.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

printf '%-52s %13s  %s\n' "measure" "figure" "goal"
status=0
for bench in "$build"/bench/quorvel-bench-*; do
    [ -x "$bench" ] || continue
    "$here/test-env.sh" "$bench" || status=1
done
exit "$status"
