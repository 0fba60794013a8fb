#!/usr/bin/env bash
# CPU time of the idle service next to its floor, in one run: first a bare program with the
# service's polling threads doing nothing but reading the local time and sleeping
# (bench/idle_pollers_win32.cpp), then Dorviksvc.exe under Wine's service manager with 100 file
# tasks and 20 SQL Server tasks configured (SQL Server reached through the test driver, so every
# SQL watcher runs), none due during the measurement. Each is measured over BENCH_SECONDS
# (default 30) from its Linux process's /proc/PID/stat (user and system time of the Wine process;
# Wine 8 answers GetProcessTimes for another process with zeros), and so is the prefix's
# wineserver, which does the work of every wait that goes through it. Prints both as shares of
# one core and the service's cost as a multiple of the bare program's.
# Then the cost of the health file: the service (with a year of hourly logs in its Log folder)
# against itself as it was before it judged tasks and wrote Health\dorvik.prom every minute
# (bench/health_peer.sh builds that one), over windows of BENCH_HEALTH_SECONDS (default 120,
# two rewrites at least), measured with, without, with again; the goal is at most 1.05x.
#   BUILD_ROOT  the build trees (default <source>/build): win for the programs, native for the
#               SQL Server test driver, bench-native for the log writer
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
seconds=${BENCH_SECONDS:-30}
export DORVIK_BUILD="$root/win" DORVIK_NATIVE_BUILD="$root/native" DORVIK_SOURCE="$src"
source "$src/tests/e2e/service_common.sh"
bench="$DORVIK_BUILD/testroot/service_bench"
rm -rf "$bench"; mkdir -p "$bench/prog" "$bench/server" "$bench/src" "$bench/store" "$bench/sql"
cp "$DORVIK_BUILD/service/Dorviksvc.exe" "$bench/prog/"
cp "$DORVIK_BUILD/bench/idle_pollers.exe" "$bench/"
cp "$DORVIK_BUILD/tests/service/backup_stand_in.exe" "$bench/prog/Backup.exe"
printf 'demo\tdemo orders\n' > "$bench/server/databases"
# The hour of none of the tasks comes up while measuring: two hours from now.
hour=$(( ($(date +%-H) + 2) % 24 ))
tasks=()
for i in $(seq 2 100); do
  tasks+=(--file-task "$(win "$bench/src")\\dept$i;$(win "$bench/store");是;每天;$hour;删除7天以前的")
done
for i in $(seq 2 20); do
  tasks+=(--sql-task "demo;$(win "$bench/sql");否;每周3;$hour,$(( (hour + 1) % 24 ));task$i;保留")
done
"$RUN" "$DORVIK_BUILD/tools/example_config/example_config.exe" "$(win "$bench/prog")" \
  "$(win "$bench/src")" "$(win "$bench/store")" "$(win "$bench/sql")" "${tasks[@]}" >/dev/null 2>&1

trap finish EXIT
wineserver -k 2>/dev/null || true
remove_service
wineserver -k 2>/dev/null || true
export ODBCSYSINI="$DORVIK_NATIVE_BUILD/tests/sqlserver/odbc" DORVIK_SQLSERVER_STATE="$bench/server"
start_keeper

hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# The prefix's server is the wineserver whose working folder is named after the prefix's device
# and inode.
server_dir=server-$(printf '%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
server_pid() {
  local p
  for p in $(pgrep -x wineserver64 || pgrep -x wineserver || true); do
    case "$(readlink "/proc/$p/cwd")" in */"$server_dir") echo "$p"; return;; esac
  done
}
# measure PID...: CPU of each process and of the prefix's server over $seconds; sets CPU (one
# share of one core per process, in percent) and CPU_SERVER.
measure() {
  local server start end p
  local -a before after
  server=$(server_pid)
  [ -n "$server" ] || fail "no wineserver for $WINEPREFIX"
  for p in "$@" "$server"; do before+=("$(ticks "$p")"); done
  start=$(date +%s.%N)
  sleep "$seconds"
  for p in "$@" "$server"; do after+=("$(ticks "$p")"); done
  end=$(date +%s.%N)
  read -r -a CPU < <(python3 -c "import sys; n = int(sys.argv[1]); a = [float(x) for x in sys.argv[2:]]; wall = a[-2] - a[-3]; print(' '.join('%.3f' % (100 * (a[n + i] - a[i]) / a[-1] / wall) for i in range(n)))" \
    $(( $# + 1 )) "${before[@]}" "${after[@]}" "$start" "$end" "$hz")
  CPU_SERVER=${CPU[$#]}
}
ratio() { python3 -c "import sys; print('%.2fx' % (float(sys.argv[1]) / float(sys.argv[2])))" "$1" "$2"; }
start_bare() {
  "$RUN" "$bench/idle_pollers.exe" 3600 >/dev/null 2>&1 &
  BARE=$!
  sleep 3  # its threads started
}
stop_bare() { kill "$BARE" 2>/dev/null || true; wait "$BARE" 2>/dev/null || true; }

echo "idle CPU in shares of one core over ${seconds} s windows; 100 file and 20 SQL Server pollers"
start_bare
measure "$BARE"
bare=${CPU[0]} bare_server=$CPU_SERVER
printf '%-44s %6.2f%%  wineserver %5.2f%%\n' "bare pollers (Sleep, GetLocalTime), alone" "$bare" "$bare_server"
stop_bare

"$RUN" "$bench/prog/Dorviksvc.exe" -i 2>/dev/null | tr -d '\r'
probe wait Dorviksvc RUNNING 30 >/dev/null
sleep 5  # the watchers and the retention pass at start
pid=$(pgrep -f 'service_bench.prog.Dorviksvc.exe' | head -1)
[ -n "$pid" ] || fail "no service process"
measure "$pid"
service=${CPU[0]} service_server=$CPU_SERVER
printf '%-44s %6.2f%%  wineserver %5.2f%%\n' "Dorviksvc.exe ($(ls "/proc/$pid/task" | wc -l) threads), alone" "$service" "$service_server"
echo "service / bare, one after the other: $(ratio "$service" "$bare") (process)," \
  "$(ratio "$(echo "$service + $service_server" | bc)" "$(echo "$bare + $bare_server" | bc)") (process and wineserver)"
# The same window for both: a busy machine's drift falls on both alike.
start_bare
measure "$pid" "$BARE"
stop_bare
printf '%-44s %6.2f%%\n%-44s %6.2f%%\n' "Dorviksvc.exe, side by side" "${CPU[0]}" \
  "bare pollers, side by side" "${CPU[1]}"
echo "service / bare, side by side: $(ratio "${CPU[0]}" "${CPU[1]}") (process)"

peer=$("$src/bench/health_peer.sh")
cmake -S "$src" -B "$root/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORVIK_SANITIZE=OFF >/dev/null
cmake --build "$root/bench-native" --target year_of_logs_tool -j 2 >/dev/null
echo "Log folder: $("$root/bench-native/bench/year_of_logs" "$bench/prog")"
cp "$bench/prog/Dorviksvc.exe" "$bench/with-health.exe"
seconds=${BENCH_HEALTH_SECONDS:-120}
# run_for PROGRAM LABEL: the installed service's program replaced while it is stopped, started,
# measured; sets CPU and CPU_SERVER.
run_for() {
  probe stop Dorviksvc >/dev/null
  cp "$1" "$bench/prog/Dorviksvc.exe"
  env LC_ALL=zh_CN.UTF-8 wine sc start Dorviksvc >/dev/null 2>&1
  probe wait Dorviksvc RUNNING 30 >/dev/null
  sleep 10  # the watchers, the retention pass and the first reading of the logs
  probe state Dorviksvc | grep -q RUNNING || fail "$2: not running ($(probe state Dorviksvc))"
  pid=$(pgrep -n -f 'service_bench.prog.Dorviksvc.exe')  # the newest: the one just started
  [ -n "$pid" ] || fail "no service process"
  measure "$pid"
  printf '%-44s %6.2f%%  wineserver %5.2f%%\n' "$2" "${CPU[0]}" "$CPU_SERVER"
}
echo "health file every minute, ${seconds} s windows:"
run_for "$bench/with-health.exe" "Dorviksvc.exe with the health file"
with1=$(echo "${CPU[0]} + $CPU_SERVER" | bc)
run_for "$peer" "Dorviksvc.exe before the health file"
without=$(echo "${CPU[0]} + $CPU_SERVER" | bc)
run_for "$bench/with-health.exe" "Dorviksvc.exe with the health file, again"
with2=$(echo "${CPU[0]} + $CPU_SERVER" | bc)
[ -s "$bench/prog/Health/dorvik.prom" ] || fail "no health file was written"
with=$(echo "($with1 + $with2) / 2" | bc -l)
echo "with / without the health file (process and wineserver, the mean of both runs with it):" \
  "$(ratio "$with" "$without"); goal at most 1.05x:" \
  "$(python3 -c "import sys; print('met' if float(sys.argv[1]) <= 1.05 * float(sys.argv[2]) else 'missed')" "$with" "$without")"
