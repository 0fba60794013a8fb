#!/usr/bin/env bash
# Every task's last backup time from a year of generated logs (about 210 MB), with the native
# release build and, when the Windows tree is there, the Windows build under Wine.
#   BUILD_ROOT  the build trees (default <source>/build): bench-native is built here when missing,
#               win is used as it is
#   BENCH_PER_TASK_SCANS  how many of the 200 per-task scans to time (default 3; the rest is
#               extrapolated)
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
scans=${BENCH_PER_TASK_SCANS:-3}
cmake -S "$src" -B "$root/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORVIK_SANITIZE=OFF >/dev/null
cmake --build "$root/bench-native" --target log_cache_bench -j 2 >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/log_cache_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "--- native (release)"
"$root/bench-native/bench/log_cache_bench" "$work/native" "$scans"
rm -rf "$work/native"
if [ -f "$root/win/build.ninja" ]; then
  cmake --build "$root/win" --target log_cache_bench -j 2 >/dev/null
  echo "--- Windows build under Wine"
  DORVIK_WINEPREFIX="$root/win/wineprefix" "$src/scripts/wine-run.sh" \
    "$root/win/bench/log_cache_bench.exe" "Z:${work//\//\\}\\win" "$scans" | tr -d '\r'
fi
