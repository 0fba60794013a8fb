"""A private X display and Wine prefix in which DorvikUI.exe runs and is operated by
console_driver.exe; used by the console's end-to-end test and by the demo."""
import ctypes
import os
import queue
import re
import signal
import subprocess
import threading
import time
import types

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PR_SET_PDEATHSIG = 1
MAIN = "Varnel·Dorvik系统 V1.1 - *"  # the main window's caption, up to the web address


def resource_ids():
    """The console's control and dialog ids, read from its resource header."""
    ids = {}
    with open(os.path.join(SOURCE, "console", "resource.h"), encoding="utf-8") as header:
        for line in header:
            m = re.match(r"#define\s+(\w+)\s+(0x[0-9A-Fa-f]+|\d+)\b", line)
            if m:
                ids[m.group(1)] = int(m.group(2), 0)
    return types.SimpleNamespace(**ids)


def _die_with_parent():
    # Xvfb must not outlive this script, even when it is killed.
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class DriverError(Exception):
    pass


class Session:
    """Xvfb on a free display number, and a Wine prefix of its own whose programs draw there."""

    def __init__(self, prefix, extra_env=None):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_parent)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number:
            self.xvfb.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, DISPLAY=self.display, WINEPREFIX=prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="zh_CN.UTF-8", **(extra_env or {}))
        self.env.pop("XAUTHORITY", None)
        self.processes = []
        subprocess.run([os.path.join(SOURCE, "scripts", "wine-prefix.sh"), prefix], env=self.env,
                       check=True)
        # A wineserver left from an earlier run would keep its desktop on another display.
        self.wineserver_kill()

    def wineserver_kill(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)

    def wine(self, *args, timeout=120):
        """Runs a Windows program to its end; its output as text."""
        done = subprocess.run(["wine"] + list(args), env=self.env, capture_output=True, timeout=timeout)
        return done.stdout.decode("gbk", "replace").replace("\r", "")

    def start(self, *args, log=None):
        process = subprocess.Popen(["wine"] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=log or subprocess.DEVNULL, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True,
                       env=self.env, timeout=60)

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
        self.wineserver_kill()
        self.xvfb.terminate()
        try:
            self.xvfb.wait(10)
        except subprocess.TimeoutExpired:
            self.xvfb.kill()


class Driver:
    """console_driver.exe kept running, one command a line; each call returns the values."""

    def __init__(self, session, exe):
        self.process = subprocess.Popen(["wine", exe, "-"], env=session.env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        session.processes.append(self.process)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.decode("gbk", "replace").rstrip("\r\n"))
        self.lines.put(None)

    def __call__(self, *args, timeout=60):
        """Values of a command (each a text, or a list of fields); DriverError when it failed."""
        self.process.stdin.write("\t".join(str(a) for a in args).encode("gbk") + b"\n")
        self.process.stdin.flush()
        values = []
        deadline = time.time() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.1, deadline - time.time()))
            except queue.Empty:
                raise DriverError("%s: no answer" % (args,))
            if line is None:
                raise DriverError("%s: the driver ended" % (args,))
            if line == "ok":
                return values
            if line.startswith("err: "):
                raise DriverError("%s: %s" % (args, line[5:]))
            value = line[2:].replace("\x1f", "\n")
            values.append(value.split("\x1e") if "\x1e" in value else value)

    def value(self, *args, **kw):
        values = self(*args, **kw)
        return values[0] if values else ""

    def message_box(self, seconds=20):
        """The message box being shown: (caption, text, buttons)."""
        caption, text, buttons = self("msgbox", seconds, timeout=seconds + 30)
        return caption, text, buttons

    def rows(self, window, list_id):
        """Each row of a list view: (checked, [column texts])."""
        return [(fields[0] == "1", fields[1:]) for fields in
                (row if isinstance(row, list) else [row] for row in self("lv-rows", window, list_id))]

    def checked(self, window, control):
        return self.value("state", window, control).split()[2] == "1"

    def enabled(self, window, control):
        return self.value("state", window, control).split()[1] == "1"

    def close(self):
        self.process.stdin.close()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
