"""Runs the real penmark program under a private Xvfb and drives it with real X input.

A Session owns one X server, one private home (HOME, XDG folders, a fontconfig file that
lists a private fonts folder) and one program. It reads the widget map the program keeps
when PENMARK_WIDGET_MAP is set, moves the real pointer and presses real keys with
xdotool (XTEST, never XSendEvent), reads window names from the X server and takes
screenshots with ImageMagick.
"""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

SKIP = 77  # CTest's SKIP_RETURN_CODE for the suite

# Debian fonts the sessions offer (package fonts-dejavu-core, fonts-liberation2).
FONT_FILES = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
]

SCREEN = (1280, 1024)
NEUTRAL_POINT = (SCREEN[0] - 2, SCREEN[1] - 2)


class HarnessError(Exception):
    """The harness could not do what a check asked (not a verdict on the program)."""


def missing_tools():
    return [t for t in ("Xvfb", "xdotool", "import", "fc-list") if shutil.which(t) is None]


def center(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


class Session:
    def __init__(self, program, lang="en_US.UTF-8", screens=None, label="session", keep=False):
        self.program = os.path.abspath(program)
        self.lang = lang
        self.screens = screens
        self.label = label
        self.keep = keep
        self.root = tempfile.mkdtemp(prefix="penmark-accept-")
        self.home = os.path.join(self.root, "home")
        self.data_home = os.path.join(self.home, ".local", "share")
        self.config_home = os.path.join(self.home, ".config")
        self.fonts_dir = os.path.join(self.root, "fonts")
        self.map_path = os.path.join(self.root, "widgets.json")
        self.log_path = os.path.join(self.root, "program.log")
        self.xvfb = None
        self.proc = None
        self.display = None
        self.env = None
        self._last_seq = 0
        self._shot = 0
        self._pointer = None

    # ---- set-up and tear-down -------------------------------------------------------

    def __enter__(self):
        try:
            self._make_home()
            self._start_x()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _make_home(self):
        for d in (self.data_home, self.config_home, os.path.join(self.home, ".cache"),
                  self.fonts_dir, os.path.join(self.root, "run"), os.path.join(self.root, "out")):
            os.makedirs(d, exist_ok=True)
        os.chmod(os.path.join(self.root, "run"), 0o700)
        for f in FONT_FILES:
            if os.path.exists(f):
                os.symlink(f, os.path.join(self.fonts_dir, os.path.basename(f)))
        self.fontconfig = os.path.join(self.root, "fonts.conf")
        with open(self.fontconfig, "w") as out:
            out.write(f"""<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>{self.fonts_dir}</dir>
  <dir>{self.data_home}/fonts</dir>
  <cachedir>{self.home}/.cache/fontconfig</cachedir>
  <alias><family>sans-serif</family><prefer><family>DejaVu Sans</family></prefer></alias>
  <alias><family>serif</family><prefer><family>DejaVu Serif</family></prefer></alias>
  <alias><family>Arial</family><prefer><family>Liberation Sans</family></prefer></alias>
</fontconfig>
""")
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("LC_", "XDG_", "QT_", "WAYLAND", "DBUS_"))}
        env.update({
            "HOME": self.home,
            "XDG_DATA_HOME": self.data_home,
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_RUNTIME_DIR": os.path.join(self.root, "run"),
            "FONTCONFIG_FILE": self.fontconfig,
            "LANG": self.lang,
            "LC_ALL": self.lang,
            "QT_QPA_PLATFORM": "xcb",
            "NO_AT_BRIDGE": "1",
            "QT_ACCESSIBILITY": "0",
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + os.path.join(self.root, "run", "no-bus"),
            "PENMARK_WIDGET_MAP": self.map_path,
        })
        self.env = env

    def _start_x(self):
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        number = b""
        deadline = time.time() + 20
        with os.fdopen(r, "rb") as pipe:
            while time.time() < deadline and not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise HarnessError("Xvfb did not report a display")
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display

    def launch(self, *args):
        if os.path.exists(self.map_path):
            os.remove(self.map_path)
        self._last_seq = 0
        log = open(self.log_path, "ab")
        self.proc = subprocess.Popen([self.program, *args], env=self.env, stdout=log, stderr=log,
                                     cwd=os.path.join(self.root, "out"))
        log.close()
        self.wait_for(lambda m: self.wizard(m) is not None, 60, "the wizard window to appear")
        wid = self.x_wizard_window()
        if wid:
            # No window manager: give the wizard the X input focus as a desktop would.
            self.xdo("windowfocus", "--sync", wid, check=False)
        self.settle()

    def close_program(self):
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def close(self):
        self.close_program()
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        if not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def program_log(self):
        try:
            with open(self.log_path, errors="replace") as f:
                return f.read()[-4000:]
        except OSError:
            return ""

    # ---- the widget map ---------------------------------------------------------------

    def read_map(self):
        for _ in range(20):
            try:
                with open(self.map_path, encoding="utf-8") as f:
                    return json.load(f)
            except (OSError, ValueError):
                time.sleep(0.05)
        return {"seq": 0, "windows": []}

    def wait_for(self, predicate, timeout=5.0, what="a condition"):
        deadline = time.time() + timeout
        while True:
            if self.proc and self.proc.poll() is not None and not os.path.exists(self.map_path):
                raise HarnessError(f"the program ended (code {self.proc.returncode}) before {what}")
            m = self.read_map()
            try:
                if predicate(m):
                    self._last_seq = m.get("seq", 0)
                    return m
            except (KeyError, IndexError, TypeError):
                pass
            if time.time() > deadline:
                if not os.path.exists(self.map_path):
                    raise HarnessError("the program wrote no widget map (PENMARK_WIDGET_MAP); "
                                       "it was built without the automation aid")
                raise HarnessError(f"timed out waiting for {what}")
            time.sleep(0.05)

    def settle(self, timeout=2.0):
        """Waits until the program has rewritten the map after the last input."""
        seq = self._last_seq
        deadline = time.time() + timeout
        m = self.read_map()
        while m.get("seq", 0) <= seq and time.time() < deadline:
            time.sleep(0.03)
            m = self.read_map()
        time.sleep(0.1)
        m = self.read_map()
        self._last_seq = m.get("seq", 0)
        return m

    @staticmethod
    def wizard(m):
        for w in m.get("windows", []):
            if "currentId" in w:
                return w
        return None

    def page(self, m=None):
        w = self.wizard(m or self.read_map())
        return w["currentId"] if w else None

    def widgets(self, m=None, **match):
        m = m or self.read_map()
        found = []
        for win in m.get("windows", []):
            for wd in win["widgets"]:
                if all(wd.get(k) == v for k, v in match.items()):
                    found.append(wd)
        return found

    def widget(self, m=None, **match):
        found = self.widgets(m, **match)
        if not found:
            raise HarnessError(f"no visible widget with {match}")
        return found[0]

    def windows(self, m=None, cls=None):
        m = m or self.read_map()
        return [w for w in m.get("windows", []) if cls is None or w["class"] == cls]

    def message_box(self, m=None):
        boxes = self.windows(m, "CMessageBox")
        return boxes[0] if boxes else None

    @staticmethod
    def box_text(box):
        for wd in box["widgets"]:
            if wd.get("objectName") == "text":
                return wd.get("text", "")
        return ""

    # ---- X input -------------------------------------------------------------------

    def xdo(self, *args, check=True):
        # xdotool reads typed text in the locale's encoding: one that is installed.
        env = dict(self.env, LC_ALL="C.UTF-8")
        r = subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True, text=True)
        if check and r.returncode != 0:
            raise HarnessError(f"xdotool {' '.join(map(str, args))}: {r.stderr.strip()}")
        return r.stdout.strip()

    def _move_to(self, x, y):
        # --sync waits until the pointer has moved, so it must not be asked to stay put.
        if (x, y) != self._pointer:
            self.xdo("mousemove", "--sync", x, y)
            self._pointer = (x, y)

    def move(self, x, y, steps=1, start=None):
        if start and steps > 1:
            sx, sy = start
            for i in range(1, steps + 1):
                self._move_to(sx + (x - sx) * i // steps, sy + (y - sy) * i // steps)
                time.sleep(0.015)
        else:
            self._move_to(x, y)

    def click_at(self, x, y, button=1):
        self.move(x, y)
        time.sleep(0.05)
        self.xdo("click", button)
        return self.settle()

    def click(self, widget, dx=None, dy=None):
        x, y, w, h = widget["rect"]
        px = x + (w // 2 if dx is None else (dx if dx >= 0 else w + dx))
        py = y + (h // 2 if dy is None else (dy if dy >= 0 else h + dy))
        return self.click_at(px, py)

    def drag(self, start, end, steps=12):
        self.move(*start)
        time.sleep(0.05)
        self.xdo("mousedown", 1)
        time.sleep(0.05)
        self.move(*end, steps=steps, start=start)
        time.sleep(0.05)
        self.xdo("mouseup", 1)
        return self.settle()

    def key(self, *keys):
        for k in keys:
            self.xdo("key", "--clearmodifiers", k)
            time.sleep(0.03)
        return self.settle()

    def type_text(self, text):
        self.xdo("type", "--delay", 30, text)
        return self.settle()

    def replace_text(self, edit, text):
        """Clicks into a line edit, selects what it holds and types text over it."""
        self.click(edit)
        self.key("ctrl+a")
        if not text:
            self.key("BackSpace")
        elif text.isascii():
            self.type_text(text)
        else:
            self._type_checked(edit, text)
        return self.read_map()

    def _type_checked(self, edit, text):
        # xdotool types a character missing from the keymap by remapping a spare key for
        # a moment; a program may read that key before it has seen the new mapping, so
        # each such character is checked in the field and typed again when it is lost.
        ident = {k: edit[k] for k in ("controlId", "page", "class") if k in edit}
        typed = ""
        self.key("BackSpace")
        for ch in text:
            for _ in range(4):
                self.type_text(ch)
                now = self.widget(**ident).get("text", "")
                if now == typed + ch:
                    break
                if now != typed:  # something else arrived: take it back
                    for _ in range(len(now) - len(typed)):
                        self.key("BackSpace")
                time.sleep(0.2)
            typed += ch

    def park_pointer(self):
        self.move(*NEUTRAL_POINT)

    # ---- X window names and pixels ------------------------------------------------------

    def x_windows(self):
        if not self.proc:
            return []
        out = self.xdo("search", "--onlyvisible", "--pid", self.proc.pid, check=False)
        return [w for w in out.split() if w]

    def x_window_names(self):
        return [self.xdo("getwindowname", w, check=False) for w in self.x_windows()]

    def x_wizard_window(self):
        title = (self.wizard(self.read_map()) or {}).get("title")
        for w in self.x_windows():
            if self.xdo("getwindowname", w, check=False) == title:
                return w
        return None

    def screenshot(self, name, m=None):
        """Saves the visible windows of the program; returns the file's path."""
        if not self.screens:
            return None
        m = m or self.read_map()
        rects = [w["rect"] for w in m.get("windows", [])]
        os.makedirs(self.screens, exist_ok=True)
        self._shot += 1
        path = os.path.join(self.screens, f"{self._shot:02d}-{name}.png")
        args = ["import", "-display", self.display, "-window", "root"]
        if rects:
            x0 = max(0, min(r[0] for r in rects))
            y0 = max(0, min(r[1] for r in rects))
            x1 = min(SCREEN[0], max(r[0] + r[2] for r in rects))
            y1 = min(SCREEN[1], max(r[1] + r[3] for r in rects))
            args += ["-crop", f"{x1 - x0}x{y1 - y0}+{x0}+{y0}", "+repage"]
        subprocess.run(args + [path], env=self.env, capture_output=True)
        return path

    def grey_pixels(self, rect):
        """The screen's pixels inside rect as rows of 0..255 grey levels."""
        x, y, w, h = rect
        r = subprocess.run(["import", "-display", self.display, "-window", "root",
                            "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "gray:-"],
                           env=self.env, capture_output=True)
        data = r.stdout
        if len(data) < w * h:
            raise HarnessError("screenshot failed: " + r.stderr.decode(errors="replace"))
        return [data[i * w:(i + 1) * w] for i in range(h)]

    # ---- the process ---------------------------------------------------------------------

    def gui_pid(self):
        """The wizard's process: penmark replaces itself with penmark-wizard, or starts it."""
        pid = self.proc.pid
        try:
            for entry in os.listdir("/proc"):
                if entry.isdigit():
                    with open(f"/proc/{entry}/stat") as f:
                        fields = f.read().rsplit(")", 1)[1].split()
                    if int(fields[1]) == pid and "penmark-wizard" in os.readlink(f"/proc/{entry}/exe"):
                        return int(entry)
        except OSError:
            pass
        return pid

    @staticmethod
    def cpu_seconds(pid):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = int(fields[11]) + int(fields[12])  # utime, stime
        return ticks / os.sysconf("SC_CLK_TCK")

    def alive(self):
        return self.proc is not None and self.proc.poll() is None
