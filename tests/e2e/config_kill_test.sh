#!/usr/bin/env bash
# A writer killed at random moments never leaves a config.db that fails to load or holds fewer
# tasks than before; two writer processes at once lose none of each other's tasks.
# usage: config_kill_test.sh WRITER_EXE WINE_RUN CHECKER_PY
set -euo pipefail
writer=$1 wine_run=$2 checker=$3
work="$DORVIK_BUILD/testroot/config_kill"
rm -rf "$work"; mkdir -p "$work"
db="$work/config.db"
windb="Z:${db//\//\\}"

"$wine_run" "$writer" "$windb" seed 2000
before=$(python3 "$checker" check "$db" 2000)
target=$((before + 200))
kills=0 midsave=0
deadline=$((SECONDS + 70))
while [ "$before" -lt "$target" ] && [ $SECONDS -lt $deadline ]; do
  inode=$(stat -c %i "$db")
  "$wine_run" "$writer" "$windb" until "$target" &
  pid=$!
  # Every save renames a new file over config.db: once the inode moves the writer is saving,
  # so a short random delay after that lands inside or between its next saves.
  for _ in $(seq 300); do
    [ "$(stat -c %i "$db")" != "$inode" ] && break
    sleep 0.01
  done
  sleep "$(python3 -c 'import random; print(random.uniform(0, 0.05))')"
  if kill -9 "$pid" 2>/dev/null; then kills=$((kills + 1)); fi
  wait "$pid" 2>/dev/null || true
  if compgen -G "$db.*.tmp" >/dev/null; then midsave=$((midsave + 1)); fi
  if ! now=$(python3 "$checker" check "$db" "$before"); then
    echo "FAIL after kill $kills: config.db does not hold the $before tasks it held"; exit 1
  fi
  before=$now
done
# A last run without a kill finishes the saves and clears the leftovers.
"$wine_run" "$writer" "$windb" until "$target"
final=$(python3 "$checker" check "$db" "$target")
if compgen -G "$db.*.tmp" >/dev/null; then echo "FAIL: temp files left behind"; exit 1; fi
echo "kills: $kills (with a save in flight: $midsave), tasks: $final"
[ "$final" -eq "$target" ] || { echo "FAIL: $final tasks, expected $target"; exit 1; }

# Two processes adding at the same time: the named lock keeps every task.
pair="$work/pair.db"
winpair="Z:${pair//\//\\}"
"$wine_run" "$writer" "$winpair" seed 0
"$wine_run" "$writer" "$winpair" add 60 100000 & a=$!
"$wine_run" "$writer" "$winpair" add 60 200000 & b=$!
wait $a; wait $b
ids=$(python3 "$checker" ids "$pair" | sort -u | wc -l)
echo "two writers: $ids of 120 tasks"
[ "$ids" -eq 120 ] || { echo "FAIL: concurrent writers lost tasks"; exit 1; }
echo PASS
