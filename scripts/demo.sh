#!/usr/bin/env bash
# The main job on a built-in example: installs what is missing, builds, then runs each demo step
# of scripts/demo.d in order under Wine.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_ROOT=${BUILD_ROOT:-$src/build}
"$src/scripts/install-deps.sh"
"$src/scripts/build.sh" >/dev/null
export DORVIK_WINEPREFIX="$BUILD_ROOT/win/wineprefix"
export DEMO_DIR="$BUILD_ROOT/demo"
rm -rf "$DEMO_DIR"; mkdir -p "$DEMO_DIR"
for step in "$src"/scripts/demo.d/*.sh; do
  echo "=== $(basename "$step" .sh)"
  bash "$step"
done
WINEPREFIX="$DORVIK_WINEPREFIX" wineserver -k 2>/dev/null || true
