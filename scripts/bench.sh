#!/usr/bin/env bash
# Builds a release build with the benchmarks and runs every bench-* program inside a private
# session (see test-env.sh), printing one table: measure, figure, goal. Not part of the tests.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

"$here/install-deps.sh"

build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=OFF \
    -DQUORVEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

printf '%s\t%s\t%s\n' "measure" "figure" "goal"
find "$build/bench" -type f -name 'bench-*' -perm -u+x ! -name 'bench-echo-host' | sort |
while read -r program; do
    "$here/test-env.sh" "$program"
done
