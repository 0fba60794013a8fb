#!/usr/bin/env python3
"""Opens DorvikUI.exe on the config.db of a program folder under a private Xvfb display, prints
what its file task list shows, saves a screenshot of the main window and leaves the console with
its exit question answered Yes. The service the console installs is removed afterwards.

usage: console_screenshot.py PROGRAM_DIR PREFIX OUT_PNG CONSOLE_DRIVER"""
import os
import subprocess
import sys

from console_session import MAIN, Driver, DriverError, Session, resource_ids

R = resource_ids()


def main():
    program, prefix, png, driver_exe = sys.argv[1:5]
    session = Session(prefix)
    try:
        session.wine("sc", "delete", "Dorviksvc")
        console = session.start(os.path.join(program, "DorvikUI.exe"))
        d = Driver(session, driver_exe)
        print("main window:", d.value("wait", MAIN, 60, timeout=90))
        for checked, columns in d.rows(MAIN, R.IDC_FILE_LIST):
            print("  [%s] %s" % ("x" if checked else " ", " | ".join(c for c in columns if c)))
        session.screenshot(png)
        subprocess.run(["convert", png, "-trim", "+repage", png], check=False)
        print("screenshot:", png)
        d("click", MAIN, R.IDC_EXIT)
        d("answer", "IDYES")
        console.wait(60)
        d.close()
    except (DriverError, subprocess.TimeoutExpired) as error:
        print("FAIL:", error)
        session.screenshot(png)
        print("what the display showed instead:", png)
        return 1
    finally:
        session.wine("sc", "delete", "Dorviksvc")
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
