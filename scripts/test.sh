#!/usr/bin/env bash
# The one test command: installs what is missing, builds both trees, runs every test.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
"$src/scripts/install-deps.sh"
"$src/scripts/build.sh"
status=0
ctest --test-dir "$root/native" --output-on-failure -j "$(nproc)" || status=1
# Tests sharing the common prefix start and end Wine programs all the time; a server that quits
# when its last client has gone drops a client connecting in that moment ("recvmsg: connection
# reset"). A keeper holds the server (and the services Wine starts with it, their output on
# /dev/null rather than on a test's pipe) for the whole run.
prefix="$root/win/wineprefix"
"$src/scripts/wine-prefix.sh" "$prefix"
DORVIK_WINEPREFIX="$prefix" setsid "$src/scripts/wine-run.sh" \
  "$root/win/tests/service/service_probe.exe" hold 3600 </dev/null >/dev/null 2>&1 &
sleep 2
ctest --test-dir "$root/win" --output-on-failure -j "$(nproc)" || status=1
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
exit $status
