#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts the application.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

"$here/install-deps.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

app="$build/src/QuorvelMac/QuorvelMac"
if [ -x "$app" ]; then
    exec "$app" "$@"
fi
echo "Built the shared libraries. The application QuorvelMac is not built yet; once it is, this command starts $app."
