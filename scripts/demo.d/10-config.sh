#!/usr/bin/env bash
# Writes the example config.db into the demo's program folder under Wine, prints the tasks the
# store reads back, then the stored file decoded by an independent reader.
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win() { local p=$1; echo "Z:${p//\//\\}"; }
mkdir -p "$DEMO_DIR/program" "$DEMO_DIR/source/docs" "$DEMO_DIR/store" "$DEMO_DIR/sqlstore"
echo "quarterly figures" > "$DEMO_DIR/source/report.txt"
echo "minutes" > "$DEMO_DIR/source/docs/meeting.txt"
echo "example_config.exe writes $DEMO_DIR/program/config.db and reads it back:"
"$src/scripts/wine-run.sh" "$BUILD_ROOT/win/tools/example_config/example_config.exe" \
  "$(win "$DEMO_DIR/program")" "$(win "$DEMO_DIR/source")" "$(win "$DEMO_DIR/store")" \
  "$(win "$DEMO_DIR/sqlstore")" | iconv -f GBK -t UTF-8
size=$(stat -c %s "$DEMO_DIR/program/config.db")
echo "config.db on disk: $size bytes, scrambled (first bytes: $(head -c 12 "$DEMO_DIR/program/config.db" | od -An -tu1 | xargs))"
echo "decoded by tests/config/config_db.py:"
python3 "$src/tests/config/config_db.py" show "$DEMO_DIR/program/config.db"
