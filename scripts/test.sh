#!/usr/bin/env bash
# The one test command: installs what is missing, builds both trees, runs every test.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
"$src/scripts/install-deps.sh"
"$src/scripts/build.sh"
status=0
ctest --test-dir "$root/native" --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir "$root/win" --output-on-failure -j "$(nproc)" || status=1
WINEPREFIX="$root/win/wineprefix" wineserver -k 2>/dev/null || true
exit $status
