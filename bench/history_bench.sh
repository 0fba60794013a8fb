#!/usr/bin/env bash
# The history browser's loading on a year of generated logs, with the native release build and,
# when the Windows tree is there, the Windows build under Wine (the goal: under 2 s there).
#   BUILD_ROOT  the build trees (default <source>/build): bench-native is built here when missing,
#               win is used as it is
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
cmake -S "$src" -B "$root/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORVIK_SANITIZE=OFF >/dev/null
cmake --build "$root/bench-native" --target history_bench -j 2 >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/history_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "--- native (release)"
"$root/bench-native/bench/history_bench" "$work/native"
if [ -f "$root/win/build.ninja" ]; then
  cmake --build "$root/win" --target history_bench -j 2 >/dev/null
  echo "--- Windows build under Wine"
  DORVIK_WINEPREFIX="$root/win/wineprefix" "$src/scripts/wine-run.sh" \
    "$root/win/bench/history_bench.exe" "Z:${work//\//\\}\\win" | tr -d '\r'
fi
