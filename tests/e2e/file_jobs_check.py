#!/usr/bin/env python3
"""Runs the real file backup job under Wine (real xcopy, cmd and our rar.exe) on a small tree and
checks what it made with readers that are not ours; then eight processes append to one log."""
import os
import re
import shutil
import subprocess
import sys
import zipfile

from e2e_support import check, failures, win

RUNNER, STRESS = sys.argv[1], sys.argv[2]
BUILD = os.environ["DORVIK_BUILD"]
WINE_RUN = os.path.join(os.environ["DORVIK_SOURCE"], "scripts", "wine-run.sh")
RAR = os.path.join(BUILD, "tools", "rar", "rar.exe")
ROOT = os.path.join(BUILD, "testroot", "file_jobs_e2e")


def make_tree(top, files):
    for rel in files:
        path = os.path.join(top, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write("content of " + rel + "\n" * 50)


ALL = {"index.html", "index.php", "readme.txt", "app.exe", "lib.dll", "logs", "cache.txt",
       "data.bak", "sub/index.js", "sub/a.log", "sub/b.exe", "sub/cache.txt", "sub/deep/c.log",
       "sub/deep/notes.txt"}
FILTERS = [
    ("all", "!所有文件/!@指定文件/@##$备份此类型/$", ALL),
    ("include-names", "!指定文件/!@指定文件名/@#index,readme.txt/#$备份此文件/$",
     {"index.html", "index.php", "sub/index.js", "readme.txt"}),
    ("exclude-names", "!指定文件/!@指定文件名/@#logs,cache.txt/#$备份其它文件/$",
     ALL - {"logs", "cache.txt", "sub/cache.txt"}),
    ("include-types", "!指定文件/!@指定类型/@#exe,.dll/#$备份此类型/$",
     {"app.exe", "lib.dll", "sub/b.exe"}),
    ("exclude-types", "!指定文件/!@指定类型/@#log/#$备份其它类型/$",
     ALL - {"sub/a.log", "sub/deep/c.log"}),
]


def run_job(mode, source, store, strfile, key):
    os.makedirs(store, exist_ok=True)
    args = [WINE_RUN, RUNNER, mode, win(os.path.dirname(RAR)) + "\\", win(PROG) + "\\",
            win(source), win(store), strfile, key]
    done = subprocess.run(args, capture_output=True)
    return done.returncode, done.stdout.decode("gbk", "replace")


def zip_files(path, source_name):
    """File entries of an archive, the leading source or copy folder name taken off."""
    with zipfile.ZipFile(path) as z:
        check(z.testzip() is None, f"{path}: zipfile finds a bad entry")
        names = [n for n in z.namelist() if not n.endswith("/")]
    if shutil.which("unzip"):
        test = subprocess.run(["unzip", "-tqq", path], capture_output=True)
        check(test.returncode == 0, f"{path}: unzip -t says {test.stdout!r} {test.stderr!r}")
    out = set()
    for name in names:
        first, _, rest = name.partition("/")
        if rest and (first == source_name or first.startswith("file_" + source_name + "_")):
            name = rest
        out.add(name)
    return out


def folder_files(path):
    return {os.path.relpath(os.path.join(d, f), path).replace(os.sep, "/")
            for d, _, fs in os.walk(path) for f in fs}


def outputs(store):
    dated = os.listdir(store)
    check(len(dated) == 1 and re.fullmatch(r"\d{4}-\d{1,2}-\d{1,2}", dated[0] if dated else ""),
          f"{store}: one date folder, found {dated}")
    day = os.path.join(store, dated[0]) if dated else store
    return day, sorted(os.listdir(day)) if dated else []


def check_case(mode, name, source, expected, strfile, key):
    store = os.path.join(ROOT, "store", f"{mode}-{name}")
    source_name = os.path.basename(source)
    rc, out = run_job(mode, source, store, strfile, key)
    check(rc == 0 and "failure" not in out, f"{mode} {name}: rc {rc}, output {out!r}")
    day, made = outputs(store)
    folders = [m for m in made if os.path.isdir(os.path.join(day, m))]
    zips = [m for m in made if m.endswith(".zip")]
    if mode == "zip":
        check(not folders and len(zips) == 1, f"{mode} {name}: made {made}")
        if zips:
            check(re.fullmatch("file_" + re.escape(source_name) + r"_\d{14}\.zip", zips[0]),
                  f"{mode} {name}: archive name {zips[0]}")
    else:
        check(len(folders) == 1, f"{mode} {name}: made {made}")
        check(len(zips) == (1 if mode == "copyzip" else 0), f"{mode} {name}: made {made}")
        if folders:
            got = folder_files(os.path.join(day, folders[0]))
            check(got == expected, f"{mode} {name}: copy holds {sorted(got)}, expected {sorted(expected)}")
            if zips:
                check(zips[0] == folders[0] + ".zip", f"{mode} {name}: archive {zips[0]} beside {folders[0]}")
    if zips:
        got = zip_files(os.path.join(day, zips[0]), source_name)
        check(got == expected, f"{mode} {name}: archive holds {sorted(got)}, expected {sorted(expected)}")
    print(f"ok: {mode:8} {name:14} -> {made}")


def parse_log_line(line, sources):
    """Key, time and output of a file log line laid out "%-15s" "    %s" "    %-30s" "    %s"
    (widths in GBK bytes); None when the layout is off."""
    raw = line.encode("gbk")
    key = raw.split(b" ")[0]
    at = max(15, len(key))
    if raw[len(key):at] != b" " * (at - len(key)) or raw[at:at + 4] != b"    ":
        return None
    time = raw[at + 4:at + 23].decode()
    if not re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", time) or raw[at + 23:at + 27] != b"    ":
        return None
    rest = raw[at + 27:]
    for source in sources:
        field = source.encode("gbk").ljust(30) + b"    "
        if rest.startswith(field):
            return key.decode(), time, rest[len(field):].decode("gbk")
    return None


def check_log(expected_lines, sources):
    logs = os.listdir(os.path.join(PROG, "Log"))
    check(len(logs) == 1 and re.fullmatch(r"\d{4}_\d\d_\d\d\.log", logs[0]), f"log files {logs}")
    data = open(os.path.join(PROG, "Log", logs[0]), "rb").read()
    check(data.endswith(b"\r\n") and b"\n" not in data.replace(b"\r\n", b""), "every line ends in CR LF")
    lines = data.decode("gbk").split("\r\n")[:-1]
    check(len(lines) == expected_lines, f"{len(lines)} log lines, expected {expected_lines}")
    for line in lines:
        parsed = parse_log_line(line, [win(s) for s in sources])
        check(parsed is not None, f"log line layout: {line!r}")
        if parsed:
            path = parsed[2][2:].replace("\\", "/")
            check(os.path.exists(path), f"logged output exists: {path}")
            check(logs[0] == parsed[1][:10].replace("-", "_") + ".log", f"log file of the day: {line!r}")


def main():
    global PROG
    shutil.rmtree(ROOT, ignore_errors=True)
    PROG = os.path.join(ROOT, "prog")
    os.makedirs(PROG)
    shop = os.path.join(ROOT, "src", "shop")
    make_tree(shop, ALL)
    modes = ["zip", "copy", "copyzip"]
    if not os.path.exists(RAR):
        print(f"skipped: archive checks ({RAR} not built); copy mode only")
        modes = ["copy"]
    lines = 0
    for mode in modes:
        for name, strfile, expected in FILTERS:
            check_case(mode, name, shop, expected, strfile, "7")
            lines += 2 if mode == "copyzip" else 1

    # A source folder with a Chinese name, end to end.
    chinese = os.path.join(ROOT, "src", "数据目录")
    make_tree(chinese, {"报告.txt", "子目录/表.log", "子目录/说明.doc"})
    for mode in modes:
        check_case(mode, "chinese", chinese, {"报告.txt", "子目录/说明.doc"},
                   "!指定文件/!@指定类型/@#log/#$备份其它类型/$", "12")
        lines += 2 if mode == "copyzip" else 1
    check_log(lines, [shop, chinese])

    # Failures are seen: a missing source makes xcopy fail, and the run says so.
    rc, out = run_job("copy", os.path.join(ROOT, "src", "gone"), os.path.join(ROOT, "store", "gone"),
                      "!所有文件/!", "8")
    check(rc == 1 and "failure: 备份失败：命令 xcopy" in out and "退出代码" in out and "success" not in out,
          f"missing source: rc {rc}, output {out!r}")
    # cmd never sees a typed item with metacharacters.
    marker = os.path.join(ROOT, "pwned")
    rc, out = run_job("copy", shop, os.path.join(ROOT, "store", "meta"),
                      "!指定文件/!@指定类型/@#log&echo x>" + win(marker) + "/#$备份其它类型/$", "9")
    check(rc == 1 and "含有不允许的字符" in out and not os.path.exists(marker),
          f"metacharacters refused: rc {rc}, output {out!r}")
    print("ok: failures reported, metacharacters refused")

    # Eight processes appending 1,000 lines each to one day's log: 8,000 whole lines.
    stress = os.path.join(ROOT, "stress")
    os.makedirs(stress)
    procs = [subprocess.Popen([WINE_RUN, STRESS, win(stress) + "\\", str(w), "1000"])
             for w in range(8)]
    codes = [p.wait() for p in procs]
    check(codes == [0] * 8, f"writers' exit codes {codes}")
    data = open(os.path.join(stress, "Log", "2024_05_01.log"), "rb").read().decode("ascii")
    got = data.split("\r\n")
    check(got[-1] == "", "the log ends with a whole line")
    padding = "x" * 120
    expected = set()
    for w in range(8):
        source = "C:\\src\\" + str(w)
        expected |= {f"w{w:<14}    2024-05-01 08:30:00    {source:<30}    D:\\bak\\{w}\\{i}\\{padding}"
                     for i in range(1000)}
    check(len(got) - 1 == 8000 and set(got[:-1]) == expected,
          f"{len(got) - 1} lines, {len(set(got[:-1]) - expected)} torn")
    print(f"ok: {len(got) - 1} whole lines from 8 writers")

    if failures:
        print(f"{len(failures)} checks failed")
        return 1
    print("all file job checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
