#!/usr/bin/python3
"""Korean through the browser viewer of the headless `make run`, in a real headless Chromium.

scripts/run.sh runs without a display, with a program folder, centre port and viewer port of this test's own.
Chromium, driven through its DevTools protocol, opens the printed address in a 1366 x 768 window, checks that
the whole client shows without scrolling, and registers 홍길동 as a person would: the name typed the way an
input method delivers it (composition, then the committed text), the number in plain keys, 사직동 pasted into
the postal search. The centre stand-in's log must show that search finding codes and the real-name check
(work code 004) answering that the name matches the register for that number, which it does only when the
name arrived as 홍길동. Then a fire is reported with a composed word and a long inserted description, which the
dispatcher's view must show unchanged. Before all that, 도움말 must leave the browser alone on the virtual display and say the address; after
it, a text with more different Korean characters than the display has spare keys for must be refused.
"""
import base64
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

CHROMIUM = "/usr/bin/chromium"
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
DESCRIPTION = ("이층 창문에서 검은 연기가 계속 나옵니다. 안에 아이 둘과 할머니가 있는데 문이 잠겨 있어요. "
               "불길이 옆집 지붕까지 번지려고 합니다. 사다리와 구급차를 함께 보내 주세요. "
               "저는 말을 못 하는 청각장애인입니다.")
WIDTH, HEIGHT = 1366, 768

try:
    import websocket  # Debian's python3-websocket
except ImportError:
    websocket = None


def skip(why):
    print("SKIP: " + why)
    sys.exit(77)


class Failure(Exception):
    pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, check, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(0.2)
    raise Failure("no " + what + " within " + str(seconds) + " s")


class DevTools:
    """One page of Chromium, through its DevTools protocol."""

    def __init__(self, url):
        self.ws = websocket.create_connection(url, timeout=30, suppress_origin=True)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise Failure(method + ": " + message["error"].get("message", "failed"))
                return message.get("result", {})

    def eval(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True,
                           userGesture=True)
        if "exceptionDetails" in result:
            raise Failure("in the page: " + json.dumps(result["exceptionDetails"])[:300])
        return result["result"].get("value")

    def key(self, key, code, key_code, text="", modifiers=0, commands=None):
        down = {"type": "keyDown" if text else "rawKeyDown", "key": key, "code": code,
                "windowsVirtualKeyCode": key_code, "modifiers": modifiers}
        if text:
            down["text"] = text
        if commands:
            down["commands"] = commands
        self.call("Input.dispatchKeyEvent", **down)
        self.call("Input.dispatchKeyEvent", type="keyUp", key=key, code=code, windowsVirtualKeyCode=key_code,
                  modifiers=modifiers)

    def type_digits(self, digits):
        for d in digits:
            self.key(d, "Digit" + d, ord(d), text=d)
            time.sleep(0.05)

    def compose(self, syllables):
        """As a Korean input method: each syllable grows jamo by jamo, then is committed."""
        for stages in syllables:
            for stage in stages:
                # The key that the input method takes reaches the page as "Process", key code 229.
                self.call("Input.dispatchKeyEvent", type="rawKeyDown", key="Process", code="KeyA",
                          windowsVirtualKeyCode=229)
                self.call("Input.imeSetComposition", text=stage, selectionStart=len(stage),
                          selectionEnd=len(stage))
                self.call("Input.dispatchKeyEvent", type="keyUp", key="Process", code="KeyA",
                          windowsVirtualKeyCode=229)
            self.call("Input.insertText", text=stages[-1])
            time.sleep(0.1)

    def click(self, x, y, count=1):
        """Clicks the remote screen at (x, y) of the virtual display, wherever the viewer scaled it to."""
        box = self.eval("(() => { const c = document.querySelector('#screen canvas');"
                        " const r = c.getBoundingClientRect();"
                        " return [r.left, r.top, r.width / c.width, r.height / c.height]; })()")
        px, py = box[0] + x * box[2], box[1] + y * box[3]
        self.call("Input.dispatchMouseEvent", type="mouseMoved", x=px, y=py)
        for n in range(1, count + 1):
            self.call("Input.dispatchMouseEvent", type="mousePressed", x=px, y=py, button="left", clickCount=n)
            self.call("Input.dispatchMouseEvent", type="mouseReleased", x=px, y=py, button="left", clickCount=n)
        time.sleep(0.5)

    def colour(self, x, y):
        """The colour at (x, y) of the virtual display, as the viewer shows it."""
        return self.eval("Array.from(document.querySelector('#screen canvas').getContext('2d')"
                         ".getImageData(%d, %d, 1, 1).data.slice(0, 3))" % (x, y))

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))


def run(work):
    dist = os.path.join(work, "dist")
    shutil.copytree(os.path.join(BUILD, "dist"), dist)
    centre = "127.0.0.1:" + str(free_port())
    with open(os.path.join(dist, "EnvSet.ini"), "w") as f:
        f.write("[DEFAULT]\r\nCURRENT_VERSION=1.0.0.0\r\nURL=" + centre + "\r\n")
    viewer_port = free_port()
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    # A runtime folder of its own: the client's single-instance lock must not meet another test's client.
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    env.update(XDG_RUNTIME_DIR=runtime, HALVREN_RUN_BUILT="1", HALVREN_RUN_DIR=os.path.join(work, "run"), HALVREN_DIST_DIR=dist,
               HALVREN_CENTRE_LISTEN=centre, HALVREN_VIEWER_PORT=str(viewer_port))
    run_log = open(os.path.join(work, "run.log"), "w")
    make_run = subprocess.Popen(["bash", os.path.join(ROOT, "scripts", "run.sh")], cwd=ROOT, env=env,
                                stdout=run_log, stderr=subprocess.STDOUT, start_new_session=True)
    browser = None
    try:
        def address():
            if make_run.poll() is not None:
                raise Failure("make run ended before it printed the viewer's address")
            found = re.search(r"http://127\.0\.0\.1:%d/#password=[A-Za-z0-9]+" % viewer_port,
                              open(run_log.name).read())
            return found and found.group(0)
        url = wait_for("viewer address", address, 60)
        centre_log = os.path.join(work, "run", "centre.log")

        profile = os.path.join(work, "chromium")
        browser = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--remote-debugging-port=0", "--window-size=%d,%d" % (WIDTH, HEIGHT),
             "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        active = os.path.join(profile, "DevToolsActivePort")
        wait_for("DevTools port", lambda: os.path.exists(active) and open(active).read().count("\n") >= 1, 30)
        port = open(active).read().split("\n")[0]
        pages = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port, timeout=10))
        page = DevTools([p for p in pages if p["type"] == "page"][0]["webSocketDebuggerUrl"])
        page.call("Browser.grantPermissions", origin="http://127.0.0.1:%d" % viewer_port,
                  permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        page.call("Page.enable")
        page.call("Page.navigate", url=url)

        # Connected, and the client drawn: the title bar's light blue at its left end.
        wait_for("connection in the viewer", lambda: "Connected" in (page.eval(
            "(document.getElementById('status') || {}).textContent") or ""), 30)
        client_drawn = ("(() => { const c = document.querySelector('#screen canvas');"
                        " const p = c.getContext('2d').getImageData(4, 30, 1, 1).data;"
                        " return p[2] > 200 && p[0] > 150; })()")
        wait_for("client window in the viewer", lambda: page.eval(client_drawn), 60)

        # The whole client shows in a 1366 x 768 browser window, without scrolling.
        fit = page.eval("(() => { const r = document.querySelector('#screen canvas').getBoundingClientRect();"
                        " const d = document.scrollingElement;"
                        " return [r.left >= 0 && r.top >= 0 && r.right <= innerWidth + 0.5 &&"
                        " r.bottom <= innerHeight + 0.5, d.scrollHeight <= innerHeight && d.scrollWidth <= innerWidth,"
                        " Math.round(r.width), Math.round(r.height)]; })()")
        if not fit[0] or not fit[1]:
            raise Failure("the client does not fit the browser window: shown %dx%d, scrolling %s" %
                          (fit[2], fit[3], "needed" if not fit[1] else "not needed"))

        # 도움말 opens no browser on the virtual display: the address goes to the terminal and the client's box.
        page.click(875, 690)
        help_line = "Help page: open https://%s/Morvane/vesk/Help/help.jsp in your browser." % centre
        wait_for("help address on the terminal", lambda: help_line in open(run_log.name).read(), 10)
        # The client's message box, its dark blue title bar over the light page, until Return closes it.
        dark_blue = lambda x, y: page.colour(x, y)[2] > 100 > page.colour(x, y)[0]
        wait_for("message box with the help address", lambda: dark_blue(300, 272), 15)
        page.key("Enter", "Enter", 13, text="\r")
        wait_for("message box to close", lambda: not dark_blue(300, 272), 15)

        # No person yet: 사용자 등록하기, then the registration page.
        page.click(511, 362)
        page.click(578, 137)
        page.compose([["ㅎ", "호", "홍"], ["ㄱ", "기", "길"], ["ㄷ", "도", "동"]])
        page.click(290, 188)
        page.type_digits("800101")
        page.click(420, 188)
        page.type_digits("1234567")

        # The postal search: 사직동 pasted with Ctrl+V, then Return searches.
        page.click(600, 221)
        # The search dialog's title bar, dark blue, over the page.
        wait_for("postal search dialog", lambda: dark_blue(200, 85), 15)
        page.click(468, 203)
        page.eval("navigator.clipboard.writeText('사직동').then(() => true)")
        page.call("Input.dispatchKeyEvent", type="rawKeyDown", key="Control", code="ControlLeft",
                  windowsVirtualKeyCode=17, modifiers=2)
        page.key("v", "KeyV", 86, modifiers=2, commands=["paste"])
        page.call("Input.dispatchKeyEvent", type="keyUp", key="Control", code="ControlLeft",
                  windowsVirtualKeyCode=17)
        time.sleep(0.5)
        page.key("Enter", "Enter", 13, text="\r")
        found = wait_for("postal search in the centre's log", lambda: re.search(
            r"-> 102 ([0-9]+) entries for 사직동", open(centre_log).read()), 15)
        if int(found.group(1)) == 0:
            raise Failure("the postal search for 사직동 found nothing")
        page.click(300, 313, count=2)  # the first code of the list

        page.click(578, 308)
        page.compose([["ㅅ", "사"], ["ㅁ", "무"], ["ㅅ", "시", "실"]])
        page.click(735, 580)
        checked = wait_for("real-name check in the centre's log", lambda: re.search(
            r"-> 104 CHECKRESULT ([0-9])", open(centre_log).read()), 15)
        if checked.group(1) != "1":
            raise Failure("the real-name check answered %s, not 1: the name did not arrive as 홍길동"
                          % checked.group(1))

        # Not another person; the report page: 화재, a composed description, 신고하기, and yes in the confirmation.
        time.sleep(1)
        page.key("Enter", "Enter", 13, text="\r")
        time.sleep(1)
        page.click(210, 337)
        page.click(600, 483)
        page.compose([["ㅇ", "여", "연"], ["ㄱ", "기"]])
        # A description as a person writes it, with more different syllables than the usual keymap has spare
        # keys for: it must arrive whole and unchanged.
        page.call("Input.insertText", text=" " + DESCRIPTION)
        time.sleep(3)
        page.click(510, 578)
        time.sleep(1)
        page.key("Enter", "Enter", 13, text="\r")
        wait_for("report in the centre's log", lambda: re.search(r"-> 111 ", open(centre_log).read()), 15)
        pages = re.search(r"Dispatcher's view: (http://127\.0\.0\.1:[0-9]+/)", open(run_log.name).read())
        if not pages:
            raise Failure("make run did not say where the dispatcher's view is")
        view = urllib.request.urlopen(pages.group(1), timeout=10).read().decode("utf-8", "replace")
        if "연기 " + DESCRIPTION not in view:
            raise Failure("the dispatcher's view does not show the description as typed")
        # A text needing more different Korean characters than the display has spare keys for is refused
        # whole and said: typed, its later characters would come out as others.
        many = "".join(chr(0xAC00 + 28 * i) for i in range(150))
        page.eval("navigator.clipboard.writeText('%s').then(() => true)" % many)
        page.call("Input.dispatchKeyEvent", type="rawKeyDown", key="Control", code="ControlLeft",
                  windowsVirtualKeyCode=17, modifiers=2)
        page.key("v", "KeyV", 86, modifiers=2, commands=["paste"])
        page.call("Input.dispatchKeyEvent", type="keyUp", key="Control", code="ControlLeft",
                  windowsVirtualKeyCode=17)
        said = page.eval("document.getElementById('status').textContent + '|' + "
                         "document.getElementById('sendText').value")
        if not said.startswith("Not typed") or not said.endswith("|" + many):
            raise Failure("a text too long for the display's spare keys was not refused: " + said)
        print("viewer: 홍길동 composed and 사직동 pasted reached the centre through headless Chromium "
              "and a report described as 연기 was taken (client shown at %dx%d in a %dx%d window)" % (fit[2], fit[3], WIDTH, HEIGHT))
        return True
    except Failure as e:
        print("FAIL: " + str(e))
        if os.environ.get("HALVREN_TEST_SHOTS") and browser is not None and "page" in locals():
            page.screenshot(os.path.join(os.environ["HALVREN_TEST_SHOTS"], "viewer-failure.png"))
        for log in ("run.log", "run/centre.log", "run/vnc.log", "run/viewer.log"):
            path = os.path.join(work, log)
            if os.path.exists(path):
                print("--- " + log)
                print(open(path, errors="replace").read()[-3000:])
        return False
    finally:
        if browser is not None:
            os.killpg(browser.pid, signal.SIGKILL)
            browser.wait()
        if make_run.poll() is None:
            os.killpg(make_run.pid, signal.SIGINT)
            try:
                make_run.wait(20)
            except subprocess.TimeoutExpired:
                os.killpg(make_run.pid, signal.SIGKILL)
                make_run.wait()
        run_log.close()


def main():
    if not os.access(CHROMIUM, os.X_OK):
        skip(CHROMIUM + " is not installed (Debian package chromium; make test installs it)")
    if websocket is None:
        skip("python3-websocket is not installed (make test installs it)")
    for tool in ("Xvfb", "x11vnc", "websockify"):
        if shutil.which(tool) is None:
            skip(tool + " is not installed (make test installs it)")
    work = tempfile.mkdtemp(prefix="halvren-viewer-")
    try:
        ok = run(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(0 if ok else 1)


main()
