#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's private prefix, with the GBK code page.
# The prefix lives in $DORVIK_WINEPREFIX, or in wineprefix/ beside the program's build folder.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${DORVIK_WINEPREFIX:=$(pwd)/wineprefix}"
export WINEPREFIX="$DORVIK_WINEPREFIX"
# DORVIK_WINEDEBUG lets a test see a channel (the event log stubs, say); quiet otherwise.
export WINEDEBUG="${DORVIK_WINEDEBUG:--all}"

export WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/.dorvik-ready" ] || "$here/wine-prefix.sh" "$WINEPREFIX" >&2
exec env LC_ALL=zh_CN.UTF-8 wine "$@"
