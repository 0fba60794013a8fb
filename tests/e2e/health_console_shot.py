#!/usr/bin/env python3
"""The console over a program folder whose tasks failed or missed their runs: both task lists
show those rows, and only those, in the warning colours, and a row's menu opens with the reason.
DorvikUI.exe runs on a shifted clock under a private Xvfb display in a prefix of its own; the
folder holds no Dorviksvc.exe, so the console's service start changes nothing.

usage: health_console_shot.py PROGRAM_DIR FAKE_TIME SHOTS_DIR CONSOLE_DRIVER WARNED_FILE_IDS WARNED_SQL_NAMES
(ids and names comma-separated, as the rows' key columns show them)"""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path[:0] = [os.path.join(SOURCE, "tests", "console")]
from console_session import MAIN, Driver, DriverError, Session, resource_ids  # noqa: E402
from e2e_support import check, failures  # noqa: E402

R = resource_ids()
WARNING_BACKGROUND = "#FFD8D8"  # console/dialogs/report_list_view.cpp
ROW_PIXELS = (10, 20)            # the pixel lines of one row's background, at least and at most


def warning_lines(png):
    """How many pixel lines of the screenshot hold the warning background."""
    out = subprocess.run(["convert", png, "-fill", "black", "+opaque", WARNING_BACKGROUND, "-fill", "white",
                          "-opaque", WARNING_BACKGROUND, "-scale", "1x!", "-threshold", "0", "txt:-"],
                         capture_output=True, text=True, check=True).stdout
    return sum(1 for line in out.splitlines()[1:] if "#FFFFFF" in line.upper())


def check_list(d, session, shots, list_id, key_column, warned, name):
    rows = d.rows(MAIN, list_id)
    keys = [columns[key_column] for _, columns in rows]
    png = os.path.join(shots, "health_%s_list.png" % name)
    session.screenshot(png)
    lines = warning_lines(png)
    check(ROW_PIXELS[0] * len(warned) <= lines <= ROW_PIXELS[1] * len(warned),
          "%s list: %d warned rows of %d drawn in the warning colour (%d pixel lines, %s)"
          % (name, len(warned), len(rows), lines, png))

    def menu_size(key):
        d("lv-rclick", MAIN, list_id, keys.index(key))
        time.sleep(0.5)
        session.screenshot(os.path.join(shots, "health_%s_row_menu.png" % name))
        width, height = (int(x) for x in d.value("menu-size").split())
        time.sleep(0.3)  # the menu gone
        return width, height

    # A healthy row's menu first, so the screenshot left behind shows a warned row's.
    healthy = [k for k in keys if k not in warned][:1]
    plain = menu_size(healthy[0]) if healthy else None
    for key in warned:
        size = menu_size(key)
        check(plain is None or (size[0] > plain[0] and size[1] > plain[1]),
              "%s task %s: its row menu holds the reason above the commands (%s against %s on a healthy row)"
              % (name, key, size, plain))


def main():
    program, fake_time, shots, driver_exe = sys.argv[1:5]
    warned_files = [k for k in sys.argv[5].split(",") if k]
    warned_sql = [k for k in sys.argv[6].split(",") if k]
    os.makedirs(shots, exist_ok=True)
    build = os.environ["DORVIK_BUILD"]
    server = os.path.join(os.path.dirname(program), "console-sqlserver")
    os.makedirs(server, exist_ok=True)
    with open(os.path.join(server, "databases"), "w") as out:
        out.write("demo\tdemo orders\n")
    odbc = os.path.join(os.environ.get("DORVIK_NATIVE_BUILD", ""), "tests", "sqlserver", "odbc")
    session = Session(os.path.join(build, "wineprefix-health-console"),
                      {"ODBCSYSINI": odbc, "DORVIK_SQLSERVER_STATE": server, "NO_FAKE_STAT": "1"})
    try:
        log = open(os.path.join(shots, "health_console.log"), "wb")
        console = subprocess.Popen(["faketime", fake_time, "wine", os.path.join(program, "DorvikUI.exe")],
                                   env=dict(session.env, WINEDEBUG="err+all"), stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT)
        session.processes.append(console)
        d = Driver(session, driver_exe)
        # The first start on a shifted clock also brings the prefix up to date.
        d.value("wait", MAIN, 120, timeout=150)
        check_list(d, session, shots, R.IDC_FILE_LIST, 7, warned_files, "file")
        deadline = time.time() + 40
        while d.value("text", MAIN, R.IDC_PAGE_SQL) != "SQL Server备份" and time.time() < deadline:
            time.sleep(0.3)
        d("click", MAIN, R.IDC_PAGE_SQL)
        check_list(d, session, shots, R.IDC_SQL_LIST, 1, warned_sql, "sql")
        d.close()
    except DriverError as error:
        check(False, "console: %s" % error)
        session.screenshot(os.path.join(shots, "health_console_failed.png"))
    finally:
        session.close()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
