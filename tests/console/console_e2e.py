#!/usr/bin/env python3
"""DorvikUI.exe under a private Xvfb display, operated as an administrator operates it: file and
SQL Server tasks created, changed, disabled and deleted through the real editors, config.db read
back after each step and compared byte for byte with records written out here, every validation
message read from the real message box, backups started from the main window and checked with
Python's zipfile, and the service watched through the service manager. Screenshots are kept in
the build folder (console-screenshots/).

usage: console_e2e.py DORVIKUI DORVIKSVC RAR BACKUP CONSOLE_DRIVER SERVICE_PROBE
Exits 77 (skipped) while the console has no main window template yet."""
import datetime
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path[:0] = [os.path.join(SOURCE, "tests", "e2e"), os.path.join(SOURCE, "tests", "config")]
from config_db import scramble, unscramble  # noqa: E402
from console_session import MAIN, Driver, DriverError, Session, resource_ids  # noqa: E402
from e2e_support import check, outcome, win  # noqa: E402

UI, SVC, RAR, BACKUP, DRIVER_EXE, PROBE = sys.argv[1:7]
BUILD = os.environ["DORVIK_BUILD"]
ROOT = os.path.join(BUILD, "testroot", "console")
SHOTS = os.path.join(BUILD, "console-screenshots")
PROG = os.path.join(ROOT, "prog")
SRC = os.path.join(ROOT, "NO YES", "data")
BAK = os.path.join(ROOT, "bak")
# The earlier tasks keep their backups apart: the service's retention pass at each restart
# removes empty date folders below their storage folder, which could take the dated folder of
# an immediate backup from under the archiver.
BAK_OLD = os.path.join(ROOT, "bak-old")
SQLBAK = os.path.join(ROOT, "sqlbak")
SERVER = os.path.join(ROOT, "server")
SKIPPED = 77

FILE_EDITOR = "文件备份选项"
SQL_EDITOR = "MSSQL Server数据库备份设置 - Varnel·Dorvik"


R = resource_ids()

# The tasks found in config.db when the console starts. The worked examples below are typed into
# the editors; they get identifier 5 (after file task 4, the last record) and 4 (after the
# listed SQL Server tasks 1 and 3).
FILE_3 = ("<Check>YES</Check>    <SouPath>{src}</SouPath>    <DesPath>{old}</DesPath>    "
          "<strfile>!所有文件/!@指定文件/@#/#$备份此类型/$</strfile>    <status>-</status>    "
          "<striscut>否</striscut>    <strdate>每天</strdate>    <m_strtime>12</m_strtime>    "
          "<m_strID>3</m_strID>    <strissave>保留</strissave>")
FILE_4 = ("<Check>NO</Check>    <SouPath>{src}</SouPath>    <DesPath>{old}</DesPath>    "
          "<strfile>!所有文件/!@指定文件/@#/#$备份此类型/$</strfile>    <status>-</status>    "
          "<striscut>备份后压缩</striscut>    <strdate>5月1号</strdate>    <m_strtime>9</m_strtime>    "
          "<m_strID>4</m_strID>    <strissave>删除7天以前的</strissave>")
FILE_5 = ("<Check>YES</Check>    <SouPath>{src}</SouPath>    <DesPath>{bak}</DesPath>    "
          "<strfile>!指定文件/!@指定文件名/@#file,test.*/#$备份其它文件/$</strfile>    <status>-</status>    "
          "<striscut>是</striscut>    <strdate>每周3</strdate>    <m_strtime>2,14</m_strtime>    "
          "<m_strID>5</m_strID>    <strissave>删除30天以前的</strissave>")
SQL_1 = ("<Check>YES</Check>    <sqlname>myshop</sqlname>    <sqlpath>{sqlbak}</sqlpath>    "
         "<despath>{sqlbak}</despath>    <iscut>否</iscut>    <date>每周星期5</date>    <time>22</time>    "
         "<status>-</status>    <num>1</num>    <id>1</id>    <projectname>NOYES</projectname>    "
         "<issave>保留</issave>")
SQL_3 = ("<Check>NO</Check>    <sqlname>myshop</sqlname>    <sqlpath>{sqlbak}</sqlpath>    "
         "<despath>{sqlbak}</despath>    <iscut>否</iscut>    <date>每月1号</date>    <time>2</time>    "
         "<status>-</status>    <num>1</num>    <id>3</id>    <projectname>monthly</projectname>    "
         "<issave>删除10天以前的</issave>")
SQL_4 = ("<Check>YES</Check>    <sqlname>shop,crm</sqlname>    <sqlpath>{sqlbak}</sqlpath>    "
         "<despath>{sqlbak}</despath>    <iscut>是</iscut>    <date>每天</date>    <time>3</time>    "
         "<status>-</status>    <num>2</num>    <id>4</id>    <projectname>nightly</projectname>    "
         "<issave>删除7天以前的</issave>")
DATABASES = ["shop", "crm", "myshop"]
# What the console lists: every database but master and tempdb, in name order.
KNOWN = sorted(DATABASES + ["model", "msdb"])

FILE_COLUMNS = [["ID", "25"], ["备份文件夹路径", "191"], ["是否压缩", "75"], ["", "0"], ["备份日期", "75"],
                ["最后备份时间", "95"], ["存储时间", "99"], ["ID", "0"]]
SQL_COLUMNS = [["ID", "25"], ["任务", "60"], ["存储路径", "131"], ["压缩存储", "75"], ["备份周期", "75"],
               ["最后备份时间", "95"], ["存储时间", "99"], ["ID", "0"]]


def fill(record):
    return record.format(src=win(SRC), bak=win(BAK), old=win(BAK_OLD), sqlbak=win(SQLBAK))


def field(record, tag):
    return record.split("<%s>" % tag, 1)[1].split("</%s>" % tag, 1)[0]


class Expected:
    """The document the console must have written, section by section."""

    def __init__(self):
        self.files = [fill(FILE_3), fill(FILE_4)]
        self.sqls = [fill(SQL_1), fill(SQL_3)]

    def text(self):
        return ("<rarpath>%s</rarpath><defStorePath>%s</defStorePath><FileBackups>|||%s</FileBackups>"
                "<SqlBackups>|||%s</SqlBackups>" % (win(PROG) + "\\rar.exe", win(BAK),
                                                    "".join(r + "|||" for r in self.files),
                                                    "".join(r + "|||" for r in self.sqls)))


EXPECTED = Expected()


def stored_text():
    with open(os.path.join(PROG, "config.db"), "rb") as f:
        return unscramble(f.read()).decode("gbk", "replace")


def stored_status(key):
    """The status of the stored record that holds `key`."""
    records = [r for r in stored_text().split("|||") if key in r]
    return field(records[0], "status") if records else ""


def check_document(what):
    """config.db against the expectation; the console writes on its interface thread, so a short
    wait covers a write that is still under way."""
    want = EXPECTED.text()
    for _ in range(50):
        got = stored_text()
        if got == want:
            break
        time.sleep(0.1)
    check(got == want, "config.db after %s" % what)
    if got != want:
        at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
        print("      differs at %d:\n      got  ...%s\n      want ...%s" % (at, got[at - 40:at + 160],
                                                                          want[at - 40:at + 160]))


def prepare():
    shutil.rmtree(ROOT, ignore_errors=True)
    for folder in (PROG, os.path.join(SRC, "sub"), BAK, BAK_OLD, SQLBAK, SERVER, SHOTS):
        os.makedirs(folder, exist_ok=True)
    for exe, name in ((UI, "DorvikUI.exe"), (SVC, "Dorviksvc.exe"), (RAR, "rar.exe"), (BACKUP, "Backup.exe")):
        shutil.copy(exe, os.path.join(PROG, name))
    for name, content in (("file.txt", "skipped"), ("test.log", "skipped"), ("keep.doc", "kept"),
                          ("sub/other.txt", "kept below")):
        with open(os.path.join(SRC, name), "w") as f:
            f.write(content)
    with open(os.path.join(PROG, "config.db"), "wb") as f:
        f.write(scramble(EXPECTED.text().encode("gbk")))
    with open(os.path.join(SERVER, "databases"), "w", encoding="utf-8") as f:
        f.write("".join("%s\t%s rows\n" % (db, db) for db in DATABASES))


class Console:
    """The running console, the driver operating it, and the service manager's view."""

    def __init__(self, session):
        self.session = session
        self.d = Driver(session, DRIVER_EXE)
        self.process = None

    def start(self):
        log = open(os.path.join(ROOT, "console.log"), "ab")
        self.process = self.session.start(os.path.join(PROG, "DorvikUI.exe"), log=log)
        self.d("wait", MAIN, 60, timeout=90)

    def service(self):
        """(state, process id) of Dorviksvc, or (None, None) when it is not registered."""
        out = self.session.wine(PROBE, "pid", "Dorviksvc").split()
        return (out[0], out[1]) if len(out) == 2 and out[0].isupper() else (None, None)

    def remove_service(self):
        """Stops and unregisters Dorviksvc, waiting until the service manager has let it go."""
        self.session.wine(PROBE, "stop", "Dorviksvc")
        self.session.wine("sc", "delete", "Dorviksvc")
        deadline = time.time() + 20
        while self.service() != (None, None) and time.time() < deadline:
            time.sleep(0.3)

    def wait_service(self, other_than=None, seconds=60):
        """Waits until the service runs in a process other than `other_than`; its process id."""
        deadline = time.time() + seconds
        seen = []
        while time.time() < deadline:
            state, pid = self.service()
            if state == "RUNNING" and pid != other_than:
                return pid
            if not seen or seen[-1] != (state, pid):
                seen.append((state, pid))
            time.sleep(0.5)
        print("      the service was seen as %s (waiting for a process other than %s)" % (seen, other_than))
        return None

    def message(self, text, answer="IDOK", buttons="IDOK"):
        _, shown, shown_buttons = self.d.message_box()
        check(shown == text and shown_buttons == buttons,
              "message %r with %s (shown: %r with %s)" % (text, buttons, shown, shown_buttons))
        self.d("answer", answer)
        return shown

    def rows(self, list_id):
        return self.d.rows(MAIN, list_id)

    def row_of(self, list_id, key):
        """Index of the row whose hidden column 7 holds `key`."""
        for index, (_, columns) in enumerate(self.rows(list_id)):
            if len(columns) > 7 and columns[7] == key:
                return index
        raise DriverError("no row with key %s" % key)

    def shot(self, name):
        path = os.path.join(SHOTS, name + ".png")
        self.session.screenshot(path)
        subprocess.run(["convert", path, "-trim", "+repage", path], check=False)

    def recover(self):
        """After a failed step: away with message boxes and editors, so later steps can run."""
        for _ in range(5):
            try:
                self.d("answer", "IDOK")
                continue
            except DriverError:
                pass
            try:
                self.d("answer", "IDNO")
                continue
            except DriverError:
                pass
            break
        for editor, cancel in ((FILE_EDITOR, R.IDC_FT_CANCEL), (SQL_EDITOR, R.IDC_ST_CANCEL)):
            try:
                self.d("click", editor, cancel)
            except DriverError:
                pass


def check_layout(c, window, what):
    """No two visible controls of a window overlap; group boxes frame others by design."""
    boxes = []
    for ident, kind, style, rect, text in c.d("controls", window):
        if kind == "Button" and int(style, 16) & 0xF == 7:  # BS_GROUPBOX
            continue
        boxes.append((ident, text, [int(v) for v in rect.split(",")]))
    overlaps = [(a[:2], b[:2]) for i, a in enumerate(boxes) for b in boxes[i + 1:]
                if min(a[2][2], b[2][2]) > max(a[2][0], b[2][0]) and min(a[2][3], b[2][3]) > max(a[2][1], b[2][1])]
    check(not overlaps, "%s: no controls overlap %s" % (what, overlaps))


def capability(function):
    """Runs one capability; a driver failure fails it and the console is brought back."""
    def run(console, *args):
        print("--- " + function.__doc__.splitlines()[0])
        try:
            function(console, *args)
        except DriverError as error:
            check(False, "%s: %s" % (function.__name__, error))
            console.recover()
    return run


@capability
def start_up(c):
    """Start: lists from config.db, the service installed and started."""
    # Wine grants every program the rights it asks for, so only the request itself can be checked:
    # under UAC the console must ask to run elevated (it writes Program Files, controls the service).
    with open(UI, "rb") as program:
        image = program.read()
    check(b'level="requireAdministrator"' in image and b"asInvoker" not in image,
          "the console's manifest asks for administrator rights")
    check(c.service() == (None, None), "no Dorviksvc service before the console starts")
    c.start()
    check(c.wait_service() is not None, "the console installed and started Dorviksvc")
    check(os.path.isdir(os.path.join(PROG, "Log")), "the Log folder was created")
    check(c.d("lv-columns", MAIN, R.IDC_FILE_LIST) == FILE_COLUMNS, "file list columns and widths")
    rows = c.rows(R.IDC_FILE_LIST)
    want = [(False, ["1", win(SRC), "备份后压缩", "", "5月1号", "-", "删除7天以前的", "4"]),
            (True, ["2", win(SRC), "否", "", "每天", "-", "保留", "3"])]
    check(rows == want, "file list: last record on top, check boxes from Check (%s)" % rows)
    check(not c.d.value("state", MAIN, R.IDC_SQL_LIST).startswith("1"), "the SQL Server list is hidden")
    check_document("start-up (a sound document stays as it is)")
    check_layout(c, MAIN, "main window, file page")
    c.shot("main_file_page")


def type_worked_file_task(c):
    e = FILE_EDITOR
    c.d("settext", e, R.IDC_FT_SOURCE, win(SRC))
    c.d("settext", e, R.IDC_FT_STORE, win(BAK))
    c.d("click", e, R.IDC_FT_SOME_FILES)
    check(c.d.checked(e, R.IDC_FT_BY_NAME) and c.d.checked(e, R.IDC_FT_INCLUDE),
          "指定文件 checks 指定文件名 and 备份以上文件")
    check(c.d.value("text", e, R.IDC_FT_NAMES) == "不同文件之间用英文逗号隔开,例如：file,test.*",
          "指定文件 puts the hint into the name list")
    c.d("settext", e, R.IDC_FT_NAMES, "file,test.*")
    c.d("click", e, R.IDC_FT_EXCLUDE)
    c.d("click", e, R.IDC_FT_ZIP_DIRECT)
    c.d("click", e, R.IDC_FT_WEEKLY)
    c.d("settext", e, R.IDC_FT_WEEKDAY, "3")
    c.d("settext", e, R.IDC_FT_HOURS, "2,14")
    c.d("click", e, R.IDC_FT_DELETE)
    check(c.d.value("text", e, R.IDC_FT_DAYS) == "30", "删除 puts 30 into the days")


@capability
def create_file_task(c):
    """New file task: the worked example typed into the editor."""
    _, pid = c.service()
    c.d("click", MAIN, R.IDC_FILE_NEW)
    c.d("wait", FILE_EDITOR)
    e = FILE_EDITOR
    check(c.d.value("text", e, R.IDC_FT_STORE) == win(BAK), "the storage edit offers the default folder")
    check([c.d.value("text", e, i) for i in (R.IDC_FT_HOURS, R.IDC_FT_DAYS)] == ["12", "30"],
          "new task: hours 12, days 30")
    check(all(c.d.checked(e, i) for i in (R.IDC_FT_ALL_FILES, R.IDC_FT_ZIP_DIRECT, R.IDC_FT_KEEP,
                                          R.IDC_FT_DAILY)), "new task: 所有文件, 直接压缩, 保留, 每天")
    check(not any(c.d.enabled(e, i) for i in (R.IDC_FT_NAMES, R.IDC_FT_DAYS, R.IDC_FT_WEEKDAY)),
          "new task: names, days and weekday disabled")
    type_worked_file_task(c)
    check_layout(c, e, "file task editor")
    c.shot("file_editor")
    c.d("click", e, R.IDC_FT_OK)
    c.d("gone", e)
    EXPECTED.files.append(fill(FILE_5))
    check_document("creating the worked example file task")
    check(c.rows(R.IDC_FILE_LIST)[0][1][7] == "5", "the new task is listed on top")
    check(c.wait_service(other_than=pid) is not None, "the service was restarted after the creation")


@capability
def change_file_tasks(c):
    """Change file tasks: the worked example reloaded and changed; a yearly record kept as it is."""
    e = FILE_EDITOR
    _, pid = c.service()
    c.d("lv-select", MAIN, R.IDC_FILE_LIST, c.row_of(R.IDC_FILE_LIST, "5"))
    c.d("click", MAIN, R.IDC_FILE_MODIFY)
    c.d("wait", e)
    loaded = [c.d.value("text", e, i) for i in (R.IDC_FT_SOURCE, R.IDC_FT_STORE, R.IDC_FT_NAMES,
                                                  R.IDC_FT_WEEKDAY, R.IDC_FT_HOURS, R.IDC_FT_DAYS)]
    check(loaded == [win(SRC), win(BAK), "file,test.*", "3", "2,14", "30"], "edits loaded: %s" % loaded)
    check(all(c.d.checked(e, i) for i in (R.IDC_FT_SOME_FILES, R.IDC_FT_BY_NAME, R.IDC_FT_EXCLUDE,
                                          R.IDC_FT_ZIP_DIRECT, R.IDC_FT_WEEKLY, R.IDC_FT_DELETE)),
          "choices loaded: 指定文件, 指定文件名, 排除, 直接压缩, 每周, 删除")
    c.d("click", e, R.IDC_FT_MONTHLY)
    c.d("settext", e, R.IDC_FT_MONTHDAY, "1,15")
    c.d("settext", e, R.IDC_FT_HOURS, "8,12,18")
    c.d("click", e, R.IDC_FT_KEEP)
    c.d("click", e, R.IDC_FT_OK)
    c.d("gone", e)
    EXPECTED.files[2] = (fill(FILE_5).replace("<strdate>每周3<", "<strdate>每月1,15号<")
                         .replace("<m_strtime>2,14<", "<m_strtime>8,12,18<")
                         .replace("<strissave>删除30天以前的<", "<strissave>保留<"))
    check_document("changing the worked example (same place, Check, status and ID)")
    pid = c.wait_service(other_than=pid)
    check(pid is not None, "the service was restarted after the change")

    # A double click on a row edits it; a yearly day rule the editor cannot offer survives OK.
    c.d("lv-dblclick", MAIN, R.IDC_FILE_LIST, c.row_of(R.IDC_FILE_LIST, "4"))
    c.d("wait", e)
    check(not any(c.d.checked(e, i) for i in (R.IDC_FT_DAILY, R.IDC_FT_WEEKLY, R.IDC_FT_MONTHLY)),
          "a yearly day rule checks no day choice")
    c.d("click", e, R.IDC_FT_OK)
    c.d("gone", e)
    check_document("confirming the yearly, disabled task unchanged")
    check(c.wait_service(other_than=pid) is not None, "the service was restarted after that change")


def toggle(c, list_id, row_keys, other_control):
    """Sets check boxes the way a user clicks them, then moves the focus out of the list."""
    c.d("focus", MAIN, list_id)
    for key, checked in row_keys:
        c.d("lv-check", MAIN, list_id, c.row_of(list_id, key), "1" if checked else "0")
    c.d("focus", MAIN, other_control)


def expect_check(records, key, value):
    """The expected record holding `key` with its Check value set."""
    index = next(i for i, r in enumerate(records) if key in r)
    records[index] = re.sub(r"^<Check>\w+</Check>", "<Check>%s</Check>" % value, records[index])


@capability
def disable_file_tasks(c):
    """Disable and enable file tasks through the list's check boxes."""
    toggle(c, R.IDC_FILE_LIST, [("3", False), ("4", True)], R.IDC_FILE_NEW)
    expect_check(EXPECTED.files, "<m_strID>3<", "NO")
    expect_check(EXPECTED.files, "<m_strID>4<", "YES")
    check_document("unchecking task 3 and checking task 4 (only their Check values)")
    toggle(c, R.IDC_FILE_LIST, [("3", True), ("4", False)], R.IDC_FILE_NEW)
    expect_check(EXPECTED.files, "<m_strID>3<", "YES")
    expect_check(EXPECTED.files, "<m_strID>4<", "NO")
    check_document("checking them back")


@capability
def file_backup_now(c):
    """立即备份 on a file task: the archive, the message, the time in column 5."""
    row = c.row_of(R.IDC_FILE_LIST, "5")
    c.d("lv-select", MAIN, R.IDC_FILE_LIST, row)
    before = datetime.datetime.now().replace(microsecond=0)
    c.d("click", MAIN, R.IDC_FILE_BACKUP_NOW)
    _, text, buttons = c.d.message_box(60)
    after = datetime.datetime.now()
    prefix = "操作成功！备份文件："
    check(text.startswith(prefix) and buttons == "IDOK", "message %r" % text)
    c.shot("message_box_backup")
    c.d("answer", "IDOK")
    archive = text[len(prefix):]
    m = re.fullmatch(re.escape(win(BAK)) + r"\\(\d+)-(\d+)-(\d+)\\file_data_(\d{14})\.zip", archive)
    check(m is not None, "archive named below the dated folder: %s" % archive)
    if not m:
        return
    stamp = datetime.datetime.strptime(m.group(4), "%Y%m%d%H%M%S")
    check(before <= stamp <= after and (stamp.year, stamp.month, stamp.day) == tuple(map(int, m.groups()[:3])),
          "stamp and dated folder from the start of the run")
    path = archive[2:].replace("\\", "/")
    with zipfile.ZipFile(path) as z:
        check(z.testzip() is None, "the archive reads back intact (zipfile)")
        names = sorted(n.replace("\\", "/").rsplit("/", 1)[-1] for n in z.namelist() if not n.endswith("/"))
    check(names == ["keep.doc", "other.txt"], "file and test.* excluded: %s" % names)
    check(subprocess.run(["unzip", "-tq", path], capture_output=True).returncode == 0, "unzip -t")
    for _ in range(50):
        shown = c.rows(R.IDC_FILE_LIST)[row][1][5]
        if shown != "-":
            break
        time.sleep(0.1)
    status = stored_status("<m_strID>5</m_strID>")
    check(re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", status) is not None and shown == status,
          "column 5 shows the status written to config.db: %r / %r" % (shown, status))
    EXPECTED.files[2] = EXPECTED.files[2].replace("<status>-</status>", "<status>%s</status>" % status)
    check_document("the run's status write-back")
    log = os.path.join(PROG, "Log", stamp.strftime("%Y_%m_%d.log"))
    line = ("%-15s    %s    %-30s    %s\r\n" % ("5", stamp.strftime("%Y-%m-%d %H:%M:%S"), win(SRC), archive))
    with open(log, "rb") as f:
        check(line.encode("gbk") in f.read(), "the day's log holds the run's line")
    check(c.d.enabled(MAIN, R.IDC_FILE_BACKUP_NOW), "立即备份 is enabled again")
    c.shot("main_file_page_after_backup")


def log_line_count():
    logs = os.path.join(PROG, "Log")
    count = 0
    for name in os.listdir(logs):
        with open(os.path.join(logs, name), "rb") as f:
            count += f.read().count(b"\n")
    return count


@capability
def one_run_per_task(c):
    """A second run of a task whose run is going, from the row menu, is refused: one output."""
    row = c.row_of(R.IDC_FILE_LIST, "5")
    big = os.path.join(SRC, "one_run.bin")
    with open(big, "wb") as f:
        f.write(os.urandom(48 << 20))  # long enough a run for the second start to meet it
    lines_before = log_line_count()
    try:
        for _ in range(2):
            c.d("lv-rclick", MAIN, R.IDC_FILE_LIST, row)
            c.d("menu-pick", 2)  # 修改, 删除, 备份
        c.message("该任务正在备份中，请等本次备份结束后再试")
        _, text, _ = c.d.message_box(120)
        c.d("answer", "IDOK")
        check(text.startswith("操作成功！备份文件："), "the first run ended as usual: %r" % text)
    finally:
        os.remove(big)
    lines_after = log_line_count()
    check(lines_after == lines_before + 1, "one log line for the two starts (%d)" % (lines_after - lines_before))
    archive = text.split("：", 1)[-1][2:].replace("\\", "/")
    with zipfile.ZipFile(archive) as z:
        check(any(n.endswith("one_run.bin") for n in z.namelist()), "the one run archived the whole source")


@capability
def delete_file_task(c):
    """Delete a file task with confirmation."""
    _, pid = c.service()
    row = c.row_of(R.IDC_FILE_LIST, "5")
    columns = c.rows(R.IDC_FILE_LIST)[row][1]
    c.d("lv-select", MAIN, R.IDC_FILE_LIST, row)
    c.d("click", MAIN, R.IDC_FILE_DELETE)
    c.message("确定删除[  %s  ]吗?" % " ".join(columns[1:6]), "IDYES", "IDYES IDNO")
    del EXPECTED.files[2]
    check_document("deleting task 5 (its record and one separator)")
    check([r[1][7] for r in c.rows(R.IDC_FILE_LIST)] == ["4", "3"], "the list is filled afresh")
    check(c.wait_service(other_than=pid) is not None, "the service was restarted after the deletion")


@capability
def file_editor_messages(c):
    """Every validation message of the file task editor, in the order of the checks."""
    e = FILE_EDITOR
    c.d("click", MAIN, R.IDC_FILE_NEW)
    c.d("wait", e)
    c.d("settext", e, R.IDC_FT_SOURCE, win(ROOT) + "\\nowhere")
    c.d("settext", e, R.IDC_FT_STORE, win(ROOT) + "\\nowhere")
    c.d("click", e, R.IDC_FT_SOME_FILES)
    c.d("click", e, R.IDC_FT_WEEKLY)
    c.d("settext", e, R.IDC_FT_WEEKDAY, "8")
    c.d("click", e, R.IDC_FT_DELETE)
    c.d("settext", e, R.IDC_FT_DAYS, "10001")
    c.d("settext", e, R.IDC_FT_HOURS, "25")
    steps = [("源路径不存在", lambda: c.d("settext", e, R.IDC_FT_SOURCE, win(SRC))),
             ("存储路径不存在", lambda: c.d("settext", e, R.IDC_FT_STORE, win(BAK))),
             ("星期输入有误", lambda: (c.d("click", e, R.IDC_FT_MONTHLY), c.d("settext", e, R.IDC_FT_MONTHDAY, "32"))),
             ("日期输入错误", lambda: c.d("settext", e, R.IDC_FT_MONTHDAY, "0")),
             ("保存天数输入错误", lambda: c.d("settext", e, R.IDC_FT_DAYS, "10000")),
             ("备份时间出错", lambda: c.d("settext", e, R.IDC_FT_HOURS, "24")),
             ("文件名填写出错", None)]
    for number, (text, mend) in enumerate(steps):
        c.d("click", e, R.IDC_FT_OK)
        c.message(text)
        if number == 0:
            check(c.d.value("text", e, R.IDC_FT_SOURCE) == "", "the source edit is reset to the (empty) source")
        if mend:
            mend()
    c.d("click", e, R.IDC_FT_CANCEL)
    c.d("gone", e)
    check_document("the refused and cancelled file task (nothing written)")


@capability
def open_sql_page(c):
    """The SQL Server page after a connection through the test driver."""
    deadline = time.time() + 40
    while c.d.value("text", MAIN, R.IDC_PAGE_SQL) != "SQL Server备份" and time.time() < deadline:
        time.sleep(0.3)
    check(c.d.enabled(MAIN, R.IDC_PAGE_SQL), "connected: the SQL Server备份 button is enabled")
    c.d("click", MAIN, R.IDC_PAGE_SQL)
    check(c.d.value("state", MAIN, R.IDC_SQL_LIST).startswith("1")
          and c.d.value("state", MAIN, R.IDC_FILE_LIST).startswith("0"), "the SQL Server list replaces the file list")
    check(c.d("lv-columns", MAIN, R.IDC_SQL_LIST) == SQL_COLUMNS, "SQL Server list columns and widths")
    rows = c.rows(R.IDC_SQL_LIST)
    want = [(False, ["1", "monthly", win(SQLBAK), "否", "每月1号", "-", "删除10天以前的", "3"]),
            (True, ["2", "NOYES", win(SQLBAK), "否", "每周星期5", "-", "保留", "1"])]
    check(rows == want, "SQL Server list from config.db (%s)" % rows)
    check_layout(c, MAIN, "main window, SQL Server page")
    c.shot("main_sql_page")


@capability
def create_sql_task(c):
    """New SQL Server task: the worked example typed into the editor."""
    e = SQL_EDITOR
    _, pid = c.service()
    c.d("click", MAIN, R.IDC_SQL_NEW)
    c.d("wait", e)
    available = [r[1][0] for r in c.d.rows(e, R.IDC_ST_AVAILABLE)]
    check(available == ["所有数据库"] + KNOWN[::-1], "databases offered: %s" % available)
    check(c.d.value("text", e, R.IDC_ST_STORE) == win(BAK), "the storage edit offers the default folder")
    check([c.d.value("text", e, i) for i in (R.IDC_ST_HOURS, R.IDC_ST_DAYS)] == ["12", "30"],
          "new task: hours 12, days 30")
    c.d("settext", e, R.IDC_ST_NAME, "nightly")
    c.d("settext", e, R.IDC_ST_STORE, win(SQLBAK))
    for name in ("crm", "shop"):  # each lands on top, so the list reads shop, crm
        c.d("lv-select", e, R.IDC_ST_AVAILABLE, available.index(name))
        c.d("click", e, R.IDC_ST_ADD)
        available.remove(name)
    chosen = [r[1][0] for r in c.d.rows(e, R.IDC_ST_CHOSEN)]
    check(chosen == ["shop", "crm"], "chosen databases: %s" % chosen)
    c.d("settext", e, R.IDC_ST_HOURS, "3")
    c.d("settext", e, R.IDC_ST_DAYS, "7")
    check_layout(c, e, "SQL Server task editor")
    c.shot("sql_editor")
    c.d("click", e, R.IDC_ST_OK)
    c.d("gone", e)
    EXPECTED.sqls.append(fill(SQL_4))
    check_document("creating the worked example SQL Server task")
    check(c.wait_service(other_than=pid) is not None, "the service was restarted after the creation")


@capability
def change_sql_tasks(c):
    """Change SQL Server tasks: the worked example reloaded and changed; a disabled one re-enabled."""
    e = SQL_EDITOR
    _, pid = c.service()
    c.d("lv-select", MAIN, R.IDC_SQL_LIST, c.row_of(R.IDC_SQL_LIST, "4"))
    c.d("click", MAIN, R.IDC_SQL_MODIFY)
    c.d("wait", e)
    check(c.d.value("text", e, R.IDC_ST_NAME) == "nightly" and c.d.value("text", e, R.IDC_ST_STORE) == win(SQLBAK),
          "name and storage folder loaded")
    # Loading puts each stored name on top of the chosen list.
    chosen = [r[1][0] for r in c.d.rows(e, R.IDC_ST_CHOSEN)]
    available = [r[1][0] for r in c.d.rows(e, R.IDC_ST_AVAILABLE)]
    check(chosen == ["crm", "shop"] and "shop" not in available and "myshop" in available,
          "databases loaded: chosen %s, available %s" % (chosen, available))
    check(all(c.d.checked(e, i) for i in (R.IDC_ST_DAILY, R.IDC_ST_ZIP_YES, R.IDC_ST_DELETE))
          and c.d.value("text", e, R.IDC_ST_DAYS) == "7", "choices loaded: 每天, 是, 删除 7")
    c.d("click", e, R.IDC_ST_WEEKLY)
    c.d("settext", e, R.IDC_ST_WEEKDAY, "2")
    c.d("click", e, R.IDC_ST_OK)
    c.d("gone", e)
    EXPECTED.sqls[2] = (fill(SQL_4).replace("<sqlname>shop,crm<", "<sqlname>crm,shop<")
                        .replace("<date>每天<", "<date>每周星期2<"))
    check_document("changing the worked example SQL Server task")
    pid = c.wait_service(other_than=pid)
    check(pid is not None, "the service was restarted after the change")

    c.d("lv-dblclick", MAIN, R.IDC_SQL_LIST, c.row_of(R.IDC_SQL_LIST, "3"))
    c.d("wait", e)
    check(c.d.value("text", e, R.IDC_ST_MONTHDAY) == "1" and c.d.value("text", e, R.IDC_ST_DAYS) == "10",
          "month day and days loaded")
    c.d("click", e, R.IDC_ST_OK)
    c.d("gone", e)
    expect_check(EXPECTED.sqls, "<id>3<", "YES")
    check_document("confirming the disabled task 3 (written enabled)")
    check(c.wait_service(other_than=pid) is not None, "the service was restarted after that change")


@capability
def disable_sql_tasks(c):
    """Disable and enable SQL Server tasks through the list's check boxes."""
    toggle(c, R.IDC_SQL_LIST, [("1", False)], R.IDC_SQL_NEW)
    expect_check(EXPECTED.sqls, "<id>1<", "NO")
    check_document("unchecking task NOYES (only its Check value)")
    toggle(c, R.IDC_SQL_LIST, [("1", True)], R.IDC_SQL_NEW)
    expect_check(EXPECTED.sqls, "<id>1<", "YES")
    check_document("checking it back")


@capability
def sql_backup_now(c):
    """立即备份 on a SQL Server task through the test driver: archives, message, column 5."""
    row = c.row_of(R.IDC_SQL_LIST, "4")
    c.d("lv-select", MAIN, R.IDC_SQL_LIST, row)
    before = datetime.datetime.now().replace(microsecond=0)
    c.d("click", MAIN, R.IDC_SQL_BACKUP_NOW)
    c.message("请问需要立即备份[ nightly ]吗？", "IDYES", "IDYES IDNO")
    _, text, _ = c.d.message_box(90)
    after = datetime.datetime.now()
    c.d("answer", "IDOK")
    folder = win(SQLBAK) + "\\nightly\\%d-%d-%d" % (before.year, before.month, before.day)
    check(text == "操作成功！备份文件夹：" + folder, "message %r" % text)
    unix = folder[2:].replace("\\", "/")
    made = sorted(os.listdir(unix)) if os.path.isdir(unix) else []
    check([re.sub(r"_\d{14}\.", "_STAMP.", n) for n in made] == ["db_crm_STAMP.zip", "db_shop_STAMP.zip"],
          "one archive per database, the .bak files gone: %s" % made)
    for name in made:
        stamp = datetime.datetime.strptime(name[-18:-4], "%Y%m%d%H%M%S")
        with zipfile.ZipFile(os.path.join(unix, name)) as z:
            entries = z.namelist()
            database = name.split("_")[1]
            check(z.testzip() is None and len(entries) == 1 and entries[0].endswith(name[:-4] + ".bak")
                  and ("database=%s\n" % database).encode() in z.read(entries[0])
                  and before <= stamp <= after, "%s holds the server's backup of %s" % (name, database))
    status = stored_status("<id>4</id>")
    shown = c.rows(R.IDC_SQL_LIST)[row][1][5]
    check(re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", status) is not None and shown == status,
          "column 5 shows the status written to config.db: %r / %r" % (shown, status))
    EXPECTED.sqls[2] = EXPECTED.sqls[2].replace("<status>-</status>", "<status>%s</status>" % status)
    check_document("the SQL Server run's status write-back")
    check(c.d.value("text", MAIN, R.IDC_SQL_BACKUP_NOW) == "立即备份" and c.d.enabled(MAIN, R.IDC_SQL_BACKUP_NOW),
          "立即备份 is back")


@capability
def delete_sql_task(c):
    """Delete a SQL Server task with confirmation, from the row's context menu."""
    _, pid = c.service()
    c.d("lv-rclick", MAIN, R.IDC_SQL_LIST, c.row_of(R.IDC_SQL_LIST, "4"))
    c.d("menu-pick", 1)  # 修改, 删除, 备份, 查看, 目标文件
    c.message("确定删除任务[ nightly ]吗?", "IDYES", "IDYES IDNO")
    del EXPECTED.sqls[2]
    check_document("deleting task nightly (its record and one separator)")
    check(sorted(r[1][7] for r in c.rows(R.IDC_SQL_LIST)) == ["1", "3"], "its row is gone")
    check(c.wait_service(other_than=pid) is not None, "the service was restarted after the deletion")


@capability
def sql_editor_messages(c):
    """Every validation message of the SQL Server task editor, in the order of the checks."""
    e = SQL_EDITOR
    c.d("click", MAIN, R.IDC_SQL_NEW)
    c.d("wait", e)
    c.d("settext", e, R.IDC_ST_NAME, "a/b")
    c.d("settext", e, R.IDC_ST_STORE, win(ROOT) + "\\nowhere")
    c.d("click", e, R.IDC_ST_WEEKLY)
    c.d("settext", e, R.IDC_ST_WEEKDAY, "8")
    c.d("settext", e, R.IDC_ST_HOURS, "25")
    c.d("settext", e, R.IDC_ST_DAYS, "0")
    crm = [r[1][0] for r in c.d.rows(e, R.IDC_ST_AVAILABLE)].index("crm")
    steps = [("你没有任何选择一个数据库。", lambda: (c.d("lv-select", e, R.IDC_ST_AVAILABLE, crm),
                                                   c.d("click", e, R.IDC_ST_ADD))),
             ("存储路径不存在", lambda: c.d("settext", e, R.IDC_ST_STORE, " %s " % win(SQLBAK))),
             ("星期输入有误", lambda: (c.d("click", e, R.IDC_ST_MONTHLY), c.d("settext", e, R.IDC_ST_MONTHDAY, "0"))),
             ("月号输入有误", lambda: c.d("settext", e, R.IDC_ST_MONTHDAY, "31")),
             ("备份时间输入有误", lambda: c.d("settext", e, R.IDC_ST_HOURS, "24")),
             ("删除天数输入有误", lambda: c.d("settext", e, R.IDC_ST_DAYS, "100001")),
             ("输入天数过大", lambda: c.d("settext", e, R.IDC_ST_DAYS, "100000")),
             ('没有填入任何一个任务名称.或者包含<>?"\\/*:|等非法字符', lambda: c.d("settext", e, R.IDC_ST_NAME, "NOYES")),
             ("该任务名称已经存在！", None)]
    for text, mend in steps:
        c.d("click", e, R.IDC_ST_OK)
        c.message(text)
        if mend:
            mend()
    c.d("click", e, R.IDC_ST_CANCEL)
    c.d("gone", e)
    check_document("the refused and cancelled SQL Server task (nothing written)")


@capability
def restart_service_button(c):
    """重启服务: the question, the restart through the service manager, the completion message."""
    _, pid = c.service()
    c.d("click", MAIN, R.IDC_RESTART_SERVICE)
    c.message("确定重启VarnelDorvik后台服务吗？", "IDYES", "IDYES IDNO")
    c.message("Dorvik服务重启完成！")
    check(c.wait_service(other_than=pid) is not None, "the service runs in a new process")
    check(c.d.value("text", MAIN, R.IDC_RESTART_SERVICE) == "重启服务" and c.d.enabled(MAIN, R.IDC_RESTART_SERVICE),
          "the 重启服务 button is back")


@capability
def exit_console(c):
    """Exit: the question, then the service restarted before the console ends."""
    _, pid = c.service()
    c.d("click", MAIN, R.IDC_EXIT)
    c.d.message_box()
    c.shot("message_box_exit")
    c.message("Dorvik会在后台自动运行。确定退出吗？", "IDNO", "IDYES IDNO")
    check(c.d("wait", MAIN, 1) != [], "answering No keeps the console")
    c.d("click", MAIN, R.IDC_EXIT)
    c.message("Dorvik会在后台自动运行。确定退出吗？", "IDYES", "IDYES IDNO")
    try:
        c.process.wait(60)
    except subprocess.TimeoutExpired:
        pass
    check(c.process.poll() is not None, "the console ended")
    check(c.wait_service(other_than=pid) is not None, "the service runs again, restarted at the exit")
    check_document("the exit")


@capability
def stop_switch(c):
    """/stopsvc: the service stopped, no window shown (the program ends by itself)."""
    stopper = c.session.start(os.path.join(PROG, "DorvikUI.exe"), "/stopsvc")
    try:
        code = stopper.wait(30)
    except subprocess.TimeoutExpired:
        code = None
    check(code == 0, "DorvikUI.exe /stopsvc ended by itself with exit code 0 (%s)" % code)
    check(c.service()[0] == "STOPPED", "the service is stopped (%s)" % (c.service(),))


def main():
    prepare()
    odbc = os.path.join(os.environ.get("DORVIK_NATIVE_BUILD", ""), "tests", "sqlserver", "odbc")
    session = Session(os.path.join(BUILD, "wineprefix-console"),
                      {"ODBCSYSINI": odbc, "DORVIK_SQLSERVER_STATE": SERVER})
    started = time.time()
    try:
        c = Console(session)
        built = {name: c.d.value("has-dialog", win(UI), number) == "1"
                 for name, number in (("main", R.IDD_MAIN), ("file", R.IDD_FILE_TASK), ("sql", R.IDD_SQL_TASK))}
        if not built["main"]:
            print("SKIP: DorvikUI.exe has no main window yet")
            return SKIPPED
        # A service left registered by an earlier run would hide the console's own install.
        c.remove_service()
        start_up(c)
        # Each step with the editor it needs (directly or for the task it works on).
        plan = [(create_file_task, "file"), (change_file_tasks, "file"), (disable_file_tasks, None),
                (file_backup_now, "file"), (one_run_per_task, "file"), (delete_file_task, "file"), (file_editor_messages, "file"),
                (open_sql_page, None), (create_sql_task, "sql"), (change_sql_tasks, "sql"),
                (disable_sql_tasks, None), (sql_backup_now, "sql"), (delete_sql_task, "sql"),
                (sql_editor_messages, "sql"), (restart_service_button, None), (exit_console, None),
                (stop_switch, None)]
        for step, editor in plan:
            if editor and not built[editor]:
                print("SKIP: %s (the %s task editor is not built yet)" % (step.__name__, editor))
                continue
            step(c)
        c.remove_service()
        c.d.close()
    finally:
        session.close()
    return outcome("console end-to-end", time.time() - started, SHOTS)


if __name__ == "__main__":
    sys.exit(main())
