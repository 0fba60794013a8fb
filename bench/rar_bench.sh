#!/usr/bin/env bash
# Benchmark of our archiver against Info-ZIP zip -9 and 7-Zip's ZIP writer on two generated
# trees: "tree" (many small text, JSON and CSV files, some incompressible ones, a few large
# half-text half-random files) and "bars" (3,000 small text files, a 100 MB log, 60 MB of random
# bytes); beside them the floor for deflate on this machine, tar piped to pigz -6 on two threads.
# Ours runs natively and as rar.exe under a warm Wine prefix (server and a keeper program
# already running). The tools take turns for BENCH_RUNS rounds; prints, per tree, each one's
# median wall and CPU time, archive size, and how many times faster than zip -9 it is, round by
# round, and what reading the written archive back costs (against twins built without that check).
#   BENCH_TREES  which trees (default "tree bars")
#   BENCH_MB     approximate size of "tree" (default 300)
#   BENCH_RUNS   rounds (default 3)
#   BUILD_ROOT   where to build (default <source>/build); a release native tree is made in
#                $BUILD_ROOT/bench-native, rar.exe is taken from $BUILD_ROOT/win when present
#   BENCH_LEVELS also time native rar at -m3 and -m4 (any value)
#   BENCH_RT     run the timed commands and the Wine server at real-time priority (root; any
#                value): on a shared, busy machine every round trip to the Wine server waits for
#                a turn on a processor, which the other tools never need, so the plain figures
#                compare the machine's load rather than the archivers
#   BENCH_BASELINE      another native rar to time alongside (a build of an earlier commit)
#   BENCH_BASELINE_EXE  likewise a rar.exe, under Wine
#   BENCH_ZIP64  also archive one 4.5 GiB file (sparse, random data at both ends) with the
#                native rar and check the ZIP64 archive with unzip -t and 7z t (any value)
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# pigz is this benchmark's alone: installed here, once.
command -v pigz >/dev/null || { export DEBIAN_FRONTEND=noninteractive; apt-get update -qq; apt-get install -y -qq pigz; }
root=${BUILD_ROOT:-$src/build}
mb=${BENCH_MB:-300}

cmake -S "$src" -B "$root/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORVIK_SANITIZE=OFF >/dev/null
cmake --build "$root/bench-native" --target rar rar_unverified -j 2 >/dev/null
cmake --build "$root/win" --target rar_unverified -j 2 >/dev/null
native_rar=$root/bench-native/tools/rar/rar
win_rar=$root/win/tools/rar/rar.exe
# Twins that skip reading the written archive back: the difference is what that check costs.
native_unverified=$root/bench-native/tools/rar/rar_unverified
win_unverified=$root/win/tools/rar/rar_unverified.exe

work=$(mktemp -d "${TMPDIR:-/tmp}/rar_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "generating the trees in $work"
trees=${BENCH_TREES:-tree bars}
python3 - "$work/tree" "$mb" "$trees" <<'PY'
import os, random, sys
root, mb, trees = sys.argv[1], int(sys.argv[2]), sys.argv[3].split()
rng = random.Random(20240501)
words = ["".join(rng.choice("etaoinshrdlucmfwypvbgkqjxz") for _ in range(rng.randint(2, 10)))
         for _ in range(5000)]
weights = [1.0 / (i + 1) for i in range(len(words))]
def text_pool(size):
    out, n = [], 0
    while n < size:
        line = " ".join(rng.choices(words, weights, k=rng.randint(4, 16)))
        line = "%d %s %d.%02d\n" % (rng.randint(1, 99999), line, rng.randint(0, 999), rng.randint(0, 99))
        out.append(line); n += len(line)
    return "".join(out).encode()
pool = text_pool(8 << 20)
def text(size):
    start = rng.randint(0, len(pool) - size - 1)
    return pool[start:start + size]
def record(i):
    return ('{"id": %d, "name": "%s", "city": "%s", "amount": %d.%02d, "tags": ["%s", "%s"]}\n'
            % (i, rng.choice(words), rng.choice(words), rng.randint(0, 99999), rng.randint(0, 99),
               rng.choice(words), rng.choice(words)))
scale = mb / 300.0 if "tree" in trees else 0
def put(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f: f.write(data)
for i in range(int(4000 * scale)):
    put("%s/docs/d%02d/note%05d.txt" % (root, i % 40, i), text(rng.randint(1000, 20000)))
for i in range(int(1000 * scale)):
    if i % 2:
        rows = "".join("%d,%s,%s,%d\n" % (k, rng.choice(words), rng.choice(words), rng.randint(0, 10**6))
                       for k in range(rng.randint(200, 1500)))
        put("%s/data/t%02d/rows%05d.csv" % (root, i % 20, i), rows.encode())
    else:
        put("%s/data/j%02d/rec%05d.json" % (root, i % 20, i),
            ("[\n" + "".join(record(k) for k in range(rng.randint(100, 600))) + "]\n").encode())
for i in range(int(200 * scale)):
    put("%s/media/img%04d.jpg" % (root, i), os.urandom(rng.randint(50000, 200000)))
for i in range(max(1, int(4 * scale)) if scale else 0):
    half = 25 << 20
    put("%s/big/dump%d.dat" % (root, i), b"".join(text(1 << 20) for _ in range(half >> 20)) + os.urandom(half))
# The bars tree: a web site's small text files, one large log, and already compressed bytes.
bars = os.path.join(os.path.dirname(root), "bars")
levels = ["INFO", "INFO", "INFO", "DEBUG", "WARN", "ERROR"]
def log_lines(count):
    return "".join("2024-05-%02d %02d:%02d:%02d.%03d %-5s [worker-%d] %s id=%d took %d ms\n"
                   % (rng.randint(1, 31), rng.randint(0, 23), rng.randint(0, 59), rng.randint(0, 59),
                      rng.randint(0, 999), rng.choice(levels), rng.randint(1, 16),
                      " ".join(rng.choices(words[:300], k=rng.randint(3, 9))),
                      rng.randint(1, 10**7), rng.randint(0, 5000)) for _ in range(count)).encode()
if "bars" in trees:
    for i in range(3000):
        put("%s/site/p%02d/page%04d.txt" % (bars, i % 30, i), text(rng.randint(500, 12000)))
    with open(os.path.join(bars, "app.log"), "wb") as f:
        n = 0
        while n < 100 << 20:
            n += f.write(log_lines(2000))
    put("%s/media/photos.bin" % bars, os.urandom(60 << 20))
PY
for t in $trees; do
  echo "$t: $(du -sm "$work/$t" | cut -f1) MB in $(find "$work/$t" -type f | wc -l) files; $(nproc) processors"
done

# Under Wine, rar.exe runs in a warm prefix: the server and a keeper program are up before the
# first run, so what is timed is our program and not Wine's own start-up.
wine_ready=""
if [ -f "$win_rar" ] && command -v wine >/dev/null; then
  export WINEPREFIX=${DORVIK_WINEPREFIX:-$root/win/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -d "$WINEPREFIX" ] || env LC_ALL=zh_CN.UTF-8 wineboot --init >/dev/null 2>&1
  env LC_ALL=zh_CN.UTF-8 wine ping -n 3600 127.0.0.1 >/dev/null 2>&1 &
  keeper=$!
  trap 'kill "$keeper" 2>/dev/null; rm -rf "$work"' EXIT
  mkdir -p "$work/warm" && echo warm > "$work/warm/a.txt"
  env LC_ALL=zh_CN.UTF-8 wine "$win_rar" a -ibck "Z:${work//\//\\}\\warm.zip" "Z:${work//\//\\}\\warm" >/dev/null 2>&1
  server_dir=server-$(printf '%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for p in $(pgrep -x wineserver64 || pgrep -x wineserver || true); do
    case "$(readlink "/proc/$p/cwd")" in */"$server_dir") wine_server=$p;; esac
  done
  wine_ready=${wine_server:-}
fi
priority=()
if [ -n "${BENCH_RT:-}" ]; then
  priority=(chrt -f 10)
  [ -z "$wine_ready" ] || chrt -f -p 10 "$wine_ready"
fi
server_ticks() { if [ -n "$wine_ready" ]; then awk '{print $14 + $15}' "/proc/$wine_ready/stat"; else echo 0; fi; }

# run NAME ARCHIVE COMMAND...: one timed run from the tree's parent folder; appends its wall and
# CPU seconds (user and system of the command, plus the Wine server's for rar.exe) to the lists.
declare -A secs cpus bytes
order=()
run() {
  local name=$1 archive=$2; shift 2
  rm -f "$archive"
  local before after
  before=$(server_ticks)
  # A failing run is shown and still timed: an earlier build being compared may warn wrongly.
  (cd "$work" && /usr/bin/time -f "%e %U %S" -o "$work/time.out" "${priority[@]}" "$@" >/dev/null 2>"$work/run.err") ||
    { echo "$name failed:"; cat "$work/run.err"; }
  [ -f "$archive" ] || { echo "$name wrote no archive"; return; }
  after=$(server_ticks)
  read -r wall user sys < <(tail -n 1 "$work/time.out")  # after time's note of a failing exit
  secs[$name]+="$wall "
  cpus[$name]+="$(echo "$user + $sys + ($after - $before) / $(getconf CLK_TCK)" | bc -l) "
  bytes[$name]=$(stat -c %s "$archive")
  case "$archive" in
    *.zip) unzip -tqq "$archive" >/dev/null || echo "$name: unzip -t FAILED";;
    *) gzip -t "$archive" || echo "$name: gzip -t FAILED";;
  esac
  [[ " ${order[*]} " == *" $name "* ]] || order+=("$name")
}

# Rounds of every tool in turn, so that a shared machine's drift falls on all of them alike.
runs=${BENCH_RUNS:-3}
for t in $trees; do
secs=() cpus=() bytes=() order=()
echo
echo "=== $t"
for _ in $(seq "$runs"); do
  run "zip -9 -r" "$work/zip.zip" zip -9 -r -q zip.zip "$t"
  run "tar | pigz -6 -p 2" "$work/pigz.tar.gz" sh -c "tar -cf - $t | pigz -6 -p 2 > pigz.tar.gz"
  run "7z a -tzip" "$work/7z.zip" 7z a -tzip -bd 7z.zip "$t"
  run "rar -m5 (native)" "$work/rar.zip" "$native_rar" a -r -m5 -ibck rar.zip "$t"
  run "rar -m5 unverified" "$work/rarnv.zip" "$native_unverified" a -r -m5 -ibck rarnv.zip "$t"
  if [ -n "${BENCH_BASELINE:-}" ]; then
    run "rar -m5 baseline" "$work/rarbase.zip" "$BENCH_BASELINE" a -r -m5 -ibck rarbase.zip "$t"
  fi
  if [ -n "${BENCH_LEVELS:-}" ]; then
    run "rar -m4 (native)" "$work/rar4.zip" "$native_rar" a -r -m4 -ibck rar4.zip "$t"
    run "rar -m3 (native)" "$work/rar3.zip" "$native_rar" a -r -m3 -ibck rar3.zip "$t"
  fi
  if [ -n "$wine_ready" ]; then
    run "rar.exe -m5 (Wine)" "$work/rarexe.zip" env LC_ALL=zh_CN.UTF-8 wine "$win_rar" a -r -m5 -ibck \
      "Z:${work//\//\\}\\rarexe.zip" "Z:${work//\//\\}\\$t"
    if [ -f "$win_unverified" ]; then
      run "rar.exe unverified" "$work/rarexenv.zip" env LC_ALL=zh_CN.UTF-8 wine "$win_unverified" a -r -m5 -ibck \
        "Z:${work//\//\\}\\rarexenv.zip" "Z:${work//\//\\}\\$t"
    fi
    if [ -n "${BENCH_BASELINE_EXE:-}" ]; then
      run "rar.exe baseline" "$work/rarexebase.zip" env LC_ALL=zh_CN.UTF-8 wine "$BENCH_BASELINE_EXE" a -r -m5 \
        -ibck "Z:${work//\//\\}\\rarexebase.zip" "Z:${work//\//\\}\\$t"
    fi
  fi
done

# Our own archives pass our own test and unpack to the same tree: the checks against hostile
# archives never refuse them.
mkdir "$work/back"
if "$native_rar" t -ibck "$work/rar.zip" && "$native_rar" x -ibck "$work/rar.zip" "$work/back" &&
   diff -r "$work/$t" "$work/back/$t" >/dev/null; then
  echo "rar t and rar x of our own archive: ok"
else
  echo "rar t and rar x of our own archive: FAILED"
fi
rm -rf "$work/back"
if [ -n "$wine_ready" ]; then
  env LC_ALL=zh_CN.UTF-8 wine "$win_rar" t -ibck "Z:${work//\//\\}\\rarexe.zip" >/dev/null 2>&1 &&
    echo "rar.exe t of its own archive: ok" || echo "rar.exe t of its own archive: FAILED"
fi

# Medians of the runs; zip/tool is how many times faster than zip -9 the tool is, taken round by
# round and then the median.
for name in "${order[@]}"; do
  printf '%s\t%s\t%s\t%s\n' "$name" "${secs[$name]}" "${cpus[$name]}" "${bytes[$name]}"
done > "$work/results.tsv"
python3 - "$work/results.tsv" "$runs" "zip -9 -r" <<'PY'
import statistics, sys
rows = []
for line in open(sys.argv[1]):
    name, walls, cpus, size = line.rstrip("\n").split("\t")
    rows.append((name, [float(x) for x in walls.split()], [float(x) for x in cpus.split()], int(size)))
table = {name: (w, c, b) for name, w, c, b in rows}
bw, bc, bb = table[sys.argv[3]]
print("\n%s runs each; wall and CPU seconds are medians (CPU: user and system, with the Wine"
      " server's for rar.exe)" % sys.argv[2])
print("%-20s %8s %8s %12s %9s %9s %9s" % ("tool", "wall s", "CPU s", "bytes", "zip/tool", "zipCPU/", "size/zip"))
for name, w, c, b in rows:
    n = min(len(w), len(bw))
    speed = statistics.median(bw[i] / w[i] for i in range(n))
    cpu = statistics.median(bc[i] / c[i] for i in range(n))
    print("%-20s %8.2f %8.2f %12d %8.2fx %8.2fx %9.4f"
          % (name, statistics.median(w), statistics.median(c), b, speed, cpu, b / bb))
# What reading the written archive back costs: each build against its twin without the check,
# round by round, then the median.
for verified, unverified in (("rar -m5 (native)", "rar -m5 unverified"),
                             ("rar.exe -m5 (Wine)", "rar.exe unverified"),
                             ("rar -m5 (native)", "rar -m5 baseline"),
                             ("rar.exe -m5 (Wine)", "rar.exe baseline")):
    if verified not in table or unverified not in table:
        continue
    (vw, vc, _), (uw, uc, _) = table[verified], table[unverified]
    n = min(len(vw), len(uw))
    wall = statistics.median(vw[i] / uw[i] - 1 for i in range(n)) * 100
    cpu = statistics.median(vc[i] / uc[i] - 1 for i in range(n)) * 100
    print("%s against %s: %+.1f%% wall (%.2f s against %.2f s), %+.1f%% CPU"
          % (verified, unverified, wall, statistics.median(vw), statistics.median(uw), cpu))
PY
done

if [ -n "${BENCH_ZIP64:-}" ]; then
  big=$work/huge/huge.bin
  mkdir -p "$work/huge"
  head -c 4M /dev/urandom > "$big"
  truncate -s 4608M "$big"
  head -c 4M /dev/urandom >> "$big"
  start=$(date +%s.%N)
  (cd "$work" && "$native_rar" a -r -m5 -ibck huge.zip huge)
  end=$(date +%s.%N)
  printf '\n4.6 GiB file: %.2f s, archive %d bytes\n' "$(echo "$end - $start" | bc)" "$(stat -c %s "$work/huge.zip")"
  unzip -tqq "$work/huge.zip" && echo "unzip -t: ok" || echo "unzip -t: FAILED"
  7z t "$work/huge.zip" >/dev/null && echo "7z t: ok" || echo "7z t: FAILED"
  python3 -c "import zipfile,sys; i=zipfile.ZipFile(sys.argv[1]).getinfo('huge/huge.bin'); print('zipfile: size', i.file_size)" "$work/huge.zip"
fi
