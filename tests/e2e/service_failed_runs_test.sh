#!/usr/bin/env bash
# Failed runs under the real service, one shifted day after another (faketime, from 2024-05-01
# just before noon; rule 删除1天以前的): three tasks due at 12:00, one per mode (archive "是",
# copy "否", "备份后压缩"), succeed on 5-1; from 5-2 on a program holds one file of each source
# open without sharing, so every run fails (our rar.exe exits 6; Wine's xcopy exits 0 but stops
# short). Each day's retention pass at start keeps the 5-1 backups, which the log names, and
# lets the failed runs' ".incomplete" outputs expire by age; the log lists only 5-1's backups.
# service_failed_runs_test.sh DORVIKSVC_EXE EXAMPLE_CONFIG_EXE RAR_EXE
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/service_common.sh"
svc_exe=$1 example=$2 rar_exe=$3
root="$DORVIK_BUILD/testroot/service_failed_runs"
prog="$root/program"
rm -rf "$root"; mkdir -p "$prog" "$root/unused" "$root/unused-store"
cp "$svc_exe" "$prog/Dorviksvc.exe"; cp "$rar_exe" "$prog/rar.exe"
for src in zsrc csrc bsrc; do
  mkdir -p "$root/$src" "$root/$src-store"
  echo "first" > "$root/$src/a.txt"; echo "held open by a database server" > "$root/$src/m.db"
  echo "last" > "$root/$src/z.txt"
done
task() { echo "$(win "$root/$1");$(win "$root/$1-store");$2;每天;12;删除1天以前的"; }
"$RUN" "$example" "$(win "$prog")" "$(win "$root/unused")" "$(win "$root/unused-store")" "$(win "$root/sql")" \
  --file-task "$(task zsrc 是)" --file-task "$(task csrc 否)" --file-task "$(task bsrc 备份后压缩)" >/dev/null 2>&1

# The locker leads a process group of its own, as the keeper does; the "finish" trap's
# wineserver -k ends it too when the script stops early.
LOCKER=""
stop_locker() {
  if [ -n "$LOCKER" ]; then kill -- "-$LOCKER" 2>/dev/null || true; LOCKER=""; fi
}
lock_sources() {
  setsid "$RUN" "$PROBE" lock 600 "$(win "$root/zsrc/m.db")" "$(win "$root/csrc/m.db")" \
    "$(win "$root/bsrc/m.db")" >"$root/locker.out" 2>&1 &
  LOCKER=$!
  for _ in $(seq 40); do grep -qs locked "$root/locker.out" && return 0; sleep 0.25; done
  fail "the locker did not lock: $(cat "$root/locker.out")"
}
logged() { cat "$prog"/Log/*.log 2>/dev/null | grep -ac "" || true; }
# What each task leaves once its 12:00 run has ended (the failed run's renames come last).
done_on() {  # date folder, good|failed
  local d=$1
  if [ "$2" == good ]; then [ "$(logged)" -ge 4 ]; return; fi
  compgen -G "$root/zsrc-store/$d/file_zsrc_*.incomplete.zip" >/dev/null &&
    compgen -G "$root/csrc-store/$d/file_csrc_*.incomplete" >/dev/null &&
    compgen -G "$root/bsrc-store/$d/file_bsrc_*.incomplete" >/dev/null
}
# One day: the service starts at 11:59:50 (its retention pass runs at once), the tasks run at
# 12:00, then it stops. The kernel stamps what Wine writes with the real time, so the day's
# outputs get a shifted time, 13:00 of their day: an hour's margin either way for the day after's
# passes (a pass under load may take a while), as retention would see them on a real server.
day() {  # date, good|failed
  local date=$1 folder
  folder=$(date -d "$date" +%Y-%-m-%-d)
  install_service_at "$date 11:59:50" "$prog/Dorviksvc.exe"
  [ "$2" == failed ] && lock_sources
  for _ in $(seq 240); do done_on "$folder" "$2" && break; sleep 0.5; done
  done_on "$folder" "$2" || fail "$date: the runs did not end as $2: $(cd "$root" && find ./*-store | sort)"
  sleep 1
  # Removed while the prefix still runs on the day's clock: a service left registered would be
  # started again, on the real clock, by whatever brings the prefix up next.
  remove_service
  stop_locker
  find "$root"/*-store/"$folder" -exec touch -h -d "$date 13:00" {} +
  echo "ok: $date: the three runs ended $2"
}

day 2024-05-01 good
day 2024-05-02 failed
day 2024-05-03 failed
day 2024-05-04 failed

echo "--- on disk after the pass and the failed runs of 2024-05-04:"
(cd "$root" && find zsrc-store csrc-store bsrc-store -mindepth 1 | LC_ALL=C sort)
echo "--- the backup log:"
cat "$prog"/Log/*.log | iconv -f GBK -t UTF-8 | tr -d '\r'
echo "---"

python3 - "$root" <<'PY' || fail "what the runs and the retention passes left"
import glob, os, re, sys, zipfile
root = sys.argv[1]
def entries(store):
    out = []
    for day in sorted(os.listdir(os.path.join(root, store))):
        for name in sorted(os.listdir(os.path.join(root, store, day))):
            out.append(day + "/" + re.sub(r"_2024\d{10}", "_STAMP", name))
    return out
good = {"zsrc": ["file_zsrc_STAMP.zip"], "csrc": ["file_csrc_STAMP"],
        "bsrc": ["file_bsrc_STAMP", "file_bsrc_STAMP.zip"]}
failed = {"zsrc": ["file_zsrc_STAMP.incomplete.zip"], "csrc": ["file_csrc_STAMP.incomplete"],
          "bsrc": ["file_bsrc_STAMP.incomplete", "file_bsrc_STAMP.incomplete.zip"]}
for src in good:
    expected = (["2024-5-1/" + n for n in good[src]] + ["2024-5-3/" + n for n in failed[src]] +
                ["2024-5-4/" + n for n in failed[src]])
    actual = entries(src + "-store")
    assert actual == expected, (src, actual, expected)
print("ok: every task keeps its 5-1 backup; 5-2's failed outputs expired; 5-3 and 5-4's are incomplete")

def zip_names(path):
    z = zipfile.ZipFile(path)
    assert z.testzip() is None, path
    return sorted(os.path.basename(n) for n in z.namelist() if not n.endswith("/"))
everything = ["a.txt", "m.db", "z.txt"]
day1 = lambda src, pattern: glob.glob(os.path.join(root, src + "-store", "2024-5-1", pattern))[0]
assert zip_names(day1("zsrc", "*.zip")) == everything
assert zip_names(day1("bsrc", "*.zip")) == everything
assert sorted(os.listdir(day1("csrc", "file_csrc_*"))) == everything
held = glob.glob(os.path.join(root, "zsrc-store", "2024-5-4", "*.incomplete.zip"))[0]
assert zip_names(held) == ["a.txt", "z.txt"], zip_names(held)
copied = glob.glob(os.path.join(root, "csrc-store", "2024-5-4", "*.incomplete"))[0]
assert "m.db" not in os.listdir(copied), os.listdir(copied)
print("ok: the kept backups hold every file (zipfile); the failed ones all but the held one")

lines = []
for log in sorted(glob.glob(os.path.join(root, "program", "Log", "*.log"))):
    lines += [(os.path.basename(log), l) for l in open(log, "rb").read().decode("gbk").splitlines() if l.strip()]
outputs = sorted(re.sub(r"_2024\d{10}", "_STAMP", l.split("\\")[-1]) for _, l in lines)
assert [f for f, _ in lines] == ["2024_05_01.log"] * 4, lines
assert outputs == sorted(sum(good.values(), [])), outputs
print("ok: the log (what the history lists) names only the four outputs of the good runs")
PY
echo "service failed runs: all checks passed"
