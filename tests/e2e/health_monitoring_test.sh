#!/usr/bin/env bash
# The service's health file read by the real monitoring chain (node exporter's textfile
# collector on the program's Health folder, Prometheus with the kit's alert rules, Alertmanager
# delivering to a local webhook), all on 127.0.0.1, with the service on shifted clocks:
#   tomorrow 08:00  a task whose source folder is gone fails: the failed alert fires
#   09:10           the service was stopped over a file and a SQL Server task's 09:00: both
#                   missed alerts fire; the console shows the three tasks' rows in red
#   10:00           the source mended, the tasks run: every alert resolves
#   now - 250 s     the service writes its file, then stops: the stale alert fires
# and the status switch's lines and exit codes along the way. SQL Server is the test driver;
# Backup.exe is ours.
# health_monitoring_test.sh DORVIKSVC_EXE EXAMPLE_CONFIG_EXE RAR_EXE BACKUP_EXE DORVIKUI_EXE CONSOLE_DRIVER_EXE
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/service_common.sh"
svc_exe=$1 example=$2 rar_exe=$3 backup_exe=$4 ui_exe=$5 driver_exe=$6
odbc="$DORVIK_NATIVE_BUILD/tests/sqlserver/odbc"
[ -f "$odbc/odbcinst.ini" ] || fail "the SQL Server test driver is not built in $DORVIK_NATIVE_BUILD"
root="$DORVIK_BUILD/testroot/health_monitoring"
prog="$root/program" store="$root/store" away="$root/数据 季度"
stack="$root/monitoring"
rm -rf "$root"; mkdir -p "$prog/Health" "$root/src" "$root/fine" "$away" "$store" "$root/empty" "$root/server" \
  "$root/sql"
cp "$svc_exe" "$prog/Dorviksvc.exe"; cp "$rar_exe" "$prog/rar.exe"; cp "$backup_exe" "$prog/Backup.exe"
cp "$svc_exe" "$root/empty/"
echo "orders" > "$root/fine/orders.txt"; echo "plan" > "$away/plan.txt"
printf 'demo\tdemo orders\n' > "$root/server/databases"
# The service inherits these from the prefix's first program.
export ODBCSYSINI="$odbc" DORVIK_SQLSERVER_STATE="$root/server"
monitor() { python3 "$here/monitoring_stack.py" "$1" "$stack" "${@:2}"; }

# The keeper keeps what Wine's event log stubs print for the service: the ID in a
# "fixme:advapi:ReportEventW" line, the texts on the eventlog channel (from each keeper's start).
events="$root/events.log"
export KEEPER_LOG="$events"
event_count() {  # event ID: how many entries with it the service wrote so far
  grep -c "ReportEventW ([^,]*,0x[0-9a-f]*,0x0000,$(printf '0x%08x' "$1")," "$events" || true
}
event_texts() {  # event ID: its entries' texts, one entry a line
  grep -A3 "ReportEventW ([^,]*,0x[0-9a-f]*,0x0000,$(printf '0x%08x' "$1")," "$events" |
    grep ":eventlog:" | sed 's/^[^"]*"//; s/\\n"$//; s/"$//' | paste -sd'|' - |
    python3 -c 'import re, sys; print(re.sub(r"\\([0-9a-f]{4})", lambda m: chr(int(m.group(1), 16)), sys.stdin.read()), end="")'
}
started=$(date +%s)

# File task 2 backs up a folder that is not there; task 3 a folder with Chinese text and a blank,
# at 09:00 and 10:00, like the SQL Server task 周报; task 4 is fine at 08:00. Another SQL Server
# task's name carries a quote and a backslash into its labels (due at 04:00: it stays pending).
"$RUN" "$example" "$(win "$prog")" "$(win "$root/src")" "$(win "$store")" "$(win "$root/sql")" \
  --file-task "$(win "$root/gone");$(win "$store");是;每天;8,10;保留" \
  --file-task "$(win "$away");$(win "$store");是;每天;9,10;保留" \
  --file-task "$(win "$root/fine");$(win "$store");是;每天;8;保留" \
  --sql-task "demo;$(win "$root/sql");否;每天;9,10;周报;保留" \
  --sql-task "demo;$(win "$root/sql");否;每天;4;q\"\\1;保留" >/dev/null 2>&1

day=$(date -d tomorrow +%F)
on_exit() {
  monitor stop >/dev/null 2>&1 || true  # nothing to stop when the start failed early
  finish
}
install_service_at "$day 07:59:35" "$prog/Dorviksvc.exe"
trap on_exit EXIT
probe wait Dorviksvc RUNNING 30 | grep -q still && fail "not running"
monitor start "$prog/Health" "$DORVIK_SOURCE/packaging/monitoring/dorvik_alerts.yml" || fail "monitoring"

status() {  # time, program; prints the status switch's output and its exit code last
  local out code=0
  out=$(shifted "$1" "$RUN" "$2" -s 2>/dev/null) || code=$?
  printf '%s\n' "$out" | iconv -f GBK -t UTF-8 | tr -d '\r'
  echo "exit $code"
}
expect_status() {  # what, time, exit code, line patterns... (of the installed program)
  local out
  out=$(status "$2" "${STATUS_EXE:-$prog/Dorviksvc.exe}")
  printf '%s\n' "$out" | sed 's/^/  -s: /'
  printf '%s\n' "$out" | tail -1 | grep -qx "exit $3" || fail "$1: exit code"
  for pattern in "${@:4}"; do printf '%s\n' "$out" | grep -q -- "$pattern" || fail "$1: no line $pattern"; done
  echo "ok: $1"
}

# 08:00: task 2 fails, task 4 makes its archive.
monitor wait DorvikTaskFailed firing 60 task=2 kind=file || fail "no failed alert for task 2"
promtool check metrics < "$prog/Health/dorvik.prom" || fail "promtool check metrics"
echo "ok: promtool check metrics accepts Health/dorvik.prom"
# Label values as Prometheus decoded them, against what the tasks hold.
label_of() {  # series selector, label
  monitor labels "$1" | python3 -c 'import json, sys; [print(json.loads(l)[sys.argv[1]]) for l in sys.stdin]' "$2"
}
[ "$(label_of 'dorvik_task_state{task="3",state="pending"}' source)" == "$(win "$away")" ] \
  || fail "task 3's source label: $(monitor labels 'dorvik_task_state{task="3"}')"
[ "$(label_of 'dorvik_task_state{kind="sql",state="pending",source="demo"}' task | LC_ALL=C sort | tr '\n' ' ')" \
  == 'nightly q"\1 周报 ' ] \
  || fail "the SQL Server tasks' name labels: $(monitor labels 'dorvik_task_state{kind="sql"}')"
echo "ok: Prometheus holds the labels as the tasks spell them: $(win "$away"); nightly, q\"\\1, 周报"
expect_status "-s after the 08:00 runs" "$day 08:01:00" 2 "^DORVIK CRITICAL - 1 failed" \
  "^file 2 (.*gone): failed" "^file 4 (.*fine): ok"

# Stopped over 09:00: the service back at 09:10 finds task 3 missed.
# (The keeper holds the prefix meanwhile: a prefix coming up starts the service again.)
probe stop Dorviksvc >/dev/null
expect_status "-s with the service stopped" "$day 09:09:00" 2 "service not running" "^file 2 .*: failed"
stop_keeper; wineserver -k 2>/dev/null || true
start_keeper "$day 09:10:00"
probe wait Dorviksvc RUNNING 30 | grep -q still && fail "not running at 09:10"
monitor wait DorvikTaskMissed firing 60 task=3 kind=file || fail "no missed alert for task 3"
monitor wait DorvikTaskMissed firing 30 task=周报 kind=sql || fail "no missed alert for 周报"
expect_status "-s at 09:11" "$day 09:11:00" 2 "1 failed, 2 missed" "^file 3 (.*数据 季度): missed" \
  "^sql 周报 (demo): missed"
[ "$(event_count 120)" -eq 2 ] || fail "two events 120 (missed), one per task: $(event_count 120)"
echo "ok: events 120: $(event_texts 120)"
judged=$(stat -c %Y "$prog/Health/dorvik.prom")
# The console on what the service left (the folder without Dorviksvc.exe, so it starts nothing).
view="$root/console-view"
mkdir -p "$view"; cp -r "$prog/config.db" "$prog/Log" "$prog/Health" "$view/"; cp "$ui_exe" "$view/DorvikUI.exe"
python3 "$here/health_console_shot.py" "$view" "$day 09:11:30" "$DORVIK_BUILD/console-screenshots" \
  "$driver_exe" 2,3 周报 || fail "the console's warned rows"

# The next judgement (once a minute) must not report the same misses again.
for _ in $(seq 140); do [ "$(stat -c %Y "$prog/Health/dorvik.prom")" != "$judged" ] && break; sleep 0.5; done
sleep 1
[ "$(event_count 120)" -eq 2 ] || fail "event 120 reported again for the same miss: $(event_count 120)"
echo "ok: no event 120 again at the next judgement"

# The source mended; the 10:00 runs resolve both alerts.
mkdir -p "$root/gone"; echo "again" > "$root/gone/back.txt"
probe stop Dorviksvc >/dev/null
stop_keeper; wineserver -k 2>/dev/null || true
start_keeper "$day 09:59:45"
probe wait Dorviksvc RUNNING 30 | grep -q still && fail "not running at 09:59"
monitor wait DorvikTaskFailed resolved 60 task=2 || fail "the failed alert did not resolve"
monitor wait DorvikTaskMissed resolved 60 task=3 || fail "the missed alert did not resolve"
monitor wait DorvikTaskMissed resolved 60 task=周报 || fail "周报's missed alert did not resolve"
expect_status "-s after the 10:00 runs" "$day 10:01:00" 0 "^DORVIK OK - 0 failed, 0 missed, 4 ok" \
  "^file 2 (.*gone): ok" "^sql 周报 (demo): ok"
[ "$(event_count 121)" -eq 3 ] || fail "three events 121 (backed up again): $(event_count 121)"
echo "ok: events 121: $(event_texts 121)"

# Near the true time (Prometheus compares the file's stamp with its own clock): the running
# service keeps the file fresh; once stopped, the file goes stale.
probe stop Dorviksvc >/dev/null
stop_keeper; wineserver -k 2>/dev/null || true
near=$(date -d "@$(( $(date +%s) - 250 ))" '+%F %T')
before=$(stat -c %Y "$prog/Health/dorvik.prom")
start_keeper "$near"
probe wait Dorviksvc RUNNING 30 | grep -q still && fail "not running at $near"
for _ in $(seq 40); do [ "$(stat -c %Y "$prog/Health/dorvik.prom")" != "$before" ] && break; sleep 0.5; done
sleep 3  # a scrape and an evaluation of the new file
[ -z "$(monitor active DorvikHealthFileStale)" ] || fail "stale while the service runs"
echo "ok: not stale while the service runs ($near)"
probe stop Dorviksvc >/dev/null
# Due about 50 s after the stop; the margin is for a loaded machine, a quiet one returns at once.
monitor wait DorvikHealthFileStale firing 180 || fail "no stale alert after the stop"

expect_status "-s with every task ok and the service stopped" "$day 10:05:00" 1 "^DORVIK WARNING"
STATUS_EXE="$root/empty/Dorviksvc.exe" expect_status "-s without config.db" "$day 10:05:00" 3

echo "alert deliveries received by the webhook:"
monitor deliveries | sed 's/^/  /' 
echo "health monitoring: all checks passed in $(( $(date +%s) - started )) s"
