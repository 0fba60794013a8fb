#!/usr/bin/env bash
# Two SQL Server tasks due at 03:00 (shifted clock) in the real service, which reaches the SQL
# Server test driver for its start-up probe: each runs Backup.exe (a stand-in that records its
# command line) with the whole record in quotes and its compress choice, one after the other.
# Their outcomes reach the health file through the exit code: "second" exits 1 and is failed,
# "nightly" exits 0 and is ok. A third task, "broken", names its databases with a byte sequence
# that is not GBK: the service refuses it before Backup.exe, whose command line would carry
# another database name, and its health says why.
# service_sql_test.sh DORVIKSVC_EXE EXAMPLE_CONFIG_EXE BACKUP_STAND_IN_EXE
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/service_common.sh"
svc_exe=$1 example=$2 stand_in=$3
odbc="$DORVIK_NATIVE_BUILD/tests/sqlserver/odbc"
[ -f "$odbc/odbcinst.ini" ] || fail "the SQL Server test driver is not built in $DORVIK_NATIVE_BUILD"
root="$DORVIK_BUILD/testroot/service_sql"
rm -rf "$root"; mkdir -p "$root/prog" "$root/server" "$root/sql"
cp "$svc_exe" "$root/prog/Dorviksvc.exe"; cp "$stand_in" "$root/prog/Backup.exe"
printf 'demo\tdemo orders\n' > "$root/server/databases"
echo "second 1" > "$root/prog/Backup.exitcodes"
"$RUN" "$example" "$(win "$root/prog")" "$(win "$root/src")" "$(win "$root/sql")" "$(win "$root/sql")" \
  --sql-task "demo;$(win "$root/sql");否;每天;3;second;保留" >/dev/null 2>&1
python3 - "$root/prog/config.db" "$DORVIK_SOURCE/tests/config" <<'PY' || fail "adding the broken task"
import re, sys
sys.path.insert(0, sys.argv[2])
from config_db import scramble, unscramble
text = unscramble(open(sys.argv[1], "rb").read())
start, end = text.index(b"<SqlBackups>") + len(b"<SqlBackups>"), text.index(b"</SqlBackups>")
records = [r for r in text[start:end].split(b"|||") if r]
broken = re.sub(rb"<projectname>[^<]*</projectname>", b"<projectname>broken</projectname>", records[0])
broken = re.sub(rb"<sqlname>[^<]*</sqlname>", b"<sqlname>demo,a\x81,crm</sqlname>", broken)
broken = re.sub(rb"<id>[^<]*</id>", b"<id>99</id>", broken)
text = text[:start] + b"|||" + b"|||".join(records + [broken]) + b"|||" + text[end:]
open(sys.argv[1], "wb").write(scramble(text))
PY

# The service inherits these from the prefix's first program.
export ODBCSYSINI="$odbc" DORVIK_SQLSERVER_STATE="$root/server"
install_service_at "2024-05-09 02:59:45" "$root/prog/Dorviksvc.exe"
calls="$root/prog/Backup.calls"
for _ in $(seq 80); do [ -f "$calls" ] && [ "$(wc -l < "$calls")" -ge 2 ] && break; sleep 0.5; done
[ -f "$calls" ] || fail "Backup.exe never ran"
iconv -f GBK -t UTF-8 "$calls" | cut -c1-160
[ "$(wc -l < "$calls")" -eq 2 ] || fail "expected two runs"
python3 - "$calls" "$(win "$root/prog")" <<'PY' || fail "Backup.exe runs"
import sys
lines = open(sys.argv[1], "rb").read().decode("gbk").splitlines()
prog = sys.argv[2]
runs = []
for line in lines:
    times, command = line.split(" ", 1)
    start, end = times.split("-")
    assert command.startswith(prog + "\\Backup.exe \"<Check>YES</Check>    <sqlname>demo</sqlname>"), command
    choice = command.rsplit(" ", 1)[1]
    assert command.endswith("<issave>" + ("删除7天以前的" if choice == "是" else "保留") + "</issave>\" " + choice), command
    assert ("<iscut>" + choice + "</iscut>") in command, command
    runs.append((start, end, choice))
assert sorted(r[2] for r in runs) == ["否", "是"], runs
runs.sort()
assert runs[0][0].startswith("03:00:"), runs
assert runs[1][0] >= runs[0][1], "the second Backup.exe started before the first ended: %s" % runs
print("ok: both tasks ran at 03:00, one after the other:", [(r[0], r[1], r[2]) for r in runs])
PY
prom="$root/prog/Health/dorvik.prom"
state_of() { grep -a "^dorvik_task_state{kind=\"sql\",task=\"$1\",.*state=\"$2\"} 1\$" "$prom" >/dev/null 2>&1; }
for _ in $(seq 40); do state_of nightly ok && state_of second failed && break; sleep 0.5; done
state_of nightly ok && state_of second failed || fail "SQL task states: $(grep -a dorvik_task_state "$prom")"
grep -a '^dorvik_task_last_run_duration_seconds{kind="sql",task="nightly",.*} [1-9]' "$prom" >/dev/null \
  || fail "the run's duration (the stand-in takes 1.5 s)"
record="$root/prog/Health/records/sql-$(printf second | xxd -p).txt"
iconv -f GBK -t UTF-8 "$record" | grep -q "^failure_text=Backup.exe 退出码 1：" || fail "failure text: $(cat "$record")"
echo "ok: Backup.exe's exit codes reached the health file: nightly ok, second failed ($(iconv -f GBK -t UTF-8 "$record" | grep failure_text))"
for _ in $(seq 20); do state_of broken failed && break; sleep 0.5; done
state_of broken failed || fail "the broken task is failed: $(grep -a 'task="broken"' "$prom")"
broken_record="$root/prog/Health/records/sql-$(printf broken | xxd -p).txt"
iconv -f GBK -t UTF-8 "$broken_record" | grep -q "^failure_text=任务记录含有无效的 GBK 字符，没有启动 Backup.exe" \
  || fail "the broken task's failure text: $(cat "$broken_record")"
[ "$(wc -l < "$calls")" -eq 2 ] || fail "Backup.exe ran for the broken record"
echo "ok: the record that is not GBK started no Backup.exe and is failed with its reason"
echo "service sql: all checks passed"
