#!/usr/bin/env python3
"""rar.exe end to end under Wine: each command line is written in GBK to a file and started by
rar_launch.exe the way the jobs start the archiver (CreateProcess, hidden, waited for). Every
archive is then read by three independent ZIP readers."""
import os
import shutil
import subprocess
import sys
import zipfile

import rar_bombs
from e2e_support import check, failures, win

rar_exe, launcher, wine_run, job_runner, owned_delete = sys.argv[1:6]
build = os.environ.get("DORVIK_BUILD", os.path.dirname(rar_exe))
work = os.path.join(build, "testroot", "rar_e2e")


def run(line, name):
    """Starts one command line (text, encoded to GBK bytes) and returns the exit code."""
    cmd = os.path.join(work, name + ".cmd.txt")
    with open(cmd, "wb") as f:
        f.write(line.encode("gbk"))
    done = subprocess.run([wine_run, launcher, win(cmd)], capture_output=True)
    if done.returncode not in (0,):
        print("     %s -> exit %d %s" % (name, done.returncode, done.stderr.decode("gbk", "replace").strip()))
    return done.returncode


def readers_accept(archive):
    """unzip -t, Python's zipfile and 7z t all accept the archive; returns its names."""
    ok = subprocess.run(["unzip", "-tqq", archive], capture_output=True).returncode == 0
    ok = subprocess.run(["7z", "t", archive], capture_output=True).returncode == 0 and ok
    with zipfile.ZipFile(archive) as z:
        ok = z.testzip() is None and ok
        names = sorted(z.namelist())
    check(ok, "unzip -t, zipfile and 7z t accept " + os.path.basename(archive))
    return names


def content(archive, name):
    with zipfile.ZipFile(archive) as z:
        return z.read(name)


def make_tree(root):
    files = {
        "index.html": b"<html>shop</html>\n" * 200,
        "index.php": b"<?php echo 1; ?>\n" * 50,
        "cache.txt": b"cached\n",
        "logs/a.log": b"log line\n" * 1000,
        "img/index.png": os.urandom(30000),
        "子目录/数据.txt": "中文内容\n".encode("gbk") * 100,
    }
    for rel, data in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    os.makedirs(os.path.join(root, "empty"), exist_ok=True)
    return files


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
# The archiver folder has a blank and a Chinese name: the jobs start it by an unquoted path.
rar_dir = os.path.join(work, "Win RAR 目录")
os.makedirs(rar_dir)
shutil.copy(rar_exe, os.path.join(rar_dir, "rar.exe"))
arc = win(rar_dir) + "\\"
src = os.path.join(work, "网站", "shop")
files = make_tree(src)
out = os.path.join(work, "bak", "2024-5-1")
os.makedirs(out)
S = win(src)

# Direct archive, all files.
z1 = os.path.join(out, "file_shop_20240501083000.zip")
rc = run(arc + "rar" + " a -r -m5 -o+ -ibck -y  -ilog -k \"" + win(z1) + "\" \"" + S + "\"", "all")
check(rc == 0, "all files: exit 0")
names = readers_accept(z1)
expected = sorted(["shop/"] + ["shop/" + r for r in files] +
                  ["shop/empty/", "shop/img/", "shop/logs/", "shop/子目录/"])
check(names == expected, "all files: names start with the folder's name, GBK names as UTF-8")
check(all(content(z1, "shop/" + r) == d for r, d in files.items()), "all files: contents intact")

# -o+ on the same archive: a changed file replaces its entry, the rest stays.
with open(os.path.join(src, "index.html"), "wb") as f:
    f.write(b"new index\n")
rc = run(arc + "rar" + " a -r -m5 -o+ -ibck -y  -ilog -k \"" + win(z1) + "\" \"" + S + "\"", "again")
check(rc == 0 and readers_accept(z1) == expected, "second run: same names, no duplicates")
check(content(z1, "shop/index.html") == b"new index\n", "second run: the entry was replaced")
files["index.html"] = b"new index\n"

# Include names, one run per item, the mask outside the quotes.
z2 = os.path.join(out, "file_shop_include.zip")
for item in ("index.*", "cache.txt"):
    rc = run(arc + "rar" + " a -r -m5 -o+ -ibck -y  -ilog  \"" + win(z2) + "\" \"" + S + "\"\\" + item, "inc")
    check(rc == 0, "include " + item + ": exit 0")
check(readers_accept(z2) == ["cache.txt", "img/index.png", "index.html", "index.php"],
      "include names: matches in all subfolders, names relative to the folder")

# Exclude names, in the console's and in the service's form of the last argument.
for form, last in (("console", "\"" + S + "\\" + "*.*" + "\""), ("service", "\"" + S + "\"\\" + "*.*")):
    z3 = os.path.join(out, "file_shop_exclude_" + form + ".zip")
    rc = run(arc + "rar" + " a -r -m5 -o+ -ibck -y  -ilog  -xlogs.*  -xcache.txt  \"" + win(z3) + "\" " + last, form)
    check(rc == 0, "exclude (" + form + "): exit 0")
    check(readers_accept(z3) == ["empty/", "img/", "img/index.png", "index.html", "index.php",
                                 "子目录/", "子目录/数据.txt"], "exclude (" + form + "): logs and cache.txt left out")

# Compress after copy: the copy folder beside its archive.
copy = os.path.join(out, "file_shop_20240501083001")
shutil.copytree(src, copy)
rc = run(arc + "rar.exe " + " a -r -m5 -o+ -ibck -y -ilog -k  \"" + win(copy) + ".zip\" \"" + win(copy) + "\"", "after")
check(rc == 0, "compress after copy: exit 0")
check(readers_accept(copy + ".zip")[0] == "file_shop_20240501083001/", "compress after copy: names start with the copy's name")
check(os.path.isdir(copy), "compress after copy: the folder stays")

# SQL backup with -df, then the restore's extract into a folder with a blank (unquoted paths).
sql = os.path.join(work, "sql 备份", "shop", "2024-5-1")
os.makedirs(sql)
bak = os.path.join(sql, "db_shopdb_20240501083000.bak")
bak_data = os.urandom(100000) + b"\0" * 300000
with open(bak, "wb") as f:
    f.write(bak_data)
zbak = bak[:-4] + ".zip"
rc = run(arc + "rar.exe " + " a -r -m5 -o+ -ibck -y -ilog -k -df " + "\"" + win(zbak) + "\"" + " " + "\"" + win(bak) + "\"", "sql")
check(rc == 0, "SQL archive: exit 0")
check(readers_accept(zbak) == ["db_shopdb_20240501083000.bak"], "SQL archive: holds the .bak under its own name")
check(not os.path.exists(bak), "SQL archive: -df deleted the .bak")
# A folder "sql" beside "sql 备份" must not be taken for the archive, and a user's file named
# like an old temporary name survives.
os.makedirs(os.path.join(work, "sql"))
users = bak + ".rartmp"
with open(users, "wb") as f:
    f.write(b"mine")
rc = run(arc + "rar.exe " + " e -y " + win(zbak) + " " + win(sql), "restore")
check(rc == 0, "restore: exit 0")
check(os.path.exists(bak) and open(bak, "rb").read() == bak_data, "restore: the .bak is back beside the archive")
check(open(users, "rb").read() == b"mine", "restore: a user's .rartmp file is left alone")
check(sorted(os.listdir(sql)) == sorted([os.path.basename(p) for p in (bak, zbak, users)]),
      "restore: no temporary file left")
rc = run(arc + "rar.exe " + " e -y " + win(zbak) + " " + win(sql) + "\\", "restore2")
check(rc == 0, "restore with a trailing backslash and -y over the existing file: exit 0")
rc = run(arc + "rar.exe " + " e -y \"" + win(zbak) + "\" \"" + win(sql) + "\"", "restore3")
check(rc == 0, "restore with quoted paths: exit 0")

# A bad command line: exit 7 and a line in rar.log beside rar.exe.
rc = run(arc + "rar.exe " + " a -zz -ilog \"" + win(os.path.join(work, "x.zip")) + "\" \"" + S + "\"", "bad")
log = os.path.join(rar_dir, "rar.log")
check(rc == 7, "unknown switch: exit 7")
check(os.path.exists(log) and b'unknown switch "-zz"' in open(log, "rb").read(), "unknown switch: logged in rar.log")

# More than 65,535 entries: an archive with 70,000 (ZIP64 end records, written by Python) is
# updated with -o+; every old entry is copied and the result needs ZIP64 end records of its own.
# (Starting from 70,000 real files would cost close to a minute of Wine's per-file overhead.)
zmany = os.path.join(work, "many.zip")
with zipfile.ZipFile(zmany, "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(70000):
        z.writestr("d%02d/f%05d.txt" % (i % 100, i), b"%d\n" % i)
rc = run(arc + "rar a -r -m5 -o+ -ibck \"" + win(zmany) + "\" \"" + S + "\\cache.txt\"", "many")
check(rc == 0, "70,000 entries plus one: exit 0")
names = readers_accept(zmany)
check(len(names) == 70001 and "cache.txt" in names, "70,001 entries listed (ZIP64 end records)")
with open(zmany, "rb") as f:
    f.seek(-22 - 20 - 56, 2)
    check(f.read(4) == b"PK\x06\x06", "ZIP64 end of central directory record present")

# Crafted archives: an entry inflating far past the size it declares stops at that size, and
# twelve entries sharing one stream are refused; neither leaves anything behind.
bombs = os.path.join(work, "bombs")
os.makedirs(bombs)
for name, craft, code in (("declared", rar_bombs.declared_too_small, 3), ("shared", rar_bombs.shared_stream, 2)):
    archive = os.path.join(bombs, name + ".zip")
    craft(archive)
    dest = os.path.join(bombs, name)
    os.makedirs(dest)
    for command, target in (("x -y", win(dest)), ("e -o+", win(dest)), ("t", "")):
        rc = run(arc + "rar.exe " + " " + command + " \"" + win(archive) + "\" " + target, name)
        check(rc == code, "%s bomb, %s: exit %d (got %d)" % (name, command, code, rc))
    check(os.listdir(dest) == [], "%s bomb: nothing written" % name)

# Every name NTFS allows, through the real file job: names GBK cannot spell, a trailing dot and
# blank, a 300-character path, an empty folder, a read-only and a hidden file. Read back by
# unzip -l and zipfile, restored by rar.exe x, and the copy deleted as retention deletes it.
def tree_of(top):
    """Every file (path -> bytes) and folder below top, as Linux sees them."""
    found = {}
    for folder, dirs, names in os.walk(top):
        rel = os.path.relpath(folder, top)
        if rel != ".":
            found[rel + "/"] = None
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                found[os.path.join(rel, name) if rel != "." else name] = f.read()
    return found


names_root = os.path.join(work, "names")
wide_src = os.path.join(names_root, "客户资料")
deep = "/".join("level_%02d_abc" % i for i in range(20))
wide_files = {
    "emoji_😀.txt": "😀".encode() * 100,
    "korean_한국어.txt": "한국어\n".encode() * 100,
    "arabic_مرحبا.txt": "مرحبا\n".encode() * 100,
    "trailing dot.": b"dot\n",
    "trailing blank ": b"blank\n",
    "只读.txt": b"read-only\n",
    ".hidden.txt": b"hidden\n",
    "한국어_폴더/내용.bin": os.urandom(5 * 1048576 + 777),  # several chunks, the last one short
    deep + "/deep_😀.txt": b"deep\n" * 1000,
}
for rel, data in wide_files.items():
    path = os.path.join(wide_src, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
os.makedirs(os.path.join(wide_src, "empty_😀"))
os.chmod(os.path.join(wide_src, "只读.txt"), 0o444)
check(len(win(os.path.join(wide_src, deep, "deep_😀.txt"))) > 300, "the deep file's path is over 300 characters")
source_tree = tree_of(wide_src)

prog = os.path.join(names_root, "prog")
store = os.path.join(names_root, "store")
os.makedirs(prog)
os.makedirs(store)
job = subprocess.run([wine_run, job_runner, "zip", arc, win(prog) + "\\", win(wide_src), win(store),
                      "!所有文件/!@指定文件/@##$备份此类型/$", "31"], capture_output=True)
out = job.stdout.decode("gbk", "replace")
check(job.returncode == 0 and "success" in out and "failure" not in out, "file job on every kind of name: %r" % out)
archives = [os.path.join(d, n) for d, _, ns in os.walk(store) for n in ns if n.endswith(".zip")]
check(len(archives) == 1, "the job made one archive: %s" % archives)
if archives:
    wide_zip = archives[0]
    expected = {"客户资料/" + rel: data for rel, data in source_tree.items()}
    expected["客户资料/"] = None
    check(readers_accept(wide_zip) == sorted(expected), "every file and folder is in the archive, exact names")
    listing = subprocess.run(["unzip", "-l", wide_zip], capture_output=True,
                             env=dict(os.environ, LC_ALL="C.UTF-8")).stdout.decode("utf-8", "replace")
    missing = [n for n in expected if n not in listing]
    check(not missing, "unzip -l lists every name: missing %s" % missing)
    with zipfile.ZipFile(wide_zip) as z:
        check(all(z.read(n) == d for n, d in expected.items() if d is not None), "zipfile: every file's bytes")
        check(all(i.flag_bits & 0x800 for i in z.infolist() if not i.filename.isascii()),
              "non-ASCII names carry the UTF-8 flag")

    restore = os.path.join(names_root, "restore")
    os.makedirs(restore)
    rc = run(arc + "rar.exe x -y \"" + win(wide_zip) + "\" \"" + win(restore) + "\"", "wide_x")
    check(rc == 0, "rar.exe x of every kind of name: exit 0")
    restored = tree_of(os.path.join(restore, "客户资料"))
    check(restored == source_tree, "rar.exe x brings the tree back identical: differs in %s"
          % sorted(set(restored.items()) ^ set(source_tree.items()), key=str)[:6])
    flat = os.path.join(names_root, "flat")
    os.makedirs(flat)
    rc = run(arc + "rar.exe e -y \"" + win(wide_zip) + "\" \"" + win(flat) + "\"", "wide_e")
    check(rc == 0 and open(os.path.join(flat, "deep_😀.txt"), "rb").read() == wide_files[deep + "/deep_😀.txt"],
          "rar.exe e writes the deep file flat under its own name")

    # An expired copy of the same tree in a dated folder: deleted whole, as retention does.
    copy_store = os.path.join(names_root, "copies")
    shutil.copytree(wide_src, os.path.join(copy_store, "2024-5-1", "file_客户资料_20240501083000"))
    for folder, _, ns in os.walk(copy_store):
        for n in ns:
            os.chmod(os.path.join(folder, n), 0o644)  # as xcopy leaves a copy: not read-only
    gone = subprocess.run([wine_run, owned_delete, win(copy_store), "2024-5-1"], capture_output=True)
    check(gone.returncode == 0 and os.listdir(copy_store) == [],
          "retention's deletion removes the copy completely: left %s" % tree_of(copy_store))

print("%d failed" % len(failures))
if failures:
    sys.exit(1)
shutil.rmtree(work, ignore_errors=True)
