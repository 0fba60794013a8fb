#!/usr/bin/env bash
# Creates a private Wine prefix with CJK fonts mapped, once; safe to run again. A set-up that
# fails stops here with Wine's output and leaves the prefix unmarked, so the next run tries again
# instead of reusing a broken prefix.
#
# Booting a prefix costs 20-30 s and 700 MB, and the tests use several (the service and console
# runs each need one of their own). So one template, wineprefix-template beside the prefix, is
# booted once and every prefix is a copy of it: the program files Wine never rewrites after boot
# are hard links, everything else (registry, .ini files) is copied.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
lock="$prefix.lock"
mkdir -p "$(dirname "$prefix")"
exec 9>"$lock"
flock 9
[ -f "$prefix/.dorvik-ready" ] && exit 0

template="$(cd "$(dirname "$prefix")" && pwd)/wineprefix-template"
if [ "$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")" != "$template" ]; then
  "$here/wine-prefix.sh" "$template"
  rm -rf "$prefix" "$prefix.copy"
  cp -al "$template" "$prefix.copy"
  find "$prefix.copy" -type f ! -regex '.*\.\(dll\|exe\|nls\|sys\|drv\|ocx\|cpl\|acm\|tlb\|ds\)' -print0 |
    while IFS= read -r -d '' file; do
      cp -p "$file" "$file.own" && mv -f "$file.own" "$file"
    done
  mv "$prefix.copy" "$prefix"
  exit 0
fi

log=$(mktemp)
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$log" "$reg"' EXIT
broken() {
  echo "wine-prefix.sh: $1 failed for $prefix; Wine said:" >&2
  cat "$log" >&2
  exit 1
}
env LC_ALL=zh_CN.UTF-8 wineboot --init >"$log" 2>&1 || broken "wineboot --init"
wineserver -w >>"$log" 2>&1 || broken "waiting for wineboot"
[ -f "$prefix/system.reg" ] || broken "wineboot (no system.reg)"
iconv -f UTF-8 -t UTF-16LE "$here/wine-fonts.reg.txt" | { printf '\xff\xfe'; cat; } > "$reg"
env LC_ALL=zh_CN.UTF-8 wine regedit /S "$(winepath -w "$reg")" >>"$log" 2>&1 || broken "regedit"
wineserver -w >>"$log" 2>&1 || broken "waiting for regedit"
grep -q 'Fonts\\\\Replacements' "$prefix/user.reg" || broken "the font mapping import"
touch "$prefix/.dorvik-ready"
