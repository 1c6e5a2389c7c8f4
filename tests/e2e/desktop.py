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

    def __init__(self, with_tray=True, tray_edge="top", session_bus=False,
                 screen=(SCREEN_W, SCREEN_H), xvfb_args=()):
        self.workdir = tempfile.mkdtemp(prefix="ovantic-e2e-")
        self.screen = screen
        self.procs = []
        self.tray = None
        self.tray_edge = tray_edge
        read_fd, write_fd = os.pipe()
        self.xvfb = spawn(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{screen[0]}x{screen[1]}x24",
             "-nolisten", "tcp", "-noreset", *xvfb_args],
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

    def start_session_bus(self, directory=None):
        """A private session bus of this desktop's own, in place of the nonexistent one."""
        path = os.path.join(directory or self.workdir, "bus")
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


# --- the desktops people use ------------------------------------------------------------------

_SYSTEM_BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={path}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
"""

WATCHER = "org.kde.StatusNotifierWatcher"


class ShellDesktop(Desktop):
    """A real desktop shell (GNOME Shell, Plasma, XFCE, LXQt) on its own Xvfb screen, with its
    own home, runtime directory and session bus. Started with `start_shell()`; everything the
    session started, the bus's activated services included, is stopped at the end."""

    SHELLS = ("gnome", "plasma", "plasma-wayland", "xfce", "lxqt")
    # KWin's Wayland socket, in the session's runtime directory.
    WAYLAND_SOCKET = "ovantic-e2e"
    SIZE = (1920, 1080)

    def __init__(self, shell):
        assert shell in self.SHELLS, shell
        self.shell = shell
        super().__init__(with_tray=False, screen=self.SIZE, xvfb_args=("+extension", "GLX"))
        home = os.path.join(self.workdir, "home")
        self.runtime_dir = os.path.join(self.workdir, "run")
        os.makedirs(home)
        os.makedirs(self.runtime_dir, mode=0o700)
        self.env.update({
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "XDG_SESSION_TYPE": "x11",
            "LIBGL_ALWAYS_SOFTWARE": "1",
            "NO_AT_BRIDGE": "1",
        })
        self.env.update({
            "gnome": {"XDG_CURRENT_DESKTOP": "GNOME", "GSETTINGS_BACKEND": "dconf"},
            "plasma": {"XDG_CURRENT_DESKTOP": "KDE", "KDE_FULL_SESSION": "true",
                       "KDE_SESSION_VERSION": "5"},
            # KWin nested in the Xvfb screen (no GPU: it paints with QPainter), which is the
            # screen to capture; the fake-input protocol is open to the tests' own clients.
            "plasma-wayland": {"XDG_CURRENT_DESKTOP": "KDE", "KDE_FULL_SESSION": "true",
                               "KDE_SESSION_VERSION": "6", "XDG_SESSION_TYPE": "wayland",
                               "QT_QPA_PLATFORM": "wayland",
                               "WAYLAND_DISPLAY": self.WAYLAND_SOCKET,
                               "KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1"},
            "xfce": {"XDG_CURRENT_DESKTOP": "XFCE"},
            "lxqt": {"XDG_CURRENT_DESKTOP": "LXQt", "XDG_CONFIG_DIRS": "/etc/xdg:/usr/share"},
        }[shell])
        # The bus comes after the environment: the services it starts inherit it.
        self.start_session_bus(self.runtime_dir)

    def gdbus(self, *args, check=True):
        return self.run("gdbus", "call", "--session", *args, check=check).stdout

    def has_owner(self, name):
        return "true" in self.gdbus("--dest", "org.freedesktop.DBus", "--object-path",
                                    "/org/freedesktop/DBus", "--method",
                                    "org.freedesktop.DBus.NameHasOwner", name, check=False)

    def host_registered(self):
        return "true" in self.gdbus("--dest", WATCHER, "--object-path", "/StatusNotifierWatcher",
                                    "--method", "org.freedesktop.DBus.Properties.Get", WATCHER,
                                    "IsStatusNotifierHostRegistered", check=False)

    def registered_items(self):
        out = self.gdbus("--dest", WATCHER, "--object-path", "/StatusNotifierWatcher", "--method",
                         "org.freedesktop.DBus.Properties.Get", WATCHER,
                         "RegisteredStatusNotifierItems", check=False)
        return re.findall(r"'([^']+)'", out)

    def items_of(self, pid):
        """The registered status notifier items that belong to process `pid`."""
        found = []
        for item in self.registered_items():
            name = re.split("[@/]", item, maxsplit=1)[0]
            out = self.gdbus("--dest", "org.freedesktop.DBus", "--object-path",
                             "/org/freedesktop/DBus", "--method",
                             "org.freedesktop.DBus.GetConnectionUnixProcessID", name, check=False)
            if re.search(rf"\b{pid}\b", out):
                found.append(item)
        return found

    def _quiet(self, argv, **kwargs):
        log = open(os.path.join(self.workdir, os.path.basename(argv[0]) + ".log"), "a")
        return self.spawn(argv, stdout=log, stderr=subprocess.STDOUT, **kwargs)

    def start_shell(self):
        getattr(self, f"_start_{self.shell.replace('-', '_')}")()

    def start_system_bus(self):
        # GNOME Shell dies without a system bus (its login manager proxy throws): a stand-in.
        path = os.path.join(self.runtime_dir, "system_bus")
        config = os.path.join(self.workdir, "system-bus.conf")
        with open(config, "w") as out:
            out.write(_SYSTEM_BUS_CONFIG.format(path=path))
        self._quiet(["dbus-daemon", "--config-file", config, "--nofork", "--nopidfile"])
        wait_for("the stand-in system bus", lambda: os.path.exists(path))
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = f"unix:path={path}"

    def _start_gnome(self):
        self.start_system_bus()
        for key, value in (("disable-user-extensions", "false"),
                           ("enabled-extensions", "['ubuntu-appindicators@ubuntu.com']")):
            self.run("gsettings", "set", "org.gnome.shell", key, value)
        self.run("gsettings", "set", "org.gnome.desktop.interface", "enable-hot-corners", "false")
        self._quiet(["gnome-shell", "--x11", "--replace"])
        wait_for("the AppIndicator extension", self.host_registered, timeout=60, interval=0.2)
        # The shell enters the overview once its start-up animation ends, and the overview
        # takes the clicks: it is left again until it stays left.
        def overview(*call):
            return self.gdbus("--dest", "org.gnome.Shell", "--object-path", "/org/gnome/Shell",
                              "--method", f"org.freedesktop.DBus.Properties.{call[0]}",
                              "org.gnome.Shell", "OverviewActive", *call[1:], check=False)

        def left():
            overview("Set", "<false>")
            time.sleep(1)
            return "false" in overview("Get")
        wait_for("the shell to leave its overview", left, timeout=30)

    def _start_plasma(self):
        self._quiet(["kwin_x11"])
        self._quiet(["kded5"])
        wait_for("kded's status notifier watcher", lambda: self.has_owner(WATCHER), timeout=60,
                 interval=0.2)
        self._quiet(["plasmashell", "--no-respawn"])
        self._quiet(["xembedsniproxy"])
        wait_for("Plasma's system tray", self.host_registered, timeout=90, interval=0.2)

    def _start_plasma_wayland(self):
        width, height = self.SIZE
        # KWin is no client of the session it serves; what its scripts print goes to its log.
        env = {k: v for k, v in self.env.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        env["QT_LOGGING_RULES"] = "kwin_scripting.debug=true"
        self.kwin_log = os.path.join(self.workdir, "kwin_wayland.log")
        self.procs.append(spawn(
            ["kwin_wayland", "--x11-display", self.display, "--width", str(width), "--height",
             str(height), "--socket", self.WAYLAND_SOCKET, "--no-lockscreen"],
            env=env, stdout=open(self.kwin_log, "a"), stderr=subprocess.STDOUT))
        socket_path = os.path.join(self.runtime_dir, self.WAYLAND_SOCKET)
        wait_for("KWin's Wayland socket", lambda: os.path.exists(socket_path), timeout=60)
        self._quiet(["kded6"])
        wait_for("kded's status notifier watcher", lambda: self.has_owner(WATCHER), timeout=60,
                 interval=0.2)
        self._quiet(["plasmashell", "--no-respawn"])
        wait_for("Plasma's system tray", self.host_registered, timeout=90, interval=0.2)

    def _start_xfce(self):
        conf = os.path.join(self.env["XDG_CONFIG_HOME"], "xfce4", "xfconf",
                            "xfce-perchannel-xml")
        os.makedirs(conf)
        # Without a layout of its own the panel asks which one to use.
        shutil.copy("/etc/xdg/xfce4/panel/default.xml", os.path.join(conf, "xfce4-panel.xml"))
        self._quiet(["/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd"])
        self._quiet(["xfsettingsd", "--no-daemon", "--disable-wm-check"])
        self._quiet(["xfwm4", "--compositor=off"])
        self._quiet(["xfce4-panel"])
        wait_for("XFCE's tray", lambda: self.tray_running() or self.host_registered(),
                 timeout=60, interval=0.2)

    def _start_lxqt(self):
        self._quiet(["openbox"])
        self._quiet(["lxqt-panel"])
        wait_for("LXQt's tray", self.host_registered, timeout=60, interval=0.2)

    def find_ink(self, ink, rows_range, tolerance=48):
        """The bounding box (x, y, w, h) of the pixels near colour `ink` within the screen rows
        `rows_range` (a panel's band), or None."""
        top, bottom = rows_range
        rows = self.pixels(0, top, self.screen[0], bottom - top)
        xs, ys = [], []
        for r, row in enumerate(rows):
            for c, pixel in enumerate(row):
                if sum(abs(a - b) for a, b in zip(pixel, ink)) <= tolerance:
                    xs.append(c)
                    ys.append(r + top)
        if len(xs) < 6:
            return None
        return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1

    def session_pids(self):
        """Every process that carries this session's runtime directory in its environment."""
        marker = f"XDG_RUNTIME_DIR={self.runtime_dir}".encode()
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    if marker in environ.read().split(b"\0"):
                        pids.append(int(entry))
            except OSError:
                pass
        return pids

    def close(self):
        # The bus activates services of its own (dconf, portals, the accessibility bus) that
        # no handle here knows of: each is found by the runtime directory it inherited.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            for pid in self.session_pids():
                try:
                    os.kill(pid, sig)
                except OSError:
                    pass
            try:
                wait_for("the session's processes to end", lambda: not self.session_pids(),
                         timeout=5)
                break
            except Timeout:
                continue
        super().close()
