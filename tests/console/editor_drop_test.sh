#!/usr/bin/env bash
# Dropped folders reach the real editors through WM_DROPFILES and DragQueryFile: alternately
# source and storage in the file editor, the last one in the SQL Server editor. Runs under a
# private Xvfb display, as dialogs need one.
# usage: editor_drop_test.sh EDITOR_PROBE_EXE WINE_RUN
set -euo pipefail
probe=$1 wine_run=$2
dir="$DORVIK_BUILD/testroot/editor_drop"
rm -rf "$dir"; mkdir -p "$dir"
fail() { echo "FAIL: $*"; exit 1; }
run() { timeout 120 xvfb-run -a "$wine_run" "$probe" "$@" | tr -d '\r'; }

out=$(EDITOR_PROBE_DROPS='C:\windows;C:\users,C:\windows\system32' run file - 'D:\nowhere')
echo "$out"
[[ $out == *'<SouPath>C:\windows\system32</SouPath>    <DesPath>C:\users</DesPath>'* ]] ||
  fail "file editor: the three names should go to source, storage, source"

printf '%s' '<Check>YES</Check>    <sqlname>shop</sqlname>    <sqlpath>C:\windows</sqlpath>    <despath>C:\windows</despath>    <iscut>是</iscut>    <date>每天</date>    <time>3</time>    <status>-</status>    <num>1</num>    <id>4</id>    <projectname>nightly</projectname>    <issave>保留</issave>' |
  iconv -f UTF-8 -t GBK > "$dir/sql_record.txt"
out=$(EDITOR_PROBE_DROPS='C:\users,C:\windows\system32' run sql "Z:${dir//\//\\}\\sql_record.txt" 5 'C:\' shop)
echo "$out"
[[ $out == *'<sqlpath>C:\windows\system32</sqlpath>    <despath>C:\windows\system32</despath>'* ]] ||
  fail "SQL Server editor: the last dropped name should win"
echo PASS
