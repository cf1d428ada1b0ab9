#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test inside a private session (see test-env.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

"$here/install-deps.sh" runtime build test
# The sources keep their form: a file clang-format would change fails the command before the build.
"$here/check-format.sh"

build="$root/build/asan"
# Warnings are errors here, so that the build stays free of them.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$here/test-env.sh" ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300

# Fuzz stage: the decoders of untrusted input under libFuzzer (clang), each for a short fixed
# time from its seed corpus. A crash, a sanitizer report or a leak fails the command.
fuzz_build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_FUZZ=ON >/dev/null
cmake --build "$fuzz_build" -j "$(nproc)"
"$here/test-env.sh" ctest --test-dir "$fuzz_build" --output-on-failure -j "$(nproc)" -L fuzz
