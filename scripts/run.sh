#!/usr/bin/env bash
# Installs what running and building need and is missing, builds the programs and starts the
# application.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

"$here/install-deps.sh" runtime build

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

# Both programs sit in bin/: the application starts the daemon from its own folder.
exec "$build/bin/QuorvelMac" "$@"
