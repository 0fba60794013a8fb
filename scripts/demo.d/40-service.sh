#!/usr/bin/env bash
# The background service on the built-in example, under Wine's service manager and a clock shifted
# to 2024-05-09 01:59:50: installs and starts Dorviksvc.exe, whose retention pass at start deletes
# the expired dated folder, and whose example file task (every day at 2) runs at 02:00 through
# rar.exe and logs its line; then stops and removes the service.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export DORVIK_BUILD="$BUILD_ROOT/win" DORVIK_SOURCE="$src"
source "$src/tests/e2e/service_common.sh"
here="$DEMO_DIR/service"
prog="$here/program" store="$here/store"
rm -rf "$here"; mkdir -p "$prog" "$here/source/docs" "$store" "$here/sqlstore"
cp "$DORVIK_BUILD/service/Dorviksvc.exe" "$DORVIK_BUILD/tools/rar/rar.exe" "$prog/"
echo "quarterly figures" > "$here/source/report.txt"
echo "minutes" > "$here/source/docs/meeting.txt"
"$RUN" "$DORVIK_BUILD/tools/example_config/example_config.exe" "$(win "$prog")" "$(win "$here/source")" \
  "$(win "$store")" "$(win "$here/sqlstore")" 2>/dev/null | iconv -f GBK -t UTF-8 | grep "file task"
# Earlier backups of the task: one from 2024-05-01 (8 days old: expired), one from 2024-05-08.
for day in 1 8; do
  mkdir -p "$store/2024-5-$day"
  echo old > "$store/2024-5-$day/file_source_2024050${day}020000.zip"
  touch -d "2024-05-0$day 02:00" "$store/2024-5-$day/file_source_2024050${day}020000.zip"
done
echo "storage folder before the service starts:"; (cd "$store" && find . -type f | sort | sed 's/^/  /')

trap finish EXIT
wineserver -k 2>/dev/null || true
remove_service
wineserver -k 2>/dev/null || true
start_keeper "2024-05-09 01:59:50"
echo "Dorviksvc.exe -i (clock shifted to 2024-05-09 01:59:50):"
shifted "2024-05-09 01:59:50" "$RUN" "$prog/Dorviksvc.exe" -i 2>/dev/null | tr -d '\r' | sed 's/^/  /'
probe wait Dorviksvc RUNNING 30 >/dev/null
echo "the service manager reports: $(probe state Dorviksvc)"
archive=""
for _ in $(seq 120); do
  archive=$(ls "$store"/2024-5-9/file_source_2024050902????.zip 2>/dev/null | head -1 || true)
  [ -n "$archive" ] && [ -s "$archive" ] && break; sleep 0.5
done
sleep 2
echo "storage folder after the retention pass and the 02:00 run:"; (cd "$store" && find . -type f | sort | sed 's/^/  /')
python3 -c "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); print('  zipfile:', 'sound' if z.testzip() is None else 'damaged', sorted(z.namelist()))" "$archive"
echo "log line in Log/2024_05_09.log:"
iconv -f GBK -t UTF-8 "$prog/Log/2024_05_09.log" | tr -d '\r' | sed 's/^/  /'
echo "stop: $(probe stop Dorviksvc | tr -d '\r')"
echo "Dorviksvc.exe -u:"
"$RUN" "$prog/Dorviksvc.exe" -u 2>/dev/null | tr -d '\r' | sed 's/^/  /'
sleep 2
[ -e "$prog/Dorviksvc.exe" ] && echo "  (Dorviksvc.exe is still there)" || echo "  Dorviksvc.exe deleted itself"
