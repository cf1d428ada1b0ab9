#!/usr/bin/env bash
# Fails, naming the files, when a C++ source differs from what clang-format makes of it with the
# project's .clang-format. To mend: clang-format-14 --style=file -i <file>...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command -v clang-format-14 >/dev/null || { echo "check-format: clang-format-14 is missing" >&2; exit 1; }

report=$(find src tests bench \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) -print0 |
    xargs -0 -n 50 -P "$(nproc)" clang-format-14 --style=file --dry-run 2>&1 || true)
unformatted=$(grep -oE '^[^:]+:[0-9]+:[0-9]+: (warning|error)' <<<"$report" | cut -d: -f1 | sort -u || true)
if [ -n "$unformatted" ]; then
    echo "check-format: not formatted (clang-format-14 --style=file -i <file>):" >&2
    sed 's/^/  /' <<<"$unformatted" >&2
    exit 1
fi
