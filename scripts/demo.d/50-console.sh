#!/usr/bin/env bash
# The console on the example config.db, under a private Xvfb display: its file task list as the
# console shows it, and a screenshot of its main window.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win="$BUILD_ROOT/win"
prog="$DEMO_DIR/console/program"
mkdir -p "$prog"
cp "$win/console/DorvikUI.exe" "$win/service/Dorviksvc.exe" "$win/tools/rar/rar.exe" \
  "$win/tools/backup/Backup.exe" "$DEMO_DIR/program/config.db" "$prog/"
python3 "$src/tests/console/console_screenshot.py" "$prog" "$win/wineprefix-console" \
  "$DEMO_DIR/console-main-window.png" "$win/tests/console/console_driver.exe"
