#!/usr/bin/env bash
# The real service on a shifted clock (2024-05-09, just before noon), installed below a folder
# with a blank ("Program Files") beside which a recording Program.exe is planted:
# - retention at start deletes exactly the expired backups of its own tasks: not through a Linux
#   symbolic link planted in a date folder (Wine shows it as a reparse point), not the backups of
#   a lookalike task (shop_2020x, kept) nor those below a SQL task whose project name is ".";
# - two tasks whose sources end in "htdocs", due at 12:00 with one storage folder, make two
#   archives, each read back whole by Python's zipfile;
# - the archiver and Backup.exe run, Program.exe never does;
# - a file named Health where the health folder belongs makes every health write fail: the
#   service keeps running and backing up.
# service_safety_test.sh DORVIKSVC_EXE EXAMPLE_CONFIG_EXE RAR_EXE BACKUP_STAND_IN_EXE
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/service_common.sh"
svc_exe=$1 example=$2 rar_exe=$3 stand_in=$4
odbc="$DORVIK_NATIVE_BUILD/tests/sqlserver/odbc"
[ -f "$odbc/odbcinst.ini" ] || fail "the SQL Server test driver is not built in $DORVIK_NATIVE_BUILD"
root="$DORVIK_BUILD/testroot/service_safety"
prog="$root/Program Files/Dorvik" store="$root/store" web="$root/webstore"
rm -rf "$root"; mkdir -p "$prog" "$root/server" "$store" "$web" "$root/sql" "$root/sql-noon" \
  "$root/shop" "$root/shop_2020x" "$root/site1/htdocs" "$root/site2/htdocs" "$root/outside" "$root/outside2"
cp "$svc_exe" "$prog/Dorviksvc.exe"; cp "$rar_exe" "$prog/rar.exe"; cp "$stand_in" "$prog/Backup.exe"
cp "$stand_in" "$root/Program.exe"  # would record its start in $root/Backup.calls
printf 'demo\tdemo orders\n' > "$root/server/databases"
echo one > "$root/site1/htdocs/one.txt"; echo two > "$root/site2/htdocs/two.txt"
echo "not a backup" > "$root/outside/keep.txt"; echo "not a backup" > "$root/outside2/keep.txt"
echo "not a folder" > "$prog/Health"

backup() {  # path below the root, write time
  mkdir -p "$(dirname "$root/$1")"; echo "$1" > "$root/$1"; touch -d "$2" "$root/$1"
}
backup store/2024-5-1/file_shop_20240501020000.zip "2024-05-01 02:00"        # expired, shop's own
backup store/2024-5-1/file_shop_2020x_20240501020000.zip "2024-05-01 02:00"  # shop_2020x keeps all
backup store/2024-5-8/file_shop_20240508020000.zip "2024-05-08 02:00"        # not expired
ln -s "$root/outside" "$store/2024-5-1/file_shop_20240501030000"           # named like a copy
backup sql/nightly/2024-5-1/db_demo_20240501030000.bak "2024-05-01 03:00"
ln -s "$root/outside2" "$root/sql/nightly/2024-5-1/latest"
backup sql/nightly/2024-5-8/db_demo_20240508030000.bak "2024-05-08 03:00"

"$RUN" "$example" "$(win "$prog")" "$(win "$root/shop")" "$(win "$store")" "$(win "$root/sql")" \
  --file-task "$(win "$root/shop_2020x");$(win "$store");是;每天;;保留" \
  --file-task "$(win "$root/site1/htdocs");$(win "$web");是;每天;12;保留" \
  --file-task "$(win "$root/site2/htdocs");$(win "$web");是;每天;12;保留" \
  --sql-task "demo;$(win "$store");否;每天;;.;删除0天以前的" \
  --sql-task "demo;$(win "$root/sql-noon");否;每天;12;noon;保留" >/dev/null 2>&1

export ODBCSYSINI="$odbc" DORVIK_SQLSERVER_STATE="$root/server"
install_service_at "2024-05-09 11:59:40" "$prog/Dorviksvc.exe"

archives() { ls "$web"/2024-5-9/file_htdocs_2024050912????.zip 2>/dev/null || true; }
for _ in $(seq 120); do
  [ "$(archives | wc -l)" -ge 2 ] && [ -f "$prog/Backup.calls" ] && break
  sleep 0.5
done
sleep 2  # the archiver may still be writing
python3 - "$web/2024-5-9" "$prog/Log/2024_05_09.log" <<'PY' || fail "the two htdocs tasks"
import os, sys, zipfile
folder, log = sys.argv[1], sys.argv[2]
names = sorted(n for n in os.listdir(folder) if n.startswith("file_htdocs_"))
assert len(names) == 2 and all(n.endswith(".zip") for n in names), names
contents = []
for name in names:
    z = zipfile.ZipFile(os.path.join(folder, name))
    assert z.testzip() is None, name
    contents.append(sorted(os.path.basename(n) for n in z.namelist() if not n.endswith("/")))
assert sorted(contents) == [["one.txt"], ["two.txt"]], contents
lines = [l for l in open(log, "rb").read().decode("gbk").splitlines() if "file_htdocs_" in l]
assert sorted(l.split("\\")[-1] for l in lines) == names, lines
print("ok: two archives, one per task, each whole:", names, contents)
PY
[ -f "$prog/Backup.calls" ] || fail "Backup.exe never ran"
[ ! -e "$root/Backup.calls" ] || fail "Program.exe ran instead: $(cat "$root/Backup.calls")"
echo "ok: rar.exe and Backup.exe ran from below Program Files, Program.exe never"

[ "$(cat "$root/outside/keep.txt")" == "not a backup" ] && [ "$(cat "$root/outside2/keep.txt")" == "not a backup" ] \
  || fail "a folder outside the storage lost its files"
expected="2024-5-1
2024-5-1/file_shop_2020x_20240501020000.zip
2024-5-8
2024-5-8/file_shop_20240508020000.zip"
# Whether Wine can remove a Linux symlink as a link: if not, it stays, and so does its folder.
if [ -L "$store/2024-5-1/file_shop_20240501030000" ]; then
  expected+="
2024-5-1/file_shop_20240501030000"
  echo "note: Wine left the planted link in place"
fi
actual=$(cd "$store" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" == "$(echo "$expected" | LC_ALL=C sort)" ] || fail "retention left in the storage folder:
$actual"
[ -e "$root/sql/nightly/2024-5-8/db_demo_20240508030000.bak" ] || fail "SQL retention deleted a young folder"
[ ! -e "$root/sql/nightly/2024-5-1/db_demo_20240501030000.bak" ] || fail "SQL retention kept an expired backup"
echo "ok: retention deleted exactly the expired own backups; the outside folders, the lookalike's and the \".\" task's neighbours stay"
probe state Dorviksvc | grep -q RUNNING || fail "the service ended without a health folder"
[ "$(cat "$prog/Health")" == "not a folder" ] || fail "the file in the health folder's place changed"
echo "ok: without a health folder the service runs on and backed up both tasks"
probe stop Dorviksvc >/dev/null
echo "service safety: all checks passed"
