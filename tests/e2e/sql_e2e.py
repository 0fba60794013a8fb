#!/usr/bin/env python3
"""Backup.exe under Wine, run as the service runs it (the whole record in quotes, then 是 or 否),
against the SQL Server test driver through Wine's odbc32 and unixODBC. Archives are checked with
Python's zipfile, backups by their content, log lines byte for byte, config.db by its bytes.

usage: sql_e2e.py BACKUP_EXE EXAMPLE_CONFIG_EXE [RAR_EXE]"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import zipfile

from e2e_support import check, failures, win

BACKUP_EXE, EXAMPLE_CONFIG = sys.argv[1], sys.argv[2]
RAR_EXE = sys.argv[3] if len(sys.argv) > 3 and os.path.isfile(sys.argv[3]) else ""
WINE_RUN = os.path.join(os.environ["DORVIK_SOURCE"], "scripts", "wine-run.sh")
ODBCSYSINI = os.path.join(os.environ["DORVIK_NATIVE_BUILD"], "tests", "sqlserver", "odbc")
ROOT = os.path.join(os.environ["DORVIK_BUILD"], "testroot", "sql_e2e")


def record(sqlname, despath, iscut, project="nightly"):
    return ("<Check>YES</Check>    <sqlname>%s</sqlname>    <sqlpath>%s</sqlpath>    <despath>%s</despath>    "
            "<iscut>%s</iscut>    <date>每天</date>    <time>3</time>    <status>-</status>    <num>2</num>    "
            "<id>4</id>    <projectname>%s</projectname>    <issave>保留</issave>" %
            (sqlname, despath, despath, iscut, project))


class Case:
    def __init__(self, name, databases, failures_file=""):
        self.dir = os.path.join(ROOT, name)
        shutil.rmtree(self.dir, ignore_errors=True)
        self.prog, self.state, self.store = (os.path.join(self.dir, d) for d in ("prog", "state", "store it's"))
        for d in (self.prog, self.state, self.store):
            os.makedirs(d)
        shutil.copy(BACKUP_EXE, os.path.join(self.prog, "Backup.exe"))
        shutil.copy(os.path.join(ROOT, "tools", "config.db"), self.prog)
        with open(os.path.join(self.state, "databases"), "w", encoding="utf-8") as f:
            f.write("".join("%s\t%s rows\n" % (db, db) for db in databases))
        with open(os.path.join(self.state, "failures"), "w", encoding="utf-8") as f:
            f.write(failures_file)

    def run(self, *args, env_extra=None):
        env = dict(os.environ, ODBCSYSINI=ODBCSYSINI, DORVIK_SQLSERVER_STATE=self.state, **(env_extra or {}))
        config = self.config_bytes()
        done = subprocess.run([WINE_RUN, os.path.join(self.prog, "Backup.exe")] + list(args), env=env,
                              capture_output=True, timeout=120)
        check(self.config_bytes() == config, "config.db unchanged")
        return done.returncode, done.stderr.decode("gbk", "replace")

    def config_bytes(self):
        with open(os.path.join(self.prog, "config.db"), "rb") as f:
            return hashlib.sha256(f.read()).hexdigest()

    def run_folder(self, project="nightly"):
        base = os.path.join(self.store, project)
        days = os.listdir(base) if os.path.isdir(base) else []
        return os.path.join(base, days[0]) if len(days) == 1 else None

    def outputs(self, project="nightly"):
        folder = self.run_folder(project)
        return sorted(os.listdir(folder)) if folder else []

    def log_bytes(self):
        folder = os.path.join(self.prog, "Log")
        names = os.listdir(folder) if os.path.isdir(folder) else []
        return b"".join(open(os.path.join(folder, n), "rb").read() for n in sorted(names))

    def expected_log(self, project="nightly"):
        """One line per output file, in the order given by the statements sent."""
        lines = b""
        folder = self.run_folder(project)
        for statement in self.statements():
            m = re.match(r"backup database \[(.*)\] to disk='(.*)'$", statement)
            path = m.group(2).replace("''", "'")
            for candidate in (path[:-4] + ".zip", path):
                unix = candidate[2:].replace("\\", "/")
                if os.path.exists(unix):
                    stamp = re.search(r"_(\d{14})\.(bak|zip)$", candidate).group(1)
                    when = "%s-%s-%s %s:%s:%s" % (stamp[0:4], stamp[4:6], stamp[6:8], stamp[8:10], stamp[10:12],
                                                   stamp[12:14])
                    key = project.encode("gbk")
                    lines += key.ljust(15) + b"    " + when.encode() + b"    " + candidate.encode("gbk") + b"\r\n"
                    break
        return lines if folder else b""

    def statements(self):
        path = os.path.join(self.state, "queries.log")
        if not os.path.exists(path):
            return []
        text = open(path, encoding="utf-8").read()
        return [line for line in text.split("\n") if line.startswith("backup database")]


def bak_content(path, database):
    with open(path, encoding="utf-8") as f:
        return f.read() == "DORVIK-SQLSERVER-BACKUP\ndatabase=%s\ncontent=%s rows\n" % (database, database)


def main():
    tools = os.path.join(ROOT, "tools")
    shutil.rmtree(ROOT, ignore_errors=True)
    os.makedirs(tools)
    if RAR_EXE:
        shutil.copy(RAR_EXE, tools)
    subprocess.run([WINE_RUN, EXAMPLE_CONFIG, win(tools), "Z:\\tmp", "Z:\\tmp", "Z:\\tmp"], check=True,
                   capture_output=True, timeout=300)

    print("-- a comma list, no archiving, a store path with a quote")
    c = Case("list_plain", ["shop", "crm"])
    rc, err = c.run(record("shop,crm", win(c.store), "否"), "否")
    check(rc == 0, "exit code 0 " + err)
    outs = c.outputs()
    check([o[:7] for o in outs] == ["db_crm_", "db_shop"] and all(o.endswith(".bak") for o in outs), "two .bak files")
    check(all(bak_content(os.path.join(c.run_folder(), o), o.split("_")[1]) for o in outs), "backups hold their database")
    check(c.log_bytes() == c.expected_log() and c.log_bytes().count(b"\r\n") == 2, "two log lines, .bak paths")

    if RAR_EXE:
        print("-- one database, archived")
        c = Case("one_archived", ["shop"])
        rc, err = c.run(record("shop", win(c.store), "是"), "是")
        check(rc == 0, "exit code 0 " + err)
        outs = c.outputs()
        check(len(outs) == 1 and outs[0].endswith(".zip"), "one .zip, the .bak is gone: %s" % outs)
        if outs:
            with zipfile.ZipFile(os.path.join(c.run_folder(), outs[0])) as z:
                check(z.testzip() is None and [n.split("/")[-1] for n in z.namelist()] == [outs[0][:-4] + ".bak"],
                      "the .zip holds the .bak: %s" % z.namelist())
        check(c.log_bytes() == c.expected_log() and c.log_bytes().count(b"\r\n") == 1, "one log line, .zip path")
    else:
        print("SKIPPED: archiving checks, no rar.exe built yet")

    for iscut in (("否", "是") if RAR_EXE else ("否",)):
        print("-- all databases, iscut " + iscut)
        c = Case("all_" + ("zip" if iscut == "是" else "bak"), ["shop", "crm"])
        rc, err = c.run(record("所有数据库", win(c.store), iscut), iscut)
        check(rc == 0, "exit code 0 " + err)
        names = [o.split("_")[1] for o in c.outputs()]
        check(names == ["crm", "model", "msdb", "shop"], "model, msdb and the user databases, no master/tempdb: %s" % names)
        check(all(o.endswith(".zip" if iscut == "是" else ".bak") for o in c.outputs()), "outputs of the mode")
        check(c.log_bytes() == c.expected_log() and c.log_bytes().count(b"\r\n") == 4, "four log lines")

    for iscut in (("否", "是") if RAR_EXE else ("否",)):
        print("-- a failing database, iscut " + iscut)
        c = Case("failing_" + ("zip" if iscut == "是" else "bak"), ["shop", "crm"], "crm\trights\n")
        rc, err = c.run(record("shop,crm,model", win(c.store), iscut), iscut)
        check(rc == 1, "exit code 1 (%d)" % rc)
        check("BACKUP DATABASE permission denied in database 'crm'." in err, "the server's description reported")
        outs = c.outputs()
        if iscut == "是":
            check(len(c.statements()) == 2, "model never tried")
            check(outs == [o for o in outs if o.startswith("db_shop_") and o.endswith(".bak")] and len(outs) == 1,
                  "no archives; shop's .bak stays: %s" % outs)
            check(c.log_bytes() == b"", "no log lines")
        else:
            check([o.split("_")[1] for o in outs] == ["model", "shop"], "the others backed up: %s" % outs)
            check(c.log_bytes() == c.expected_log() and c.log_bytes().count(b"\r\n") == 2, "no line for crm")

    print("-- names with ] and ', a Chinese name and project, no archiving and archived")
    c = Case("quoting", ["a]b'c", "销售"])
    rc, err = c.run(record("a]b'c,销售", win(c.store), "否", "夜间"), "否")
    check(rc == 0, "exit code 0 " + err)
    check([o.split("_")[1] for o in c.outputs("夜间")] == ["a]b'c", "销售"], "both backed up: %s" % c.outputs("夜间"))
    check(c.log_bytes() == c.expected_log("夜间") and c.log_bytes().count(b"\r\n") == 2, "two GBK log lines")
    if RAR_EXE:
        c = Case("quoting_zip", ["a]b'c"])
        rc, err = c.run(record("a]b'c", win(c.store), "是"), "是")
        check(rc == 0 and len(c.outputs()) == 1 and c.outputs()[0].endswith(".zip"), "archived: %s" % c.outputs())

    print("-- no server, bad command line")
    c = Case("refused", ["shop"])
    open(os.path.join(c.state, "refuse_connections"), "w").close()
    rc, err = c.run(record("shop", win(c.store), "否"), "否")
    check(rc == 3 and "SQL Server does not exist or access denied." in err, "exit code 3 with the reason (%d)" % rc)
    check(not os.path.exists(os.path.join(c.store, "nightly")) and c.log_bytes() == b"", "nothing made")
    rc, err = c.run("norecord", "否")
    check(rc == 2, "no quoted record: exit code 2 (%d)" % rc)
    rc, err = c.run(record("shop", win(c.store), "否"), "maybe")
    check(rc == 2, "neither 是 nor 否: exit code 2 (%d)" % rc)

    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
