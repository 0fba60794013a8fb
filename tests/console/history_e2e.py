#!/usr/bin/env python3
"""The backup history browser and the SQL Server restore, driven in the real DorvikUI.exe under a
private Xvfb display: first a slow SQL Server (every connection takes seconds) that refuses the
console's first attempt, the window answering and the page button pressed again and again while
it connects, and a restore started as soon as the page has opened by itself; then prepared logs
and outputs in both modes, the list read back row by row, the filters, the sort, the log files
checked from here after the removal of lines whose output is gone, and restores from a ".bak" and
from ".zip" archives (unpacked by our rar.exe) through the SQL Server test driver, whose recorded
statements are compared; then the history opened 25 times while three processes append to a log
as the jobs do, every appended line counted afterwards. Screenshots of the connecting window and
of both modes are kept in the build folder (console-screenshots/).

usage: history_e2e.py DORVIKUI RAR CONSOLE_DRIVER LOG_APPEND_STRESS"""
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
from config_db import scramble  # noqa: E402
from console_session import MAIN, Driver, DriverError, Session, resource_ids  # noqa: E402
from e2e_support import check, outcome, win  # noqa: E402

UI, RAR, DRIVER_EXE, STRESS = sys.argv[1:5]
BUILD = os.environ["DORVIK_BUILD"]
ROOT = os.path.join(BUILD, "testroot", "history")
SHOTS = os.path.join(BUILD, "console-screenshots")
PROG = os.path.join(ROOT, "prog")
LOG = os.path.join(PROG, "Log")
SRC = os.path.join(ROOT, "data")
BAK = os.path.join(ROOT, "file bak")
SQLBAK = os.path.join(ROOT, "sql bak", "it's here")
SERVER = os.path.join(ROOT, "server")
HISTORY = "Varnel·Dorvik系统数据库备份"
R = resource_ids()

LONG = "it's]a_database_named_longer"  # "]", "'" and more than 20 characters
DATABASES = [("shop", "old rows"), ("shop2", "rows"), ("crm", "crm rows")]
KILL = ("create proc killsessions (@dbname sysname)\nas\nbegin\ndeclare @spid int\n"
        "declare sessions cursor local fast_forward for\n"
        "select spid from master..sysprocesses where dbid=db_id(@dbname) and spid<>@@spid\n"
        "open sessions\nfetch next from sessions into @spid\nwhile @@fetch_status=0\nbegin\n"
        "exec('kill '+convert(varchar(11),@spid))\nfetch next from sessions into @spid\nend\n"
        "close sessions\ndeallocate sessions\nend\n")

FILE_TASK = ("<Check>YES</Check>    <SouPath>{src}</SouPath>    <DesPath>{bak}</DesPath>    "
             "<strfile>!所有文件/!@指定文件/@#/#$备份此类型/$</strfile>    <status>-</status>    "
             "<striscut>是</striscut>    <strdate>每天</strdate>    <m_strtime>12</m_strtime>    "
             "<m_strID>3</m_strID>    <strissave>保留</strissave>")
SQL_TASK = ("<Check>YES</Check>    <sqlname>shop</sqlname>    <sqlpath>{sql}</sqlpath>    "
            "<despath>{sql}</despath>    <iscut>否</iscut>    <date>每天</date>    <time>2</time>    "
            "<status>-</status>    <num>1</num>    <id>1</id>    <projectname>shoptask</projectname>    "
            "<issave>保留</issave>")


def file_line(key, source, output):
    return "%-15s    2024-05-01 08:30:00    %-30s    %s\r\n" % (key, source, output)


def sql_line(key, output):
    return "%-15s    2024-05-02 08:30:00    %s\r\n" % (key, output)


def bak_content(database, rows):
    return "DORVIK-SQLSERVER-BACKUP\ndatabase=%s\ncontent=%s\n" % (database, rows)


def path_in(folder, *names):
    return os.path.join(folder, *names)


# Outputs (Linux paths) and the log lines naming them.
ZIP_3 = path_in(BAK, "2024-5-1", "file_data_20240501083000.zip")
COPY_4 = path_in(BAK, "2024-5-1", "file_data_20240501093000")  # gone; its ".zip" stays
FOLDER_5 = path_in(BAK, "2024-5-1", "file_data_20240501103000")
SHOP_BAK = path_in(SQLBAK, "db_shop_20240502083000.bak")
SHOP2_BAK = path_in(SQLBAK, "db_shop2_20240502083000.bak")
LONG_ZIP = path_in(SQLBAK, "db_%s_20240502083000.zip" % LONG)
CRM_ZIP = path_in(SQLBAK, "db_crm_20240502083000.zip")  # holds a backup of another database
# A storage folder named x.zip.d beside one named x.bak.d: the restore from the archive must not
# take the other folder's backup of the same name (a decoy) for the unpacked file.
XZIP = path_in(ROOT, "sql x.zip.d", "crm", "2024-5-2", "db_crm_20240502083000.zip")
DECOY = path_in(ROOT, "sql x.bak.d", "crm", "2024-5-2", "db_crm_20240502083000.bak")

FILE_LOG_KEPT = [file_line("3", win(SRC), win(ZIP_3)), file_line("4", win(SRC), win(COPY_4) + ".zip"),
                 file_line("5", win(SRC), win(FOLDER_5))]
FILE_LOG = (FILE_LOG_KEPT[0] + file_line("4", win(SRC), win(COPY_4)) + FILE_LOG_KEPT[1] +
            file_line("6", win(ROOT) + "\\my  docs", win(path_in(BAK, "gone.zip"))) +
            sql_line("gonetask", win(path_in(SQLBAK, "db_gone_20240101083000.bak"))) + FILE_LOG_KEPT[2])
SQL_LOG_KEPT = [sql_line("shoptask", win(SHOP_BAK)), sql_line("shop2task", win(SHOP2_BAK)),
                sql_line("longtask", win(LONG_ZIP)), sql_line("crmtask", win(CRM_ZIP)), sql_line("xziptask", win(XZIP))]
SQL_LOG = (SQL_LOG_KEPT[0] + SQL_LOG_KEPT[1] + sql_line("oldtask", win(path_in(SQLBAK, "db_old_2023.bak"))) +
           "".join(SQL_LOG_KEPT[2:]))


def write(path, data, mode="w"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if "b" in mode:
        with open(path, mode) as f:
            f.write(data)
    else:
        with open(path, mode, encoding="gbk", newline="") as f:
            f.write(data)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def settled_bytes(path, want, seconds=15):
    """The file's content once it equals `want` (the logs are written back behind the shown list)."""
    deadline = time.time() + seconds
    while True:
        got = read_bytes(path)
        if got == want or time.time() > deadline:
            return got
        time.sleep(0.2)


def zip_with_bak(archive, database, rows):
    """An archive as the SQL Server job makes it: the ".bak" named like the archive."""
    os.makedirs(os.path.dirname(archive), exist_ok=True)
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(os.path.basename(archive)[:-4] + ".bak", bak_content(database, rows))


def prepare():
    shutil.rmtree(ROOT, ignore_errors=True)
    for folder in (PROG, LOG, SRC, SQLBAK, SERVER, SHOTS, os.path.dirname(ZIP_3), FOLDER_5):
        os.makedirs(folder, exist_ok=True)
    shutil.copy(UI, path_in(PROG, "DorvikUI.exe"))
    shutil.copy(RAR, path_in(PROG, "rar.exe"))
    document = ("<rarpath>%s\\rar.exe</rarpath><defStorePath>%s</defStorePath><FileBackups>|||%s|||</FileBackups>"
                "<SqlBackups>|||%s|||</SqlBackups>" % (win(PROG), win(BAK), FILE_TASK.format(src=win(SRC), bak=win(BAK)),
                                                      SQL_TASK.format(sql=win(SQLBAK))))
    write(path_in(PROG, "config.db"), scramble(document.encode("gbk")), "wb")
    write(ZIP_3, b"zip", "wb")
    write(COPY_4 + ".zip", b"zip", "wb")
    write(SHOP_BAK, bak_content("shop", "new rows"))
    write(SHOP2_BAK, bak_content("shop2", "rows of the backup"))
    zip_with_bak(LONG_ZIP, LONG, "long rows")
    zip_with_bak(CRM_ZIP, "shop", "wrong rows")
    zip_with_bak(XZIP, "crm", "crm new rows")
    write(DECOY, bak_content("crm", "decoy rows"))
    write(path_in(LOG, "2024_05_01.log"), FILE_LOG)
    write(path_in(LOG, "2024_05_02.log"), SQL_LOG)
    with open(path_in(SERVER, "databases"), "w", encoding="utf-8") as f:
        f.write("".join("%s\t%s\n" % db for db in DATABASES))
    with open(path_in(SERVER, "sessions"), "w", encoding="utf-8") as f:
        f.write("shop\n%s\nmodel\nshop2\n" % LONG)
    # The console's first attempt waits and is refused (slow_connection).
    write(path_in(SERVER, "connect_delay"), str(CONNECT_DELAY_MS))
    write(path_in(SERVER, "refuse_connections"), "")


def server_text(name):
    path = path_in(SERVER, name)
    return open(path, encoding="utf-8").read() if os.path.exists(path) else ""


TIME = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")


def columns(rows, *indices):
    return [[row[1][i] for i in indices] for row in rows]


def shot(session, name):
    path = os.path.join(SHOTS, name + ".png")
    session.screenshot(path)
    subprocess.run(["convert", path, "-trim", "+repage", path], check=False)


def open_history(d, button):
    d("click", MAIN, button)
    d("wait", HISTORY, 30)
    return d.rows(HISTORY, R.IDC_HISTORY_LIST)


CONNECT_DELAY_MS = 10000
ANSWER_MS = 2000  # far below the delay: a window that waited for the connection would miss it


def connection_count():
    return len(server_text("connections.log").splitlines())


def page_button(d):
    """The SQL Server page button's caption and whether it is enabled."""
    return d.value("text", MAIN, R.IDC_PAGE_SQL), d.enabled(MAIN, R.IDC_PAGE_SQL)


def answers(d, what):
    """The window answers at once while an attempt runs."""
    try:
        ms = int(d.value("ping", MAIN, ANSWER_MS))
    except DriverError as error:
        ms = None
        print("      %s" % error)
    check(ms is not None, "%s: the window answers within %d ms (%s ms)" % (what, ANSWER_MS, ms))


def wait_for(condition, seconds):
    deadline = time.time() + seconds
    while not condition() and time.time() < deadline:
        time.sleep(0.1)
    return condition()


def shown(d, window):
    try:
        d("wait", window, 1)
        return True
    except DriverError:
        return False


def sql_page_shown(d):
    return d.value("state", MAIN, R.IDC_SQL_LIST).startswith("1")


def slow_connection(d, session):
    print("--- a SQL Server that takes %d ms to connect: first refused, then connected behind one press"
          % CONNECT_DELAY_MS)
    begun = time.time()
    caption, enabled = page_button(d)
    check(caption in ("连接数据库...", "正在连接...") and not enabled,
          "the first attempt runs: %r, disabled" % caption)
    answers(d, "first attempt")
    check(page_button(d) == ("正在连接...", False), "the attempt's caption (%r)" % (page_button(d),))
    shot(session, "main_connecting")
    d("click", MAIN, R.IDC_PAGE_SQL, 3)
    d("click", MAIN, R.IDC_SQL_HISTORY)
    answers(d, "clicks on the disabled page button")
    check(not shown(d, HISTORY), "the hidden history button opens nothing")
    check(connection_count() == 0, "the checks above ran while the first attempt still waited")
    check(wait_for(lambda: page_button(d) == ("连接SQL Server", True), CONNECT_DELAY_MS / 1000 + 30),
          "the refused attempt leaves %r on the enabled button" % (page_button(d),))
    check(not sql_page_shown(d) and d.value("state", MAIN, R.IDC_FILE_LIST).startswith("1"),
          "and the file page shown, the presses during the attempt forgotten")

    os.remove(path_in(SERVER, "refuse_connections"))
    pressed = time.time()
    d("click", MAIN, R.IDC_PAGE_SQL, 2)  # a double click queued at once: one attempt
    check(wait_for(lambda: page_button(d) == ("正在连接...", False), CONNECT_DELAY_MS / 2000),
          "the press returns at once: the attempt's caption after %.1f s (%r)"
          % (time.time() - pressed, page_button(d)))
    answers(d, "a double press")
    for _ in range(3):
        d("click", MAIN, R.IDC_PAGE_SQL)
        answers(d, "pressed again while connecting")
    # The earliest a restore could be asked for: the SQL Server page's history button, still hidden.
    d("click", MAIN, R.IDC_SQL_HISTORY)
    check(not shown(d, HISTORY) and not sql_page_shown(d), "no history and no SQL Server page while connecting")
    check(connection_count() == 1, "still connecting after the presses")
    check(wait_for(lambda: sql_page_shown(d), CONNECT_DELAY_MS / 1000 + 30),
          "the SQL Server page opens by itself once connected")
    check(page_button(d) == ("SQL Server备份", True), "the connected caption (%r)" % (page_button(d),))
    rows = open_history(d, R.IDC_SQL_HISTORY)
    index = [r[1][1] for r in rows].index("shop2")
    _, _, text, sent = restore(d, index)
    check(text.startswith("操作已成功！\n数据库名：shop2   文件路径：" + win(SHOP2_BAK)),
          "the restore started at once succeeds: %r" % text)
    check(sent == KILL + "\nexec killsessions 'shop2'\nRESTORE database [shop2] from disk='%s'\n"
          % win(SHOP2_BAK).replace("'", "''"), "its statements, whole and in order (%r)" % sent)
    check("shop2\trows of the backup" in server_text("databases") and "shop2" not in server_text("sessions"),
          "shop2 restored after its sessions ended")
    check(sorted(os.listdir(SQLBAK)) ==
          sorted(os.path.basename(p) for p in (SHOP_BAK, SHOP2_BAK, LONG_ZIP, CRM_ZIP)),
          "nothing left beside the backups")
    check(connection_count() == 2, "one connection per press of 连接SQL Server (%d in all)" % connection_count())
    d("click", HISTORY, R.IDC_HISTORY_EXIT)
    d("gone", HISTORY)
    d("click", MAIN, R.IDC_PAGE_FILE)
    print("      %.0f s" % (time.time() - begun))


def file_mode(d, session):
    print("--- file mode: surviving backups, whole-line removal, filters")
    rows = open_history(d, R.IDC_FILE_HISTORY)
    check(d("lv-columns", HISTORY, R.IDC_HISTORY_LIST) ==
          [["ID", "25"], ["备份时间", "129"], ["源文件", "153"], ["备份文件", "309"]], "file mode columns")
    want = [["3", win(SRC), win(FOLDER_5)], ["2", win(SRC), win(COPY_4) + ".zip"], ["1", win(SRC), win(ZIP_3)]]
    check(columns(rows, 0, 2, 3) == want, "exactly the surviving file backups, last line on top (%s)" % rows)
    check(all(TIME.match(r[1][1]) for r in rows), "column 1 holds the outputs' creation times")
    check(d.value("text", HISTORY, R.IDC_HISTORY_COUNT) == "3", "count 3")
    check(d.value("state", HISTORY, R.IDC_HISTORY_RESTORE).startswith("0")
          and d.value("state", HISTORY, R.IDC_HISTORY_DATABASE).startswith("0"), "SQL Server controls hidden")
    want = "".join(FILE_LOG_KEPT).encode("gbk")
    check(settled_bytes(path_in(LOG, "2024_05_01.log"), want) == want,
          "the log keeps every line whose output exists, the '.zip' line after a gone copy folder too")
    want = "".join(SQL_LOG_KEPT).encode("gbk")
    check(settled_bytes(path_in(LOG, "2024_05_02.log"), want) == want,
          "file mode removes SQL Server lines whose output is gone")
    check(not [n for n in os.listdir(LOG) if n.endswith(".rewrite")], "no rewrite file left in the Log folder")
    shot(session, "history_file_mode")
    check(d("cb-items", HISTORY, R.IDC_HISTORY_FOLDER) == [win(SRC)], "folder filter entries")
    month = d("cb-items", HISTORY, R.IDC_HISTORY_MONTH)
    check(len(month) == 1 and month[0].endswith("月"), "month filter entries (%s)" % month)
    d("cb-pick", HISTORY, R.IDC_HISTORY_FOLDER, win(SRC))
    check(columns(d.rows(HISTORY, R.IDC_HISTORY_LIST), 0, 3) ==
          [["3", win(ZIP_3)], ["2", win(COPY_4) + ".zip"], ["1", win(FOLDER_5)]],
          "folder filter: reverse order, match numbers from the bottom")
    d("cb-pick", HISTORY, R.IDC_HISTORY_MONTH, month[0])
    check(columns(d.rows(HISTORY, R.IDC_HISTORY_LIST), 0, 3) ==
          [["1", win(ZIP_3)], ["2", win(COPY_4) + ".zip"], ["3", win(FOLDER_5)]],
          "month filter: numbered from the top")
    d("click", HISTORY, R.IDC_HISTORY_FILE_ALL)
    check(columns(d.rows(HISTORY, R.IDC_HISTORY_LIST), 0, 3) ==
          [["1", win(ZIP_3)], ["2", win(COPY_4) + ".zip"], ["3", win(FOLDER_5)]], "show all keeps saved numbers")
    check(d.value("text", HISTORY, R.IDC_HISTORY_COUNT) == "3", "file filters leave the count")
    d("lv-rclick", HISTORY, R.IDC_HISTORY_LIST, 0)
    d("menu-pick", 2)
    _, text, _ = d.message_box()
    d("answer", "IDOK")
    check(text == "暂时只提供数据库还原。文件还原可以手动操作。 :)", "file mode's 还原 menu item (%r)" % text)
    d("close", HISTORY)
    d("gone", HISTORY)
    again = open_history(d, R.IDC_FILE_HISTORY)
    check(columns(again, 0, 3) == columns(rows, 0, 3), "a second opening numbers the same")
    d("click", HISTORY, R.IDC_HISTORY_EXIT)
    d("gone", HISTORY)


def restore(d, row_index, answer="IDYES"):
    d("lv-select", HISTORY, R.IDC_HISTORY_LIST, row_index)
    before = server_text("queries.log")
    d("click", HISTORY, R.IDC_HISTORY_RESTORE)
    _, question, buttons = d.message_box()
    d("answer", answer)
    if answer != "IDYES":
        return question, buttons, None, ""
    _, text, _ = d.message_box(60)
    d("answer", "IDOK")
    sent = server_text("queries.log")[len(before):]
    return question, buttons, text, sent.replace("query_timeout=9999\n", "")


def sql_mode(d, session):
    print("--- SQL Server mode: rows, filters, sort, restores")
    deadline = time.time() + 40
    while d.value("text", MAIN, R.IDC_PAGE_SQL) != "SQL Server备份" and time.time() < deadline:
        time.sleep(0.3)
    d("click", MAIN, R.IDC_PAGE_SQL)
    rows = open_history(d, R.IDC_SQL_HISTORY)
    want = [["1", "crm", "xziptask", win(XZIP)], ["2", "crm", "crmtask", win(CRM_ZIP)],
            ["3", LONG, "longtask", win(LONG_ZIP)], ["4", "shop2", "shop2task", win(SHOP2_BAK)],
            ["5", "shop", "shoptask", win(SHOP_BAK)]]
    check(columns(rows, 0, 1, 2, 4) == want, "exactly the surviving SQL Server backups (%s)" % rows)
    check(d.value("text", HISTORY, R.IDC_HISTORY_COUNT) == "5", "count 5")
    check(read_bytes(path_in(LOG, "2024_05_01.log")) == "".join(FILE_LOG_KEPT).encode("gbk"),
          "SQL Server mode never removes file lines")
    shot(session, "history_sql_mode")
    d("cb-pick", HISTORY, R.IDC_HISTORY_DATABASE, "shop")
    check(columns(d.rows(HISTORY, R.IDC_HISTORY_LIST), 0, 1) == [["1", "shop"], ["2", "shop2"]],
          "database filter matches substrings: shop lists shop2 too")
    check(d.value("text", HISTORY, R.IDC_HISTORY_COUNT) == "2", "the count shows the matches")
    check(d("cb-items", HISTORY, R.IDC_HISTORY_TASK) ==
          sorted(["crmtask", "longtask", "shop2task", "shoptask", "xziptask"]),
          "task filter entries")
    d("cb-pick", HISTORY, R.IDC_HISTORY_TASK, "longtask")
    check(columns(d.rows(HISTORY, R.IDC_HISTORY_LIST), 0, 1) == [["1", LONG]], "task filter")
    d("click", HISTORY, R.IDC_HISTORY_SQL_ALL)
    check(columns(d.rows(HISTORY, R.IDC_HISTORY_LIST), 0, 1) ==
          [["1", "shop"], ["2", "shop2"], ["3", LONG], ["4", "crm"], ["5", "crm"]],
          "show all: reverse of the saved order")
    check(d.value("text", HISTORY, R.IDC_HISTORY_COUNT) == "5", "show all counts all")
    d("lv-header", HISTORY, R.IDC_HISTORY_LIST, 1)
    time.sleep(0.5)
    names = [r[1][1] for r in d.rows(HISTORY, R.IDC_HISTORY_LIST)]
    check(names == sorted(names, key=str.lower), "header click sorts ascending (%s)" % names)
    d("lv-header", HISTORY, R.IDC_HISTORY_LIST, 1)
    time.sleep(0.5)
    names = [r[1][1] for r in d.rows(HISTORY, R.IDC_HISTORY_LIST)]
    check(names == sorted(names, key=str.lower, reverse=True), "the next click sorts descending (%s)" % names)
    d("click", HISTORY, R.IDC_HISTORY_SQL_ALL)
    d("lv-select", HISTORY, R.IDC_HISTORY_LIST, 0)
    d("lv-rclick", HISTORY, R.IDC_HISTORY_LIST, 0)
    d("menu-pick", 0)
    _, text, _ = d.message_box()
    d("answer", "IDOK")
    check(text == "为避免破坏数据库数据，此文件夹连接暂不开放。", "SQL Server mode's 源文件 (%r)" % text)

    # Row 0 shop (.bak), 2 the long name (.zip), 3 crm (.zip of another database), 4 crm from x.zip.d.
    question, buttons, _, _ = restore(d, 0, "IDNO")
    check(question.startswith("确定还原[ shop shoptask ") and question.endswith(" ]吗？") and buttons == "IDYES IDNO",
          "the restore asks first (%r)" % question)
    check(d.enabled(HISTORY, R.IDC_HISTORY_RESTORE) and server_text("databases").startswith("shop\told rows"),
          "No changes nothing")
    _, _, text, sent = restore(d, 0)
    check(text.startswith("操作已成功！\n数据库名：shop   文件路径：" + win(SHOP_BAK)), "restore from .bak: %r" % text)
    check(sent == KILL + "\nexec killsessions 'shop'\nRESTORE database [shop] from disk='%s'\n"
          % win(SHOP_BAK).replace("'", "''"),
          "statements in order (%r)" % sent)
    check("shop\tnew rows" in server_text("databases") and "shop\n" not in server_text("sessions"),
          "shop restored after its sessions ended")

    long_bak = LONG_ZIP[:-4] + ".bak"
    _, _, text, sent = restore(d, 2)
    quoted = win(long_bak).replace("'", "''")
    check(text.startswith("操作已成功！\n数据库名：%s   文件路径：%s" % (LONG, win(LONG_ZIP))), "restore from .zip: %r" % text)
    check(sent == KILL + "\nexec killsessions 'it''s]a_database_named_longer'\n"
          "RESTORE database [it's]]a_database_named_longer] from disk='%s'\n" % quoted,
          "quoted statements, the existing procedure's error ignored (%r)" % sent)
    check(LONG + "\tlong rows" in server_text("databases") and LONG not in server_text("sessions"),
          "the long name's sessions ended and its database restored")
    check(not os.path.exists(long_bak), "no .bak left beside the archive")
    check(d.value("text", HISTORY, R.IDC_HISTORY_RESTORE) == "还原" and d.enabled(HISTORY, R.IDC_HISTORY_RESTORE),
          "the button is back")

    _, _, text, _ = restore(d, 3)
    check("other than the existing 'crm' database" in text, "a failing RESTORE shows its description (%r)" % text)
    check(not os.path.exists(CRM_ZIP[:-4] + ".bak") and os.path.exists(CRM_ZIP),
          "no .bak left after a failed restore; the archive stays")

    _, _, text, sent = restore(d, 4)
    check(text.startswith("操作已成功！\n数据库名：crm   文件路径：" + win(XZIP)), "restore from x.zip.d: %r" % text)
    check(sent == KILL + "\nexec killsessions 'crm'\nRESTORE database [crm] from disk='%s'\n" % win(XZIP[:-4] + ".bak"),
          "the archive's own backup restored, not the decoy in x.bak.d (%r)" % sent)
    check("crm\tcrm new rows" in server_text("databases"), "crm holds the archive's rows")
    check(read_bytes(DECOY) == bak_content("crm", "decoy rows").encode(), "the decoy is untouched")
    check(not os.path.exists(XZIP[:-4] + ".bak") and os.path.exists(XZIP),
          "no .bak left beside the archive; the archive stays")
    d("click", HISTORY, R.IDC_HISTORY_EXIT)
    d("gone", HISTORY)


RACE_WRITERS = 3
RACE_OPENINGS = 25
RACE_LINE = re.compile(r"^w(\d)([ng])(\d+) +2024-05-03 08:30:00    (.*)$")


def race_lines(path):
    """The race log's lines as (writer, kind, number, output); None for a line of another form."""
    if not os.path.exists(path):
        return []
    lines = read_bytes(path).decode("ascii", "replace").split("\r\n")
    found = [None] if lines[-1] else []  # a line cut short at the end
    for line in lines[:-1]:
        m = RACE_LINE.match(line)
        found.append((int(m.group(1)), m.group(2), int(m.group(3)), m.group(4)) if m else None)
    return found


def rewrite_race(d, session):
    print("--- the file-mode history opened %d times while %d writers append, one line each every 1.2 ms"
          % (RACE_OPENINGS, RACE_WRITERS))
    race = path_in(ROOT, "race")
    output, stop, log = path_in(race, "file_race.zip"), path_in(race, "stop"), path_in(LOG, "2024_05_03.log")
    write(output, b"zip", "wb")
    writers = [session.start(STRESS, win(PROG) + "\\", str(w), "--until", win(stop), win(output), log=subprocess.PIPE)
               for w in range(RACE_WRITERS)]
    try:
        deadline = time.time() + 60
        while len({l[0] for l in race_lines(log) if l}) < RACE_WRITERS and time.time() < deadline:
            time.sleep(0.2)
        begun = time.time()
        rewrites = 0
        for _ in range(RACE_OPENINGS):
            before = os.stat(log).st_ino
            open_history(d, R.IDC_FILE_HISTORY)
            d("close", HISTORY)
            d("gone", HISTORY)
            # The move of the rewritten file over the log gives it a new inode.
            settle = time.time() + 10
            while os.stat(log).st_ino == before and time.time() < settle:
                time.sleep(0.05)
            rewrites += os.stat(log).st_ino != before
        seconds = time.time() - begun
    finally:
        write(stop, b"stop", "wb")
        results = [w.communicate(timeout=60)[0].decode("ascii", "replace").split() for w in writers]
    check([w.returncode for w in writers] == [0] * RACE_WRITERS, "the writers' exit codes")
    appended = {int(r[0]): (int(r[1]), int(r[2])) for r in results if len(r) == 4}
    pace = sum(int(r[3]) / max(1, int(r[1]) + int(r[2])) for r in results if len(r) == 4) / RACE_WRITERS
    lines = race_lines(log)
    torn = sum(1 for l in lines if l is None or l[3] not in (win(output), win(output) + ".gone"))
    kept_total = sum(k for k, _ in appended.values())
    gone_total = sum(g for _, g in appended.values())
    found = {}
    for l in lines:
        if l and l[1] == "n":
            found.setdefault(l[0], []).append(l[2])
    lost = sum(len(set(range(appended.get(w, (0, 0))[0])) - set(found.get(w, [])))
               for w in range(RACE_WRITERS))
    doubled = sum(len(n) - len(set(n)) for n in found.values())
    left = sum(1 for l in lines if l and l[1] == "g")
    print("      %d rewrites in %.1f s; %d lines appended (%.2f ms apart per writer), %d naming a present "
          "backup: %d found, %d lost, %d doubled, %d torn; %d of %d gone lines removed"
          % (rewrites, seconds, kept_total + gone_total,
             pace, kept_total,
             sum(len(n) for n in found.values()), lost, doubled, torn, gone_total - left, gone_total))
    check(len(appended) == RACE_WRITERS and kept_total > 0, "every writer reported its counts (%s)" % results)
    check(rewrites == RACE_OPENINGS, "every opening rewrote the log (%d)" % rewrites)
    check(lost == 0 and doubled == 0 and torn == 0, "no line lost, doubled or torn")


def main():
    prepare()
    odbc = os.path.join(os.environ.get("DORVIK_NATIVE_BUILD", ""), "tests", "sqlserver", "odbc")
    session = Session(os.path.join(BUILD, "wineprefix-history"),
                      {"ODBCSYSINI": odbc, "DORVIK_SQLSERVER_STATE": SERVER})
    started = time.time()
    try:
        d = Driver(session, DRIVER_EXE)
        session.start(path_in(PROG, "DorvikUI.exe"), log=open(path_in(ROOT, "console.log"), "ab"))
        d("wait", MAIN, 60, timeout=90)
        for step in (slow_connection, file_mode, sql_mode, rewrite_race):
            try:
                step(d, session)
            except DriverError as error:
                check(False, "%s: %s" % (step.__name__, error))
                for _ in range(3):
                    try:
                        d("answer", "IDOK")
                    except DriverError:
                        break
                try:
                    d("close", HISTORY)
                except DriverError:
                    pass
        d.close()
    finally:
        session.close()
    return outcome("history end-to-end", time.time() - started, SHOTS)


if __name__ == "__main__":
    sys.exit(main())
