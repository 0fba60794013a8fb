#!/usr/bin/env bash
# The real service on a shifted clock (faketime, 2024-05-09 just before noon): the retention pass
# at start deletes exactly the expired backups of its own task and nothing of another task
# sharing the storage folder, and never a task's newest backup; a task due at 12:00 runs through
# our rar.exe and logs its line.
# Health: the task due at 12:00 is ok, one whose source is gone failed, one whose 11:00 run never
# came (recorded since 2024-05-01) missed; the exposition file passes promtool; a damaged record
# is replaced whole; the status switch answers 2, then 3 without a config.db.
# service_run_test.sh DORVIKSVC_EXE EXAMPLE_CONFIG_EXE RAR_EXE
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/service_common.sh"
svc_exe=$1 example=$2 rar_exe=$3
root="$DORVIK_BUILD/testroot/service_run"
prog="$root/program" store="$root/store"
rm -rf "$root"; mkdir -p "$prog" "$root/shop" "$root/crm" "$root/web/docs" "$root/web-store" "$store" "$root/nosuch-store"
cp "$svc_exe" "$prog/Dorviksvc.exe"; cp "$rar_exe" "$prog/rar.exe"
echo "price list" > "$root/web/index.html"; echo "notes" > "$root/web/docs/readme.txt"

# Backups of shop (deleted after 7 days) and crm (after 30) in one storage folder, 2024-5-1..9.
backup() {  # folder-date, name, write time
  mkdir -p "$store/$1"; echo "$2" > "$store/$1/$2"; touch -d "$3" "$store/$1/$2"
}
for day in 1 2 3 4 5 6 7 8 9; do
  backup "2024-5-$day" "file_shop_2024050${day}020000.zip" "2024-05-0$day 02:00"
  backup "2024-5-$day" "file_crm_2024050${day}020000.zip" "2024-05-0$day 02:00"
done
backup 2024-5-2 file_shop_20240502200000.zip "2024-05-02 20:00"   # 6.7 days old at noon on 5-9
backup 2024-5-1 file_shop_20240501030000 "2024-05-01 03:00"        # no "." in the name: kept
mkdir -p "$store/2024-5-1/file_shop_20240501040000/sub"            # a copy folder: deleted whole
echo copy > "$store/2024-5-1/file_shop_20240501040000/sub/a.txt"
touch -d "2024-05-01 04:00" "$store/2024-5-1/file_shop_20240501040000/sub/a.txt" \
  "$store/2024-5-1/file_shop_20240501040000/sub" "$store/2024-5-1/file_shop_20240501040000"
backup 2024-5 file_shop_20240501050000.zip "2024-05-01 05:00"      # not a whole date: kept
mkdir -p "$root/sql/nightly/2024-5-1" "$root/sql/nightly/2024-5-8"
echo bak > "$root/sql/nightly/2024-5-1/db_demo_20240501030000.bak"
echo bak > "$root/sql/nightly/2024-5-8/db_demo_20240508030000.bak"
# A file task and a SQL Server task whose runs have failed for weeks: only expired backups (and an
# empty date folder of a failed run); each keeps exactly its newest backup.
backup_at() {  # folder, name, write time
  mkdir -p "$1"; echo "$2" > "$1/$2"; touch -d "$3" "$1/$2"
}
backup_at "$root/gone-store/2024-4-1" file_gone_20240401020000.zip "2024-04-01 02:00"
backup_at "$root/gone-store/2024-4-2" file_gone_20240402020000.zip "2024-04-02 02:00"
backup_at "$root/sql/weekly/2024-4-1" db_demo_20240401030000.bak "2024-04-01 03:00"
backup_at "$root/sql/weekly/2024-4-2" db_demo_20240402030000.bak "2024-04-02 03:00"
mkdir -p "$root/sql/weekly/2024-4-3"

tasks=$("$RUN" "$example" "$(win "$prog")" "$(win "$root/shop")" "$(win "$store")" "$(win "$root/sql")" \
  --file-task "$(win "$root/crm");$(win "$store");是;每天;;删除30天以前的" \
  --file-task "$(win "$root/web");$(win "$root/web-store");是;每天;12;保留" \
  --file-task "$(win "$root/gone");$(win "$root/gone-store");是;每天;;删除7天以前的" \
  --file-task "$(win "$root/web");$(win "$root/late-store");是;每天;11;保留" \
  --file-task "$(win "$root/no\"such");$(win "$root/nosuch-store");是;每天;12;保留" \
  --sql-task "demo;$(win "$root/sql");否;每天;;weekly;删除7天以前的" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r')
task_id() { echo "$tasks" | grep -F -- "-> $(win "$root/$1")," | sed 's/^file task \([^:]*\):.*/\1/'; }
web_id=$(task_id web-store) late_id=$(task_id late-store) nosuch_id=$(task_id nosuch-store)
[ -n "$web_id" ] && [ -n "$late_id" ] && [ -n "$nosuch_id" ] || fail "task ids: $tasks"
# Records as a service of this version left them: records began on 2024-05-01, the late task has
# been watched since; the web task's record was cut short.
python3 - "$prog/Health/records" "$late_id" "$web_id" <<'PY'
import os, sys, time
folder, late, web = sys.argv[1:]
os.makedirs(folder)
began = int(time.mktime((2024, 5, 1, 0, 0, 0, 0, 0, -1)))
def write(name, text):
    open(os.path.join(folder, name), "wb").write(text.encode("gbk"))
write("service.txt", "dorvik service record 1\nrecords_began=%d\nservice_start=%d\nend\n" % (began, began))
fields = ["kind=file", "key=" + late, "schedule=每天 11", "watched_since=%d" % began, "last_start=",
          "last_end=", "last_result=failed", "last_success=", "last_failure=", "failure_text=",
          "output_bytes=0", "running_since=", "running_service=", "reported_state="]
write("file-%s.txt" % late.encode("gbk").hex(), "dorvik run record 1\n" + "\n".join(fields) + "\nend\n")
write("file-%s.txt" % web.encode("gbk").hex(), "dorvik run record 1\nkind=file\nkey=" + web + "\nlast_")
PY

KEEPER_LOG="$root/wine-events.log"
install_service_at "2024-05-09 11:59:30" "$prog/Dorviksvc.exe"
probe wait Dorviksvc RUNNING 30 | grep -q still && fail "not running"
echo "ok: service installed and running on the shifted clock"

# Started within minute 0 of 12:00 (its second depends on how fast the service came up).
find_archive() { ls "$root"/web-store/2024-5-9/file_web_202405091200??.zip 2>/dev/null | head -1 || true; }
for _ in $(seq 120); do archive=$(find_archive); [ -n "$archive" ] && [ -s "$archive" ] && break; sleep 0.5; done
[ -n "$archive" ] || fail "the 12:00 task made no archive: $(ls -R "$root/web-store")"
sleep 2  # the archiver may still be writing
python3 -c "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None; print('ok: zipfile reads', sorted(z.namelist()))" "$archive"
log="$prog/Log/2024_05_09.log"
grep -a "$(basename "$archive")" "$log" >/dev/null || fail "no log line in $log"
echo "ok: log line: $(grep -a file_web_ "$log" | iconv -f GBK -t UTF-8 | tr -d '\r')"

expected="2024-5
2024-5/file_shop_20240501050000.zip
2024-5-1
2024-5-1/file_crm_20240501020000.zip
2024-5-1/file_shop_20240501030000
2024-5-2
2024-5-2/file_crm_20240502020000.zip
2024-5-2/file_shop_20240502200000.zip"
for day in 3 4 5 6 7 8 9; do
  expected+="
2024-5-$day
2024-5-$day/file_crm_2024050${day}020000.zip
2024-5-$day/file_shop_2024050${day}020000.zip"
done
actual=$(cd "$store" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" == "$(echo "$expected" | LC_ALL=C sort)" ] || fail "retention left:
$actual"
echo "ok: retention deleted exactly the expired shop backups (and kept crm's, the nameless archive, 2024-5)"
[ ! -e "$root/sql/nightly/2024-5-1" ] && [ -e "$root/sql/nightly/2024-5-8/db_demo_20240508030000.bak" ] \
  || fail "SQL retention"
echo "ok: SQL retention deleted 2024-5-1 and kept 2024-5-8"
[ "$(cd "$root/gone-store" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')" == \
  "./2024-4-2 ./2024-4-2/file_gone_20240402020000.zip " ] || fail "the failing file task's newest backup"
[ "$(cd "$root/sql/weekly" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')" == \
  "./2024-4-2 ./2024-4-2/db_demo_20240402030000.bak " ] || fail "the failing SQL Server task's newest backup"
echo "ok: tasks with only expired backups keep exactly their newest one"

prom="$prog/Health/dorvik.prom"
state_of() { grep -a "^dorvik_task_state{kind=\"file\",task=\"$1\",.*state=\"$2\"} 1\$" "$prom" >/dev/null 2>&1; }
for _ in $(seq 60); do state_of "$web_id" ok && state_of "$nosuch_id" failed && break; sleep 0.5; done
state_of "$web_id" ok || fail "the 12:00 task is not ok: $(grep -a dorvik_task_state "$prom")"
state_of "$nosuch_id" failed || fail "the task without source is not failed: $(grep -a dorvik_task_state "$prom")"
state_of "$late_id" missed || fail "the task whose 11:00 run never came is not missed"
promtool check metrics < "$prom" || fail "promtool check metrics"
echo "ok: promtool check metrics passes; states: $(grep -a 'dorvik_task_state.*} 1$' "$prom" | sed 's/.*task="\([^"]*\)".*state="\([a-z]*\)".*/\1=\2/' | tr '\n' ' ')"
grep -aF "source=\"$(win "$root/no\"such" | sed 's/\\/\\\\/g; s/"/\\"/g')\"" "$prom" >/dev/null || fail "escaped source label"
grep -a "^dorvik_task_last_output_size_bytes{kind=\"file\",task=\"$web_id\",.*} [1-9]" "$prom" >/dev/null \
  || fail "the web task's output size"
web_record="$prog/Health/records/file-$(printf '%s' "$web_id" | xxd -p).txt"
head -1 "$web_record" | grep -q "^dorvik run record 1$" && tail -1 "$web_record" | grep -q "^end$" \
  && grep -q "^last_result=ok$" "$web_record" || fail "the damaged record was not written anew"
echo "ok: the damaged record of the web task was replaced by a whole one"
# Wine's ReportEventA stub prints the event ID in hex (0x78 = 120), ReportEventW the inserted texts.
events() { grep -a "ReportEventA (.*,$1,0000000000000000," "$KEEPER_LOG" | wc -l; }
[ "$(events 0x00000078)" == 1 ] || fail "event 120 (missed) written $(events 0x00000078) times"
[ "$(events 0x00000079)" == 0 ] || fail "event 121 without a task back to ok"
[ "$(events 0x0000007b)" == 1 ] || fail "event 123 (damaged record) written $(events 0x0000007b) times"
echo "ok: events 120 (missed) and 123 (damaged record) written once each; Wine's trace of their texts:"
grep -a "eventlog:ReportEventW" "$KEEPER_LOG" | head -4 | sed 's/^[0-9a-f]*:/  /'

# Sets out and code: the switch's text and exit code.
status() {
  code=0
  shifted "2024-05-09 12:01:00" "$RUN" "$1" -s > "$root/status.out" 2>/dev/null || code=$?
  out=$(iconv -f GBK -t UTF-8 "$root/status.out" | tr -d '\r')
}
status "$prog/Dorviksvc.exe"
echo "$out" | sed 's/^/  -s: /'
[ "$code" == 2 ] || fail "-s exit code $code, expected 2"
echo "$out" | head -1 | grep -q "^DORVIK CRITICAL - 1 failed, 1 missed, 1 ok, .*; service running | failed=1 missed=1 ok=1" \
  || fail "-s summary"
echo "$out" | grep -q "^file $nosuch_id (.*): failed; .*运行失败：" || fail "-s line of the failed task"

stop=$(probe stop Dorviksvc | tr -d '\r')
echo "stop: $stop"
status "$prog/Dorviksvc.exe"
[ "$code" == 2 ] && echo "$out" | head -1 | grep -q "service not running" || fail "-s without the service: $code $out"
mkdir -p "$root/empty"; cp "$prog/Dorviksvc.exe" "$root/empty/"
status "$root/empty/Dorviksvc.exe"
[ "$code" == 3 ] && echo "$out" | grep -q "^DORVIK UNKNOWN - " || fail "-s without config.db: $code $out"
echo "ok: -s exits 2 with the service running and stopped, 3 without config.db"
echo "service run: all checks passed"
