#!/usr/bin/env bash
# The status switch (Dorviksvc.exe -s) on 200 tasks (150 file, 50 SQL Server, all hourly) and a
# year of hourly logs (1,752,000 lines, about 210 MB), under a warm Wine, on a clock just after
# the last logged hour. Prints the wall time of each run next to the floor, "-v" (a Wine start of
# the same program that reads nothing), and the goal: under one second.
#   BUILD_ROOT  the build trees (default <source>/build): bench-native is built here when missing
#               (the log writer), win is used as it is
#   BENCH_RUNS  runs of each (default 5)
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
runs=${BENCH_RUNS:-5}
cmake -S "$src" -B "$root/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORVIK_SANITIZE=OFF >/dev/null
cmake --build "$root/bench-native" --target year_of_logs_tool -j 2 >/dev/null
cmake --build "$root/win" --target Dorviksvc example_config -j 2 >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/status_switch_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
prog="$work/prog"
mkdir -p "$prog" "$work/src" "$work/store" "$work/sql"
cp "$root/win/service/Dorviksvc.exe" "$prog/"
export DORVIK_WINEPREFIX="$root/win/wineprefix"
run() { "$src/scripts/wine-run.sh" "$@"; }
win() { local p=$1; echo "Z:${p//\//\\}"; }
hours=$(seq -s, 0 23)
tasks=()
# The example's own file task is ID 1; these get IDs 2 to 150, the log's keys.
for i in $(seq 2 150); do
  tasks+=(--file-task "$(win "$work/src")\\dept$i;$(win "$work/store");是;每天;$hours;删除7天以前的")
done
for i in $(seq 151 200); do
  tasks+=(--sql-task "demo;$(win "$work/sql");否;每天;$hours;sql$i;保留")
done
run "$root/win/tools/example_config/example_config.exe" "$(win "$prog")" "$(win "$work/src")" \
  "$(win "$work/store")" "$(win "$work/sql")" "${tasks[@]}" >/dev/null 2>&1
echo "config.db: $(( ${#tasks[@]} / 2 + 2 )) tasks (the example's two and 199 more); Log: $("$root/bench-native/bench/year_of_logs" "$prog")"

at="2024-12-30 23:30:00"  # the logs end with the 23:00 runs of December 30
timed() {  # program arguments...: one run's wall time in ms; the output goes to $work/out
  local start end
  start=$(date +%s%N)
  NO_FAKE_STAT=1 faketime "$at" "$src/scripts/wine-run.sh" "$@" >"$work/out" 2>/dev/null || echo "$?" >"$work/code"
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
run "$prog/Dorviksvc.exe" -v >/dev/null 2>&1 || true  # the prefix up and warm
floor=() status=()
for _ in $(seq "$runs"); do
  floor+=("$(timed "$prog/Dorviksvc.exe" -v)")
  rm -f "$work/code"
  status+=("$(timed "$prog/Dorviksvc.exe" -s)")
done
code=$(cat "$work/code" 2>/dev/null || echo 0)
echo "-s output (exit code $code), first lines:"
head -3 "$work/out" | iconv -f GBK -t UTF-8 | tr -d '\r' | cut -c1-160 | sed 's/^/  /'
echo "  ... $(wc -l < "$work/out") lines"
python3 - "$runs" "${floor[@]}" "${status[@]}" <<'PY'
import statistics, sys
n = int(sys.argv[1]); floor = [int(x) for x in sys.argv[2:2 + n]]; status = [int(x) for x in sys.argv[2 + n:]]
med_f, med_s = statistics.median(floor), statistics.median(status)
print("wall time over %d runs, ms   median   best   all" % n)
print("  Dorviksvc.exe -v (floor)  %7.0f %6d   %s" % (med_f, min(floor), floor))
print("  Dorviksvc.exe -s          %7.0f %6d   %s" % (med_s, min(status), status))
print("-s / -v: %.2fx; -s beyond the Wine start: %.0f ms; goal under 1000 ms: %s"
      % (med_s / med_f, med_s - med_f, "met" if med_s < 1000 else "missed"))
PY
