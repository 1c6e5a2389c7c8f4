"""A throw-away X desktop for driving the tray application as a person would.

Xvfb is the screen, trayer the system tray (it needs no window manager), xdotool the mouse and
keyboard, xclip the clipboard reader. Everything here waits for a condition with a generous upper
bound instead of sleeping for a fixed time.
"""

import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

SCREEN_W, SCREEN_H = 1280, 800


class Timeout(AssertionError):
    pass


_libc = ctypes.CDLL(ctypes.util.find_library("c") or "libc.so.6", use_errno=True)
PR_SET_PDEATHSIG = 1


def _die_with_parent():
    # A harness killed outright (a test runner's time-out) must not leave its X server, tray and
    # app running: each child gets SIGTERM when the harness goes, however it goes.
    _libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def spawn(argv, **kwargs):
    return subprocess.Popen(argv, preexec_fn=_die_with_parent, **kwargs)


def wait_for(what, condition, timeout=15.0, interval=0.02):
    """Polls `condition` until it returns something truthy and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


class _Xlib:
    """The two Xlib calls needed to ask whether a tray owns its selection."""

    def __init__(self):
        path = ctypes.util.find_library("X11") or "libX11.so.6"
        lib = ctypes.CDLL(path)
        lib.XOpenDisplay.restype = ctypes.c_void_p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XInternAtom.restype = ctypes.c_ulong
        lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        lib.XGetSelectionOwner.restype = ctypes.c_ulong
        lib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.lib = lib

    def selection_owned(self, display, selection):
        dpy = self.lib.XOpenDisplay(display.encode())
        if not dpy:
            return False
        try:
            atom = self.lib.XInternAtom(dpy, selection.encode(), 0)
            return self.lib.XGetSelectionOwner(dpy, atom) != 0
        finally:
            self.lib.XCloseDisplay(dpy)


class Desktop:
    """An Xvfb screen, optionally with a tray, torn down on exit."""

    def __init__(self, with_tray=True, tray_edge="top", session_bus=False):
        self.workdir = tempfile.mkdtemp(prefix="ovantic-e2e-")
        self.procs = []
        self.tray = None
        self.tray_edge = tray_edge
        read_fd, write_fd = os.pipe()
        self.xvfb = spawn(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as reader:
            number = reader.readline().strip()
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.display = f":{number}"
        self.env = self._environment()
        self.xlib = _Xlib()
        self.bus = None
        if session_bus:
            self.start_session_bus()
        if with_tray:
            self.start_tray()

    def _environment(self):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("WAYLAND", "QT_", "XDG_SESSION", "DBUS"))}
        env.update({
            "DISPLAY": self.display,
            "QT_QPA_PLATFORM": "xcb",
            # No session bus: the icon goes to the XEmbed tray, not to a status-notifier host
            # that a developer's own desktop might be running.
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent",
            "LANG": "en_US.UTF-8",
            "HOME": self.workdir,
            "XDG_RUNTIME_DIR": self.workdir,
            # The remembered pair goes here, never into the config of whoever runs the tests.
            "XDG_CONFIG_HOME": os.path.join(self.workdir, "config"),
        })
        env.pop("LC_ALL", None)
        return env

    def spawn(self, argv, **kwargs):
        proc = spawn(argv, env=self.env, **kwargs)
        self.procs.append(proc)
        return proc

    def start_session_bus(self):
        """A private session bus of this desktop's own, in place of the nonexistent one."""
        path = os.path.join(self.workdir, "bus")
        self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                    f"--address=unix:path={path}"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the session bus", lambda: os.path.exists(path))
        self.bus = f"unix:path={path}"
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus

    def tray_running(self):
        return self.xlib.selection_owned(self.display, "_NET_SYSTEM_TRAY_S0")

    def start_tray(self):
        self.tray = self.spawn(
            ["trayer", "--edge", self.tray_edge, "--align", "right", "--widthtype", "request",
             "--height", "32", "--SetDockType", "true", "--expand", "true",
             "--transparent", "false", "--tint", "0x404040"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the tray to own its selection", self.tray_running)

    def run(self, *argv, check=True):
        return subprocess.run(list(argv), env=self.env, capture_output=True, text=True,
                              check=check, timeout=30)

    # --- windows ------------------------------------------------------------------------------

    def visible_windows(self, classname):
        out = self.run("xdotool", "search", "--onlyvisible", "--classname", classname,
                       check=False).stdout
        return [int(w) for w in out.split()]

    def geometry(self, window):
        out = self.run("xdotool", "getwindowgeometry", "--shell", str(window), check=False).stdout
        values = dict(re.findall(r"(\w+)=(-?\d+)", out))
        if not {"X", "Y", "WIDTH", "HEIGHT"} <= values.keys():
            return None
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def button_presses(self, x, y, w, h):
        """Puts a window of another program at (x, y, w, h) and returns a function that counts
        the button presses it has received."""
        log = os.path.join(self.workdir, f"xev-{x}-{y}.log")
        with open(log, "w") as out:
            self.spawn(["stdbuf", "-oL", "xev", "-geometry", f"{w}x{h}+{x}+{y}", "-event",
                        "button"], stdout=out, stderr=subprocess.DEVNULL)

        def count():
            with open(log) as text:
                return text.read().count("ButtonPress event")

        wait_for("the other program's window",
                 lambda: self.run("xdotool", "search", "--onlyvisible", "--name",
                                  "Event Tester", check=False).stdout.strip())
        return count

    # --- input --------------------------------------------------------------------------------

    def click(self, x, y, button=1):
        self.run("xdotool", "mousemove", str(x), str(y), "click", "--delay", "0", str(button))

    def keys(self, *names):
        self.run("xdotool", "key", "--delay", "20", *names)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "30", text)

    def clipboard(self):
        result = self.run("xclip", "-o", "-selection", "clipboard", check=False)
        return result.stdout if result.returncode == 0 else None

    def clear_clipboard(self):
        # Owning the clipboard with a marker lets a test tell a fresh copy from an old one. xclip
        # stays in the background serving it until another client takes the selection.
        proc = self.spawn(["xclip", "-selection", "clipboard", "-i", "-quiet"],
                          stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
        proc.stdin.write(b"<e2e marker>")
        proc.stdin.close()
        wait_for("the clipboard marker", lambda: self.clipboard() == "<e2e marker>")

    def screenshot(self, path):
        self.run("import", "-display", self.display, "-window", "root", path)

    def pixels(self, x, y, w, h):
        """The screen's pixels in a rectangle, as rows of (r, g, b)."""
        ppm = subprocess.run(["import", "-display", self.display, "-window", "root",
                              "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "ppm:-"],
                             env=self.env, capture_output=True, check=True, timeout=30).stdout
        # "P6 width height maxval", one blank, then one byte per channel.
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", ppm)
        data = ppm[header.end():]
        width, height = int(header[1]), int(header[2])
        return [[tuple(data[(r * width + c) * 3:(r * width + c) * 3 + 3]) for c in range(width)]
                for r in range(height)]

    # --- teardown -----------------------------------------------------------------------------

    def close(self):
        for proc in reversed(self.procs):
            stop(proc)
        if getattr(self, "xvfb", None):
            stop(self.xvfb)
        shutil.rmtree(self.workdir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def stop(proc, grace=5.0):
    if proc.poll() is not None:
        return
    proc.send_signal(signal.SIGTERM)
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError(f"no VmRSS for {pid}")
