#!/usr/bin/env bash
# Every benchmark, printing figures (never part of the test run): config.db load, change and save;
# our archiver against Info-ZIP zip -9 and 7-Zip; the idle service's CPU share under Wine next to
# a bare program with the same polling threads, and with its health file against without; every
# task's last backup time from a year of logs, natively and under Wine; the status switch on a
# year of logs under Wine.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_ROOT=${BUILD_ROOT:-$src/build}
"$src/scripts/install-deps.sh"
"$src/scripts/build.sh" >/dev/null
cmake -S "$src" -B "$BUILD_ROOT/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORVIK_SANITIZE=OFF >/dev/null
cmake --build "$BUILD_ROOT/bench-native" --target config_bench log_cache_bench history_bench -j "$(nproc)" >/dev/null
echo "=== config.db: load, change one record, save"
"$BUILD_ROOT/bench-native/bench/config_bench"
echo "=== archiver: ours, native and under a warm Wine, against zip -9 and 7-Zip"
"$src/bench/rar_bench.sh"
echo "=== service: CPU while idle, next to a bare program with the same polling threads, and with its health file against without"
"$src/bench/service_idle_cpu.sh"
echo "=== service: memory with one watcher thread per task (500 file tasks)"
"$src/bench/service_memory.sh"
echo "=== status switch (Dorviksvc.exe -s): 200 tasks and a year of hourly logs under Wine"
"$src/bench/status_switch_bench.sh"
echo "=== last backup times: per-task scans, the cache's first fill and refill"
"$src/bench/log_cache_bench.sh"
echo "=== history browser: a year of hourly backups of 20 tasks, against one plain read of the logs"
"$src/bench/history_bench.sh"
