# Shared by the service's end-to-end scripts: a prefix of their own (installing a service must
# not disturb the tests sharing the common prefix), Windows paths, and a keeper process (Wine
# ends a prefix's services once no other program runs in it).
set -euo pipefail
: "${DORVIK_BUILD:?}" "${DORVIK_SOURCE:?}"
export DORVIK_WINEPREFIX="${DORVIK_SERVICE_PREFIX:-$DORVIK_BUILD/wineprefix-service}"
export WINEPREFIX="$DORVIK_WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
RUN="$DORVIK_SOURCE/scripts/wine-run.sh"
PROBE="$DORVIK_BUILD/tests/service/service_probe.exe"
"$DORVIK_SOURCE/scripts/wine-prefix.sh" "$DORVIK_WINEPREFIX"

win() { local p=$1; echo "Z:${p//\//\\}"; }
fail() { echo "FAIL: $*"; exit 1; }
quiet() { grep -v "wine32\|multiarch\|dpkg --add\|apt-get install\|nodrv_\|systray" || true; }

# The checker's output without Wine's noise; never fails (its answer is in the text).
probe() { local out; out=$("$RUN" "$PROBE" "$@" 2>&1) || true; printf '%s\n' "$out" | quiet; }

KEEPER=""
# A shifted clock for a program and all it starts; file times stay true (libfaketime would shift
# them too).
shifted() {  # time, program, arguments...
  local time=$1; shift
  NO_FAKE_STAT=1 faketime "$time" "$@"
}
# The keeper leads a process group of its own (setsid, started straight from this shell, so $!
# is its leader), and stop_keeper ends the whole group: faketime, the wrapper and wine together.
# With KEEPER_LOG set, Wine's event log stubs of every program the prefix starts, the service's
# included, write what they are given into that file (Wine keeps no event log).
start_keeper() {  # [shifted start time]
  local clock=()
  if [ $# -gt 0 ]; then clock=(env NO_FAKE_STAT=1 faketime "$1"); fi
  setsid env DORVIK_WINEDEBUG="${KEEPER_LOG:+fixme+advapi,+eventlog}" "${clock[@]}" "$RUN" "$PROBE" hold 600 \
    >/dev/null 2>"${KEEPER_LOG:-/dev/null}" &
  KEEPER=$!
  sleep 2
}
stop_keeper() {
  if [ -n "$KEEPER" ]; then
    kill -- "-$KEEPER" 2>/dev/null || true  # the group may have ended on its own already
    KEEPER=""
  fi
}
remove_service() {
  probe stop Dorviksvc >/dev/null
  env LC_ALL=zh_CN.UTF-8 wine sc delete Dorviksvc >/dev/null 2>&1 || true
  for _ in $(seq 50); do
    probe state Dorviksvc | grep -q "OpenService failed" && return 0
    sleep 0.2
  done
}
finish() {
  remove_service
  stop_keeper
  wineserver -k 2>/dev/null || true
}
# Installs and starts the service from a clean prefix, on a clock shifted to the given time;
# everything is removed again when the script exits.
install_service_at() {  # time, Dorviksvc.exe
  trap finish EXIT
  wineserver -k 2>/dev/null || true
  remove_service
  wineserver -k 2>/dev/null || true
  sleep 1
  start_keeper "$1"
  local out
  out=$(shifted "$1" "$RUN" "$2" -i 2>/dev/null | tr -d '\r')
  [ "$out" == "Dorviksvc installed" ] || fail "-i: $out"
}
