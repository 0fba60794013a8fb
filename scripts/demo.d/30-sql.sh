#!/usr/bin/env bash
# An example SQL Server task run the way the service runs it: Backup.exe with the whole task
# record in quotes and then 是 (archive each backup) or 否, under Wine, against the SQL Server
# test driver (through Wine's odbc32 and unixODBC). Shows the backups, an archive's listing, the
# statements the server received and the day's log lines.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win="$BUILD_ROOT/win"
here="$DEMO_DIR/sql-backup"
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
rm -rf "$here"
mkdir -p "$here/prog" "$here/server" "$here/sqlstore"
cp "$win/tools/backup/Backup.exe" "$win/tools/rar/rar.exe" "$here/prog/"
# config.db beside Backup.exe gives it the archiver's folder (rarpath).
"$src/scripts/wine-run.sh" "$win/tools/example_config/example_config.exe" "$(winpath "$here/prog")" \
  'Z:\tmp' 'Z:\tmp' "$(winpath "$here/sqlstore")" >/dev/null
# The test server's databases: name, tab, content.
printf 'demo\tdemo orders\n销售\tsales ledger\n' > "$here/server/databases"
export ODBCSYSINI="$BUILD_ROOT/native/tests/sqlserver/odbc" DORVIK_SQLSERVER_STATE="$here/server"

record() {  # sqlname iscut
  printf '%s' "<Check>YES</Check>    <sqlname>$1</sqlname>    <sqlpath>$(winpath "$here/sqlstore")</sqlpath>    " \
    "<despath>$(winpath "$here/sqlstore")</despath>    <iscut>$2</iscut>    <date>每天</date>    <time>3</time>    " \
    "<status>-</status>    <num>2</num>    <id>1</id>    <projectname>nightly</projectname>    <issave>删除7天以前的</issave>"
}
for iscut in 是 否; do
  sqlname=$([ "$iscut" = 是 ] && echo "demo,销售" || echo "所有数据库")
  echo "Backup.exe \"<...><sqlname>$sqlname</sqlname><...><iscut>$iscut</iscut><...>\" $iscut"
  set +e
  "$src/scripts/wine-run.sh" "$here/prog/Backup.exe" "$(record "$sqlname" "$iscut")" "$iscut"
  echo "  exit code $?"
  set -e
  sleep 1  # the next run gets a stamp of its own
done
echo "backup files below the storage folder:"
(cd "$here/sqlstore" && find . -type f | sort | sed 's/^/  /')
first_zip=$(find "$here/sqlstore" -name '*.zip' | sort | head -1)
echo "listing of $(basename "$first_zip") (unzip -l):"
unzip -l "$first_zip" | sed 's/^/  /'
echo "backup statements the server received:"
grep '^backup database' "$here/server/queries.log" | sed 's/^/  /'
echo "log lines ($(ls "$here/prog/Log")):"
iconv -f GBK -t UTF-8 "$here/prog/Log/"*.log | sed 's/^/  /'
