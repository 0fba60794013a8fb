#!/usr/bin/env bash
# The console on the example config.db, under a private Xvfb display: its file task list as the
# console shows it, and a screenshot of its main window.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win() { local p=$1; echo "Z:${p//\//\\}"; }
build="$BUILD_ROOT/win"
prog="$DEMO_DIR/console/program"
mkdir -p "$prog" "$DEMO_DIR/source" "$DEMO_DIR/store" "$DEMO_DIR/sqlstore"
cp "$build/console/DorvikUI.exe" "$build/service/Dorviksvc.exe" "$build/tools/rar/rar.exe" \
  "$build/tools/backup/Backup.exe" "$prog/"
# The example document again, naming the rar.exe beside this console.
"$src/scripts/wine-run.sh" "$build/tools/example_config/example_config.exe" "$(win "$prog")" \
  "$(win "$DEMO_DIR/source")" "$(win "$DEMO_DIR/store")" "$(win "$DEMO_DIR/sqlstore")" >/dev/null 2>&1
python3 "$src/tests/console/console_screenshot.py" "$prog" "$build/wineprefix-console" \
  "$DEMO_DIR/console-main-window.png" "$build/tests/console/console_driver.exe"
