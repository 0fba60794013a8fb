#!/usr/bin/env python3
"""DorvikUI.exe's settings dialog, update notice and banner under a private Xvfb display: the
refusals read from the real message boxes, config.db compared byte for byte; the web texts served
by a local http.server named in webtexts.txt. Wine hands each page the console opens to the Linux
program in HKCU\\Software\\Wine\\WineBrowser, here a script that records the address; a banner
link to a local program would leave a marker file if it ever ran. Screenshots: console-screenshots/.

usage: settings_e2e.py DORVIKUI RAR CONSOLE_DRIVER"""
import http.server
import os
import shutil
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path[:0] = [os.path.join(SOURCE, "tests", "e2e"), os.path.join(SOURCE, "tests", "config")]
from config_db import scramble, unscramble  # noqa: E402
from console_session import MAIN, Driver, DriverError, Session, resource_ids  # noqa: E402
from e2e_support import check, failures, win  # noqa: E402

UI, RAR, DRIVER_EXE = sys.argv[1:4]
BUILD = os.environ["DORVIK_BUILD"]
ROOT = os.path.join(BUILD, "testroot", "settings")
SHOTS = os.path.join(BUILD, "console-screenshots")
PROG = os.path.join(ROOT, "prog")
TOOLS = os.path.join(ROOT, "tools")
OPENED = os.path.join(ROOT, "opened.log")
MARKER = os.path.join(ROOT, "program-ran")
SETTINGS = "RAR路径 - Varnel·Dorvik"
FILE_EDITOR = "文件备份选项"
DEFAULT_BANNER = "Varnel·Dorvik系统V1.1版"
R = resource_ids()

START_DOC = ("<rarpath>%s</rarpath><defStorePath>%s</defStorePath><FileBackups>|||<Check>YES</Check>"
             "    <SouPath>%s</SouPath>    <DesPath>%s</DesPath>    <m_strID>1</m_strID>|||</FileBackups>"
             "<SqlBackups>|||</SqlBackups>")


def stored_text():
    with open(os.path.join(PROG, "config.db"), "rb") as f:
        return unscramble(f.read()).decode("gbk", "replace")


def store_text(text):
    with open(os.path.join(PROG, "config.db"), "wb") as f:
        f.write(scramble(text.encode("gbk")))


class Server:
    """The maker's web server: pages by path, every request's path and query recorded. A path in
    `late` is answered after that many seconds, one in `silent` never (until the server stops),
    one in `endless` with a body that never ends: `hung_up` gets its path and the bytes sent
    once the client has closed the connection."""

    def __init__(self):
        self.pages, self.requests, self.silent, self.late = {}, [], set(), {}
        self.endless, self.hung_up = set(), {}
        self.stop = threading.Event()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                server.requests.append(self.path)
                path = self.path.split("?")[0]
                if path in server.silent:
                    server.stop.wait(120)
                    return
                if path in server.endless:
                    self.send_response(200)
                    self.end_headers()
                    chunk, sent = b"<VNLVersion>9." + b"9" * 65536, 0
                    try:
                        while not server.stop.is_set():
                            self.wfile.write(chunk)
                            sent += len(chunk)
                    except OSError:
                        server.hung_up[path] = (sent, time.time())
                    return
                server.stop.wait(server.late.get(path, 0))
                body = server.pages.get(path)
                self.send_response(200 if body is not None else 404)
                self.end_headers()
                self.wfile.write(body or b"")

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.httpd.daemon_threads = True
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def saw(self, path, seconds=15):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if any(r.split("?")[0] == path for r in self.requests):
                return True
            time.sleep(0.1)
        return False

    def close(self):
        self.stop.set()
        self.httpd.shutdown()
        self.httpd.server_close()


def free_port():
    """A port nobody listens on: the server-down case."""
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def opened_lines():
    """Every address handed to the browser so far."""
    if not os.path.exists(OPENED):
        return []
    with open(OPENED, encoding="utf-8", errors="replace") as f:
        return f.read().split()


def opened(after, seconds=10):
    """The last address handed to the browser, once more than `after` have been."""
    deadline = time.time() + seconds
    while len(opened_lines()) <= after and time.time() < deadline:
        time.sleep(0.2)
    lines = opened_lines()
    return lines[-1] if len(lines) > after else None


def prepare():
    shutil.rmtree(ROOT, ignore_errors=True)
    for folder in (PROG, os.path.join(TOOLS, "winrar"), os.path.join(TOOLS, "gone"),
                   os.path.join(ROOT, "data"), os.path.join(ROOT, "bak"), os.path.join(ROOT, "备份"),
                   SHOTS):
        os.makedirs(folder, exist_ok=True)
    shutil.copy(UI, os.path.join(PROG, "DorvikUI.exe"))
    shutil.copy(RAR, os.path.join(PROG, "rar.exe"))
    for name in ("rar.exe", "7z.exe", os.path.join("winrar", "WinRAR.exe")):
        shutil.copy(RAR, os.path.join(TOOLS, name))
    with open(os.path.join(ROOT, "marker.bat"), "w") as f:
        f.write("echo ran > %s\r\n" % win(MARKER))
    recorder = os.path.join(ROOT, "record-open.sh")
    with open(recorder, "w") as f:
        f.write("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '%s'; done\n" % OPENED)
    os.chmod(recorder, 0o755)
    store_text(START_DOC % (win(PROG) + "\\rar.exe", win(ROOT) + "\\bak", win(ROOT) + "\\data",
                            win(ROOT) + "\\bak"))
    return recorder


class Console:
    def __init__(self, session):
        self.session = session
        self.d = Driver(session, DRIVER_EXE)
        self.process = None

    def start(self, web_texts):
        with open(os.path.join(PROG, "webtexts.txt"), "w", encoding="gbk", newline="\r\n") as f:
            f.write("".join("%d=%s\n" % (n, t) for n, t in sorted(web_texts.items())))
        self.process = self.session.start(os.path.join(PROG, "DorvikUI.exe"))
        self.started = time.time()
        self.d("wait", MAIN, 60, timeout=90)

    def kill(self):
        self.process.kill()
        self.process.wait(30)

    def exit(self):
        """退出 answered Yes; the seconds until the process has ended."""
        begun = time.time()
        self.d("click", MAIN, R.IDC_EXIT)
        self.d("answer", "IDYES")
        self.process.wait(60)
        return time.time() - begun

    def message(self, text, answer="IDOK"):
        caption, shown, buttons = self.d.message_box()
        check(shown == text, "message %r (shown: %r)" % (text, shown))
        self.d("answer", answer)
        return caption, buttons

    def no_message(self, seconds):
        try:
            caption, shown, _ = self.d.message_box(seconds)
        except DriverError:
            return True
        print("      unexpected message %r: %r" % (caption, shown))
        self.d("answer", "IDNO")
        return False

    def shot(self, name):
        path = os.path.join(SHOTS, name + ".png")
        self.session.screenshot(path)
        subprocess.run(["convert", path, "-trim", "+repage", path], check=False)


def capability(function):
    def run(*args):
        print("--- " + function.__doc__.splitlines()[0])
        try:
            function(*args)
        except (DriverError, subprocess.TimeoutExpired) as error:
            check(False, "%s: %s" % (function.__name__, error))
    return run


@capability
def settings_dialog(c, server):
    """Settings: each refusal, the stored rarpath and defStorePath byte for byte."""
    c.start({1: server.url("/product")})
    doc = stored_text()
    c.d("click", MAIN, R.IDC_SETTINGS)
    c.d("wait", SETTINGS)
    check(c.d.value("text", SETTINGS, R.IDC_SETTINGS_RAR_PATH) == win(PROG) + "\\rar.exe",
          "the archiver field shows the stored rarpath")
    check(c.d.value("text", SETTINGS, R.IDC_SETTINGS_STORE_PATH) == win(ROOT) + "\\bak",
          "the folder field shows the default storage folder")
    c.shot("settings_dialog")
    tools, missing = win(TOOLS), win(ROOT) + "\\nowhere"
    refusals = [
        (tools + "\\7z.exe", "", "rar路径不存在。", "not named rar.exe or winrar.exe"),
        (tools + "\\Gone\\Rar", "", "rar路径不存在.", "named well (.exe added) but missing"),
        (tools + "\\unrar.exe", "", "rar路径不存在。", "unrar.exe: the name must follow a backslash"),
        (tools + "\\RAR", missing, "设置的默认路径不存在", "a missing folder blocks a valid archiver"),
    ]
    for rar, store, message, why in refusals:
        c.d("settext", SETTINGS, R.IDC_SETTINGS_RAR_PATH, rar)
        c.d("settext", SETTINGS, R.IDC_SETTINGS_STORE_PATH, store)
        c.d("click", SETTINGS, R.IDC_SETTINGS_OK)
        print("      " + why)
        c.message(message)
        check(c.d.value("wait", SETTINGS, 5) == SETTINGS, "the dialog stays open (%s)" % why)
        check(stored_text() == doc, "config.db unchanged (%s)" % why)

    c.d("settext", SETTINGS, R.IDC_SETTINGS_RAR_PATH, tools + "\\RAR")
    c.d("settext", SETTINGS, R.IDC_SETTINGS_STORE_PATH, "")
    c.d("click", SETTINGS, R.IDC_SETTINGS_OK)
    c.d("gone", SETTINGS)
    doc = doc.replace(win(PROG) + "\\rar.exe", (tools + "\\rar.exe").lower())
    check(stored_text() == doc, "RAR typed without extension stored lower-cased with .exe; "
                                "an empty folder field keeps the stored folder")

    chinese = win(ROOT) + "\\备份"
    c.d("click", MAIN, R.IDC_SETTINGS)
    c.d("wait", SETTINGS)
    check(c.d.value("text", SETTINGS, R.IDC_SETTINGS_RAR_PATH) == (tools + "\\rar.exe").lower(),
          "the dialog reopens with the stored archiver")
    c.d("settext", SETTINGS, R.IDC_SETTINGS_RAR_PATH, tools + "\\WinRAR\\WinRAR.exe")
    c.d("settext", SETTINGS, R.IDC_SETTINGS_STORE_PATH, chinese)
    c.d("click", SETTINGS, R.IDC_SETTINGS_OK)
    c.d("gone", SETTINGS)
    want = START_DOC % ((tools + "\\winrar\\winrar.exe").lower(), chinese, win(ROOT) + "\\data",
                        win(ROOT) + "\\bak")
    check(stored_text() == want, "WinRAR.exe accepted; the Chinese folder stored as typed")

    for how in ("取消", "close box"):
        c.d("click", MAIN, R.IDC_SETTINGS)
        c.d("wait", SETTINGS)
        c.d("settext", SETTINGS, R.IDC_SETTINGS_STORE_PATH, win(ROOT) + "\\data")
        if how == "取消":
            c.d("click", SETTINGS, R.IDC_SETTINGS_CANCEL)
        else:
            c.d("close", SETTINGS)
        c.d("gone", SETTINGS)
        check(stored_text() == want, "%s changes nothing" % how)

    c.d("click", MAIN, R.IDC_FILE_NEW)
    c.d("wait", FILE_EDITOR)
    check(c.d.value("text", FILE_EDITOR, R.IDC_FT_STORE) == chinese,
          "a new file task is offered the new default folder at once")
    c.d("click", FILE_EDITOR, R.IDC_FT_CANCEL)
    c.d("gone", FILE_EDITOR)
    c.kill()


def banner_titles(c, seconds):
    """The bottom line's texts as they change: [(seconds since start, text)]."""
    seen = []
    deadline = time.time() + seconds
    while time.time() < deadline:
        text = c.d.value("text", MAIN, R.IDC_BANNER_TEXT)
        if not seen or seen[-1][1] != text:
            seen.append((time.time() - c.started, text))
        time.sleep(0.1)
    return seen


def entry(soft, url, title, color):
    return "<soft>%s</soft><url>%s</url><title>%s</title><color>%s</color>" % (soft, url, title, color)


@capability
def update_and_banner(c, server):
    """Update notice 1.10 and a banner list: question, rotation, clicks, rnum."""
    local = win(ROOT).lower() + "\\marker.bat"
    server.pages["/version"] = ("<VNLVersion>1.10</VNLVersion><VNLUpdateUrl>%s</VNLUpdateUrl>"
                                "<VNLUpdateAbout>更快更稳</VNLUpdateAbout>" % server.url("/new")).encode("gbk")
    server.pages["/ads"] = ("<vnlads>head of the list##" + entry("*", server.url("/a"), "第一条 First", "1") +
                            "##" + entry("vnlsms,!vnlsms", server.url("/x"), "hidden", "2") + "##\r\n" +
                            entry("vnlsms", local, "第二条", "4") + "##" + entry("*", "", "第三条", "2") +
                            "##tail of the list</vnlads>").encode("gbk")
    base = len(opened_lines())
    c.start({1: server.url("/product"), 3: server.url("/ads"), 4: server.url("/download"),
             5: server.url("/version")})
    caption, buttons = c.message("发现新版本:1.10\n\n 升级描述:\n 更快更稳\n\n是否查看新的版本？", "IDYES")
    check(caption == "Varnel·Pellion" and buttons == "IDYES IDNO",
          "a yes/no question captioned Varnel·Pellion (%s, %s)" % (caption, buttons))
    check(opened(base) == server.url("/new"), "Yes opens the published address")
    check(server.saw("/ads"), "the banner list was fetched")
    check(all(r.endswith("?rnum=39") for r in server.requests), "both requests carry rnum=39 (%s)" % server.requests)

    seen = banner_titles(c, 15)
    texts = [t for _, t in seen]
    rotation = [t for t in texts if t != DEFAULT_BANNER]
    check(rotation[:4] == ["第一条 first", "第二条", "第三条", "第一条 first"],
          "three entries in order, lower-cased, the hidden one left out (%s)" % texts)
    steps = [round(b[0] - a[0], 1) for a, b in zip(seen, seen[1:])]
    # The median: on a loaded machine a late look makes one step long and the next one short.
    middle = sorted(steps[1:])[len(steps[1:]) // 2] if steps[1:] else 0
    check(2.5 <= middle <= 3.6, "one title every 3 seconds (%s)" % steps)

    banner, button, listed = (c.d.value("pointer", MAIN, i) for i in (R.IDC_BANNER_TEXT, R.IDC_PAGE_FILE,
                                                                     R.IDC_FILE_LIST))
    check(banner not in (button, "0000000000000000") and button == listed,
          "a cursor of its own over the bottom line, the same one over the rest (%s %s %s)" % (banner, button, listed))

    clicks = {}
    deadline = time.time() + 15
    while len(clicks) < 3 and time.time() < deadline:
        title = c.d.value("text", MAIN, R.IDC_BANNER_TEXT)
        if title in clicks or title == DEFAULT_BANNER:
            time.sleep(0.2)
            continue
        before = len(opened_lines())
        c.d("press", MAIN, R.IDC_BANNER_TEXT)
        if c.d.value("text", MAIN, R.IDC_BANNER_TEXT) == title:  # not turned over meanwhile
            clicks[title] = opened(before)
        if title == "第二条":
            c.shot("main_banner")
    check(clicks.get("第一条 first") == server.url("/a"), "a click opens the entry's link (%s)" % clicks)
    check(clicks.get("第二条") == server.url("/product"),
          "a link to a local program opens the product page instead")
    check(clicks.get("第三条") == server.url("/product"), "an empty link opens the product page")
    time.sleep(2)
    check(not os.path.exists(MARKER), "the local program never ran")
    print("      exit took %.1f s" % c.exit())


@capability
def versions(c, server):
    """Update notice: 2.0 with an address not starting with http:// goes to address 4; 1.1, 1.09, 1.0 ask nothing."""
    server.pages["/ads"] = b""
    texts = {1: server.url("/product"), 3: server.url("/ads"), 4: server.url("/download"),
             5: server.url("/version")}
    notice = "<VNLVersion>%s</VNLVersion><VNLUpdateUrl>%s</VNLUpdateUrl><VNLUpdateAbout>x</VNLUpdateAbout>"
    server.pages["/version"] = (notice % ("2.0", "www.varnel.cn/http://new")).encode("gbk")
    base = len(opened_lines())
    c.start(texts)
    c.message("发现新版本:2.0\n\n 升级描述:\n x\n\n是否查看新的版本？", "IDYES")
    check(opened(base) == server.url("/download"), "Yes without a leading http:// opens address 4")
    c.kill()
    for version in ("1.1", "1.09", "1.0"):
        server.requests.clear()
        server.pages["/version"] = (notice % (version, server.url("/new"))).encode("gbk")
        c.start(texts)
        check(server.saw("/version"), "%s: the notice was fetched" % version)
        check(c.no_message(2), "%s raises no question" % version)
        c.kill()


@capability
def server_down(c, server):
    """No server: the default text, no question, and a quick exit; a silent server does not hold the exit."""
    dead = "http://127.0.0.1:%d" % free_port()
    c.start({1: server.url("/product"), 3: dead + "/ads", 4: dead + "/download", 5: dead + "/version"})
    check(c.no_message(7), "no question without a server")
    check(c.d.value("text", MAIN, R.IDC_BANNER_TEXT) == DEFAULT_BANNER, "the default banner text shows")
    base = len(opened_lines())
    c.d("press", MAIN, R.IDC_BANNER_TEXT)
    check(opened(base) == server.url("/product"), "a click on the default text opens the product page")
    for how in ("关于我们", "the About box link"):
        base = len(opened_lines())
        if how == "关于我们":
            c.d("click", MAIN, R.IDC_ABOUT_US)
        else:
            c.d("syscommand", MAIN, R.IDM_ABOUTBOX)
            c.d("press", "关于 Varnel·Dorvik系统", R.IDC_ABOUT_LINK)
            c.d("click", "关于 Varnel·Dorvik系统", 1)  # IDOK
        check(opened(base) == server.url("/product"), "%s opens the product page" % how)
    print("      exit took %.1f s" % c.exit())

    server.silent.add("/slow-version")
    server.late["/slow-ads"] = 10
    server.pages["/slow-ads"] = ("<vnlads>head of the list##%s##tail of the list</vnlads>" %
                                 entry("*", server.url("/a"), "too late", "1")).encode()
    c.start({1: server.url("/product"), 3: server.url("/slow-ads"), 5: server.url("/slow-version")})
    check(server.saw("/slow-ads"), "both fetches are under way at the silent server")
    time.sleep(max(0, c.started + 16 - time.time()))
    check(c.d.value("text", MAIN, R.IDC_BANNER_TEXT) == DEFAULT_BANNER,
          "a banner list 10 s late is given up: the window keeps the default text")
    seconds = c.exit()
    print("      exit with both fetches hanging took %.1f s" % seconds)
    check(seconds < 10, "the exit does not wait for the hanging fetches")


def console_memory():
    """The resident and the peak resident size in MB of the running DorvikUI.exe (0, 0 when none)."""
    sizes = (0, 0)
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if b"DorvikUI.exe" not in f.read():
                    continue
            with open("/proc/%s/status" % pid) as f:
                fields = dict(line.split(":", 1) for line in f if ":" in line)
        except OSError:
            continue
        mb = tuple(int(fields.get(k, "0 kB").split()[0]) // 1024 for k in ("VmRSS", "VmHWM"))
        sizes = max(sizes, mb)
    return sizes


@capability
def endless_server(c, server):
    """A server whose answers never end: the fetches give up, memory stays flat, the exit is quick."""
    server.endless |= {"/endless-version", "/endless-ads"}
    c.start({1: server.url("/product"), 3: server.url("/endless-ads"), 5: server.url("/endless-version")})
    check(server.saw("/endless-ads"), "both fetches are under way at the endless server")
    deadline, peak = time.time() + 30, 0
    while len(server.hung_up) < 2 and time.time() < deadline:
        peak = max(peak, console_memory()[0])
        time.sleep(0.2)
    for path in sorted(server.endless):
        sent, when = server.hung_up.get(path, (None, None))
        if sent is None:
            check(False, "the console still reads %s after 30 s" % path)
            continue
        print("      %s: the console hung up %.1f s after its start, %d KiB sent into the socket"
              % (path, when - c.started, sent // 1024))
    check(c.no_message(3), "no question from an endless answer")
    resident, highest = console_memory()
    peak = max(peak, resident)
    print("      console memory: %d MB resident now, %d MB sampled at most, %d MB peak (VmHWM)"
          % (resident, peak, highest))
    check(0 < highest < 100, "the console stays under 100 MB (%d MB at its peak)" % highest)
    check(c.d.value("text", MAIN, R.IDC_BANNER_TEXT) == DEFAULT_BANNER, "the default banner text shows")
    seconds = c.exit()
    print("      exit took %.1f s" % seconds)
    check(seconds < 10, "the exit comes in bounded time")


def main():
    recorder = prepare()
    session = Session(os.path.join(BUILD, "wineprefix-settings"))
    server = Server()
    try:
        session.wine("reg", "add", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/d", recorder, "/f")
        c = Console(session)
        settings_dialog(c, server)
        update_and_banner(c, server)
        versions(c, server)
        server_down(c, server)
        endless_server(c, server)
        c.d.close()
    finally:
        server.close()
        session.close()
    print("%d failed" % len(failures) if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
