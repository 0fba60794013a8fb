#!/usr/bin/env bash
# Benchmark of our archiver against Info-ZIP zip -9 and 7-Zip's ZIP writer on a generated tree
# (many small text, JSON and CSV files, some incompressible ones, a few large half-text
# half-random files). Prints each tool's wall time and archive size, and both as ratios to zip -9.
#   BENCH_MB     approximate size of the tree (default 300)
#   BUILD_ROOT   where to build (default <source>/build); a release native tree is made in
#                $BUILD_ROOT/bench-native, rar.exe is taken from $BUILD_ROOT/win when present
#   BENCH_LEVELS also time native rar at -m3 and -m4 (any value)
#   BENCH_ZIP64  also archive one 4.5 GiB file (sparse, random data at both ends) with the
#                native rar and check the ZIP64 archive with unzip -t and 7z t (any value)
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${BUILD_ROOT:-$src/build}
mb=${BENCH_MB:-300}

cmake -S "$src" -B "$root/bench-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORVIK_SANITIZE=OFF >/dev/null
cmake --build "$root/bench-native" --target rar -j 2 >/dev/null
native_rar=$root/bench-native/tools/rar/rar
win_rar=$root/win/tools/rar/rar.exe

work=$(mktemp -d "${TMPDIR:-/tmp}/rar_bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "generating a tree of about ${mb} MB in $work"
python3 - "$work/tree" "$mb" <<'PY'
import os, random, sys
root, mb = sys.argv[1], int(sys.argv[2])
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
scale = mb / 300.0
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
for i in range(max(1, int(4 * scale))):
    half = 25 << 20
    put("%s/big/dump%d.dat" % (root, i), b"".join(text(1 << 20) for _ in range(half >> 20)) + os.urandom(half))
PY
tree_mb=$(du -sm "$work/tree" | cut -f1)
files=$(find "$work/tree" -type f | wc -l)
echo "tree: ${tree_mb} MB in ${files} files; $(nproc) processors"

# run NAME ARCHIVE COMMAND...: times one archiver run from the tree's parent folder.
declare -A secs bytes
order=()
run() {
  local name=$1 archive=$2; shift 2
  rm -f "$archive"
  local start end
  start=$(date +%s.%N)
  (cd "$work" && "$@" >/dev/null 2>"$work/$name.err") || { echo "$name failed:"; cat "$work/$name.err"; return; }
  end=$(date +%s.%N)
  secs[$name]=$(echo "$end - $start" | bc)
  bytes[$name]=$(stat -c %s "$archive")
  unzip -tqq "$archive" >/dev/null || echo "$name: unzip -t FAILED"
  order+=("$name")
}

run "zip -9 -r" "$work/zip.zip" zip -9 -r -q zip.zip tree
run "7z a -tzip" "$work/7z.zip" 7z a -tzip -bd 7z.zip tree
run "rar -m5 (native)" "$work/rar.zip" "$native_rar" a -r -m5 -ibck rar.zip tree
if [ -n "${BENCH_LEVELS:-}" ]; then
  run "rar -m4 (native)" "$work/rar4.zip" "$native_rar" a -r -m4 -ibck rar4.zip tree
  run "rar -m3 (native)" "$work/rar3.zip" "$native_rar" a -r -m3 -ibck rar3.zip tree
fi
if [ -f "$win_rar" ] && command -v wine >/dev/null; then
  export WINEPREFIX=${DORVIK_WINEPREFIX:-$root/win/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -d "$WINEPREFIX" ] || env LC_ALL=zh_CN.UTF-8 wineboot --init >/dev/null 2>&1
  run "rar.exe -m5 (Wine)" "$work/rarexe.zip" env LC_ALL=zh_CN.UTF-8 wine "$win_rar" a -r -m5 -ibck \
    "Z:${work//\//\\}\\rarexe.zip" "Z:${work//\//\\}\\tree"
fi

base_s=${secs["zip -9 -r"]}; base_b=${bytes["zip -9 -r"]}
printf '\n%-22s %9s %14s %10s %10s\n' tool seconds bytes time/zip size/zip
for name in "${order[@]}"; do
  printf '%-22s %9.2f %14d %10.3f %10.4f\n' "$name" "${secs[$name]}" "${bytes[$name]}" \
    "$(echo "${secs[$name]} / $base_s" | bc -l)" "$(echo "${bytes[$name]} / $base_b" | bc -l)"
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
