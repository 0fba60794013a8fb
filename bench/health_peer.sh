#!/usr/bin/env bash
# Builds the peer of the idle CPU benchmark: Dorviksvc.exe as it was just before the service
# began to judge tasks and write its health file (the parent of the commit that added
# health/health_monitor.cpp), from `git archive`, in BUILD_ROOT/health-peer. Prints its path.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
rev=$(git -C "$src" log --format=%H --diff-filter=A -1 -- health/health_monitor.cpp)
[ -n "$rev" ] || { echo "no commit adds health/health_monitor.cpp" >&2; exit 1; }
peer="$root/health-peer"
exe="$peer/win/service/Dorviksvc.exe"
if [ ! -f "$exe" ] || [ "$(cat "$peer/rev" 2>/dev/null)" != "$rev^" ]; then
  rm -rf "$peer"; mkdir -p "$peer/src"
  git -C "$src" archive "$rev^" | tar -x -C "$peer/src"
  cmake -S "$peer/src" -B "$peer/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$peer/src/cmake/mingw-w64-x86_64.cmake" -DDORVIK_NATIVE_BUILD="$root/native" >&2
  cmake --build "$peer/win" --target Dorviksvc -j "${JOBS:-2}" >&2
  echo "$rev^" > "$peer/rev"
fi
echo "$exe"
