#!/usr/bin/env bash
# The quick developer loop: configures build/ with the dev preset the first time, then builds what
# changed and runs the unit and window tests two at a time. It installs and removes nothing.
# Usage: scripts/dev.sh [PATTERN]   PATTERN: a ctest -R regular expression naming the tests to run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ $# -gt 1 ]; then
    echo "usage: $0 [PATTERN]" >&2
    exit 2
fi
select=()
if [ $# -eq 1 ]; then
    select=(--tests-regex "$1")
fi

# A build folder configured before, by hand or by scripts/test.sh, is reused as it is.
[ -f build/CMakeCache.txt ] || cmake --preset dev
cmake --build --preset dev --parallel 2
ctest --preset dev --parallel 2 "${select[@]}"
