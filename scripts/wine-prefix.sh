#!/usr/bin/env bash
# Creates a private Wine prefix with CJK fonts mapped, once; safe to run again.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
lock="$prefix.lock"
mkdir -p "$(dirname "$prefix")"
exec 9>"$lock"
flock 9
if [ ! -f "$prefix/.dorvik-ready" ]; then
  env LC_ALL=zh_CN.UTF-8 wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
  reg=$(mktemp --suffix=.reg)
  iconv -f UTF-8 -t UTF-16LE "$here/wine-fonts.reg.txt" | { printf '\xff\xfe'; cat; } > "$reg"
  env LC_ALL=zh_CN.UTF-8 wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1 || true
  wineserver -w || true
  rm -f "$reg"
  touch "$prefix/.dorvik-ready"
fi
