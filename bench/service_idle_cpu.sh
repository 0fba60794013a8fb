#!/usr/bin/env bash
# CPU time of the idle service: Dorviksvc.exe under Wine's service manager with 100 file tasks
# and 20 SQL Server tasks configured (SQL Server reached through the test driver, so every SQL
# watcher runs), none due during the measurement. Prints the service process's CPU time over
# BENCH_SECONDS (default 60) as a share of one core: from GetProcessTimes (Wine 8 answers it for
# another process with zeros, so the figure that counts here is the next one) and from the Linux
# process's /proc/PID/stat (user and system time of the Wine process that runs the service).
#   BUILD_ROOT  the build trees (default <source>/build): win for the programs, native for the
#               SQL Server test driver
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
seconds=${BENCH_SECONDS:-60}
export DORVIK_BUILD="$root/win" DORVIK_NATIVE_BUILD="$root/native" DORVIK_SOURCE="$src"
source "$src/tests/e2e/service_common.sh"
bench="$DORVIK_BUILD/testroot/service_bench"
rm -rf "$bench"; mkdir -p "$bench/prog" "$bench/server" "$bench/src" "$bench/store" "$bench/sql"
cp "$DORVIK_BUILD/service/Dorviksvc.exe" "$bench/prog/"
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
"$RUN" "$bench/prog/Dorviksvc.exe" -i 2>/dev/null | tr -d '\r'
probe wait Dorviksvc RUNNING 30 >/dev/null
sleep 5  # the watchers and the retention pass at start
pid=$(pgrep -f 'service_bench.prog.Dorviksvc.exe' | head -1)
[ -n "$pid" ] || fail "no service process"
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
echo "Dorviksvc.exe idle with 100 file tasks and 20 SQL Server tasks ($(ls /proc/$pid/task | wc -l) threads):"
hz=$(getconf CLK_TCK); before=$(ticks); start=$(date +%s.%N)
echo "GetProcessTimes: $(probe cpu Dorviksvc "$seconds" | tr -d '\r')"
after=$(ticks); end=$(date +%s.%N)
python3 -c "import sys; cpu = (int(sys.argv[2]) - int(sys.argv[1])) / int(sys.argv[3]); wall = float(sys.argv[5]) - float(sys.argv[4]); print('/proc: cpu %.2f s over %.1f s: %.2f%% of one core' % (cpu, wall, 100 * cpu / wall))" "$before" "$after" "$hz" "$start" "$end"
