#!/usr/bin/env bash
# Memory of the service with one watcher thread per task: Dorviksvc.exe under Wine's service
# manager with BENCH_TASKS file tasks (default 500), none due while it is measured, read from the
# Wine process's /proc/PID/status (resident and virtual size, threads) once every watcher runs.
# With DORVIK_PEER_SVC naming another Dorviksvc.exe (an older build), that one is measured the
# same way right after, for a before/after figure.
#   BUILD_ROOT  the build trees (default <source>/build)
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
count=${BENCH_TASKS:-500}
export DORVIK_BUILD="$root/win" DORVIK_NATIVE_BUILD="$root/native" DORVIK_SOURCE="$src"
source "$src/tests/e2e/service_common.sh"
bench="$DORVIK_BUILD/testroot/service_memory"
rm -rf "$bench"; mkdir -p "$bench/prog" "$bench/src" "$bench/store" "$bench/sql"
hour=$(( ($(date +%-H) + 2) % 24 ))
"$RUN" "$DORVIK_BUILD/tools/example_config/example_config.exe" "$(win "$bench/prog")" \
  "$(win "$bench/src")" "$(win "$bench/store")" "$(win "$bench/sql")" \
  --file-task "$(win "$bench/src")\\dept;$(win "$bench/store");是;每天;$hour;删除7天以前的" >/dev/null 2>&1
# Too many tasks for one command line: the one task's record is repeated with ids and sources
# of its own.
python3 - "$bench/prog/config.db" "$src/tests/config" "$count" <<'PY'
import re, sys
sys.path.insert(0, sys.argv[2])
from config_db import scramble, unscramble
text = unscramble(open(sys.argv[1], "rb").read())
start, end = text.index(b"<FileBackups>") + len(b"<FileBackups>"), text.index(b"</FileBackups>")
record = next(r for r in text[start:end].split(b"|||") if b"\\dept<" in r)
records = []
for i in range(1, int(sys.argv[3]) + 1):
    r = re.sub(rb"<m_strID>[^<]*</m_strID>", b"<m_strID>%d</m_strID>" % i, record)
    records.append(r.replace(b"\\dept<", b"\\dept%d<" % i))
text = text[:start] + b"|||" + b"|||".join(records) + b"|||" + text[end:]
open(sys.argv[1], "wb").write(scramble(text))
PY

trap finish EXIT
wineserver -k 2>/dev/null || true
remove_service
wineserver -k 2>/dev/null || true
start_keeper

# measure PROGRAM LABEL: installs PROGRAM as the service, waits for its watchers, prints its size.
measure() {
  probe stop Dorviksvc >/dev/null 2>&1 || true
  cp "$1" "$bench/prog/Dorviksvc.exe"
  "$RUN" "$bench/prog/Dorviksvc.exe" -i >/dev/null 2>&1 || true
  env LC_ALL=zh_CN.UTF-8 wine sc start Dorviksvc >/dev/null 2>&1 || true
  probe wait Dorviksvc RUNNING 30 >/dev/null
  local pid threads=0
  pid=$(pgrep -n -f 'service_memory.prog.Dorviksvc.exe')
  [ -n "$pid" ] || fail "no service process"
  for _ in $(seq 120); do
    threads=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status")
    [ "$threads" -ge "$count" ] && break
    sleep 0.5
  done
  sleep 3
  awk -v label="$2" '/^VmRSS:/ {rss=$2} /^VmSize:/ {vm=$2} /^Threads:/ {t=$2}
    END {printf "%-40s resident %6.0f MB  virtual %7.0f MB  %d threads\n", label, rss/1024, vm/1024, t}' \
    "/proc/$pid/status"
}
echo "Dorviksvc.exe with $count file tasks, every watcher started, none due:"
measure "$DORVIK_BUILD/service/Dorviksvc.exe" "this build"
[ -z "${DORVIK_PEER_SVC:-}" ] || measure "$DORVIK_PEER_SVC" "peer ($DORVIK_PEER_SVC)"
