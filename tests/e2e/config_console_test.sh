#!/usr/bin/env bash
# DorvikUI.exe's start-up check of config.db beside it, under Wine (no display, so message
# boxes return at once).
# usage: config_console_test.sh DORVIKUI_EXE EXAMPLE_CONFIG_EXE WINE_RUN CHECKER_PY
set -euo pipefail
ui=$1 example=$2 wine_run=$3 checker=$4
unset DISPLAY
dir="$DORVIK_BUILD/testroot/config_console"
rm -rf "$dir"; mkdir -p "$dir"
cp "$ui" "$dir/DorvikUI.exe"
windir="Z:${dir//\//\\}"
fail() { echo "FAIL: $*"; exit 1; }

# No config.db and no archiver anywhere: the console ends and creates nothing.
"$wine_run" "$dir/DorvikUI.exe" || fail "exit code $?"
[ ! -e "$dir/config.db" ] || fail "config.db created without an archiver"

# A sound document naming an existing archiver is read and left as it is.
"$wine_run" "$example" "$windir" "$windir" "$windir" "$windir" >/dev/null
touch "$dir/rar.exe"
before=$(md5sum < "$dir/config.db")
"$wine_run" "$dir/DorvikUI.exe" || fail "exit code $?"
[ "$(md5sum < "$dir/config.db")" = "$before" ] || fail "a sound config.db was rewritten"

# The same document stored as plain text is damaged: moved aside under a dated name, so the
# next start begins afresh and nothing is lost.
python3 "$checker" show "$dir/config.db" | head -c -1 > "$dir/plain.txt"
cp "$dir/plain.txt" "$dir/plain.txt.orig"
mv "$dir/plain.txt" "$dir/config.db"
"$wine_run" "$dir/DorvikUI.exe" || fail "exit code $?"
[ ! -e "$dir/config.db" ] || fail "a plain-text config.db was kept"
aside=$(ls "$dir" | grep -E '^config\.db\.damaged-[0-9]{8}-[0-9]{6}$') || fail "no dated copy kept"
[ "$(md5sum < "$dir/$aside")" = "$(md5sum < "$dir/plain.txt.orig")" ] || fail "the dated copy differs"
echo PASS
