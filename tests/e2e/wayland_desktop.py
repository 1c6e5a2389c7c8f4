"""A throw-away Wayland desktop: headless sway with a waybar tray on a private session bus.

sway refuses to run as root, so it runs as `nobody` in a runtime directory of its own; everything
else (the bus, waybar, the app, the tools) runs as us and reaches it through the socket's full
path. The headless seat has no input devices: a virtual pointer (wayland_pointer.py) and one
`wtype` held open for the whole session stand in for mouse and keyboard. Observed with sway's IPC
(the window tree), grim and wl-paste. Offers the same calls as desktop.Desktop where the two
desktops share a meaning, so the X11 suite's helpers serve here too.
"""

import glob
import json
import os
import pwd
import shutil
import socket
import struct
import subprocess
import tempfile
import time

from desktop import SCREEN_H, SCREEN_W, Timeout, spawn, stop, wait_for
from wayland_pointer import BTN_LEFT, BTN_RIGHT, VirtualPointer

BAR_HEIGHT = 30
# Light, so today's dark icon and a bright one both stand out when the bar is searched for it.
BAR_BACKGROUND = (0xF0, 0xF0, 0xF0)
# waybar takes two clicks on its icon within this time for a double click, which it passes on as
# more activations than clicks.
DOUBLE_CLICK_S = 0.45
APP_ID = "ovantic"

SWAY_CONFIG = f"""
output HEADLESS-1 resolution {SCREEN_W}x{SCREEN_H}
xwayland disable
default_border none
default_floating_border none
"""

WAYBAR_CONFIG = {"layer": "top", "position": "top", "height": BAR_HEIGHT,
                 "modules-left": [], "modules-center": [], "modules-right": ["tray"],
                 "tray": {"icon-size": 22, "spacing": 4}}
WAYBAR_STYLE = ("* { border: none; min-height: 0; }\n"
                "window#waybar { background: #%02x%02x%02x; }\n" % BAR_BACKGROUND)

WATCHER = "org.kde.StatusNotifierWatcher"

# xdotool's key names, as the X11 suite writes them, in wtype's terms.
_MODIFIERS = {"ctrl": "ctrl", "shift": "shift", "alt": "alt", "super": "logo"}


class SwayIpc:
    """sway's IPC socket: one request, one reply."""

    MAGIC = b"i3-ipc"
    RUN_COMMAND, GET_TREE = 0, 4

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)

    def _recv(self, size):
        data = b""
        while len(data) < size:
            chunk = self.sock.recv(size - len(data))
            if not chunk:
                raise ConnectionError("sway closed its IPC socket")
            data += chunk
        return data

    def request(self, kind, payload=""):
        body = payload.encode()
        self.sock.sendall(self.MAGIC + struct.pack("<II", len(body), kind) + body)
        size, _ = struct.unpack("<II", self._recv(len(self.MAGIC) + 8)[len(self.MAGIC):])
        return json.loads(self._recv(size))

    def windows(self, app_id):
        """(x, y, width, height, focused) of each mapped window of `app_id`."""
        found = []
        pending = [self.request(self.GET_TREE)]
        while pending:
            node = pending.pop()
            pending.extend(node.get("nodes", []))
            pending.extend(node.get("floating_nodes", []))
            if node.get("app_id") == app_id:
                outer, inner = node["rect"], node["window_rect"]
                found.append((outer["x"] + inner["x"], outer["y"] + inner["y"],
                              inner["width"], inner["height"], node["focused"]))
        return found

    def close(self):
        self.sock.close()


class WaylandDesktop:
    """sway + waybar + pointer + keyboard, torn down on exit."""

    def __init__(self, keyboard=True):
        self.keyboard = keyboard
        self.workdir = tempfile.mkdtemp(prefix="ovantic-wl-")
        self.procs = []
        self.pointer = self.ipc = None
        # Kept by the desktop, not by a test: the bar outlives the app that a test clicked.
        self.bar_clicked_at = None
        try:
            self._start()
        except BaseException:
            self.close()
            raise

    def _start(self):
        nobody = pwd.getpwnam("nobody")
        # sway's runtime directory lies inside ours, which it must be able to pass through.
        os.chmod(self.workdir, 0o711)
        self.sway_dir = os.path.join(self.workdir, "sway")
        os.mkdir(self.sway_dir, 0o700)
        os.chown(self.sway_dir, nobody.pw_uid, nobody.pw_gid)
        config = os.path.join(self.sway_dir, "config")
        with open(config, "w") as out:
            out.write(SWAY_CONFIG)
        os.chown(config, nobody.pw_uid, nobody.pw_gid)
        sway_env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.sway_dir,
                    "XDG_RUNTIME_DIR": self.sway_dir, "WLR_BACKENDS": "headless",
                    "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
        self.sway_log = open(os.path.join(self.workdir, "sway.log"), "w")
        self.procs.append(spawn(
            ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
             "sway", "--config", config], env=sway_env, stdout=self.sway_log,
            stderr=subprocess.STDOUT))
        try:
            self.wayland_socket = wait_for("sway's Wayland socket",
                                           lambda: self._one_of("wayland-*"))
        except Timeout as timeout:
            self.sway_log.flush()
            with open(self.sway_log.name) as log:
                raise Timeout(f"{timeout}; sway said:\n{log.read()[-2000:]}") from None
        ipc_path = wait_for("sway's IPC socket", lambda: self._one_of("sway-ipc.*.sock"))
        self.ipc = wait_for("sway's IPC to answer", lambda: self._connect_ipc(ipc_path))

        bus = spawn(["dbus-daemon", "--session", "--nofork", "--print-address",
                     f"--address=unix:path={self.workdir}/bus"],
                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.procs.append(bus)
        address = bus.stdout.readline().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not start")

        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("WAYLAND", "QT_", "XDG_SESSION", "DBUS", "DISPLAY"))}
        # Ours must be private to us, unlike the directory sway's lies in.
        runtime_dir = os.path.join(self.workdir, "run")
        os.mkdir(runtime_dir, 0o700)
        self.env.update({
            "WAYLAND_DISPLAY": self.wayland_socket,
            "SWAYSOCK": ipc_path,
            "QT_QPA_PLATFORM": "wayland",
            "DBUS_SESSION_BUS_ADDRESS": address,
            "LANG": "en_US.UTF-8",
            "HOME": self.workdir,
            "XDG_RUNTIME_DIR": runtime_dir,
            # The remembered pair goes here, never into the config of whoever runs the tests.
            "XDG_CONFIG_HOME": os.path.join(self.workdir, "config"),
        })
        self.env.pop("LC_ALL", None)

        self.pointer = VirtualPointer(self.wayland_socket, SCREEN_W, SCREEN_H)
        # Each wtype that exits takes its keyboard with it, and a window focused at that moment
        # loses the focus; this one keeps a keyboard on the seat throughout.
        if self.keyboard:
            self.spawn(["wtype", "-s", "86400000", "-m", "shift"])
        self.start_tray()

    def _one_of(self, pattern):
        paths = [p for p in glob.glob(os.path.join(self.sway_dir, pattern))
                 if not p.endswith(".lock")]
        return paths[0] if paths else None

    @staticmethod
    def _connect_ipc(path):
        try:
            return SwayIpc(path)
        except OSError:
            return None

    def spawn(self, argv, **kwargs):
        proc = spawn(argv, env=self.env, **kwargs)
        self.procs.append(proc)
        return proc

    def run(self, *argv, check=True, text=True):
        return subprocess.run(list(argv), env=self.env, capture_output=True, text=text,
                              check=check, timeout=30)

    # --- the tray -----------------------------------------------------------------------------

    def start_tray(self):
        config, style = (os.path.join(self.workdir, name) for name in ("waybar.json", "waybar.css"))
        with open(config, "w") as out:
            json.dump(WAYBAR_CONFIG, out)
        with open(style, "w") as out:
            out.write(WAYBAR_STYLE)
        self.tray = self.spawn(["waybar", "-c", config, "-s", style],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("waybar to register as a tray host",
                 lambda: self.watcher_property("IsStatusNotifierHostRegistered") == "true")

    def watcher_property(self, name):
        result = self.run("gdbus", "call", "--session", "--dest", WATCHER, "--object-path",
                          "/StatusNotifierWatcher", "--method",
                          "org.freedesktop.DBus.Properties.Get", WATCHER, name, check=False)
        if result.returncode != 0:
            return None
        # (<true>,) or (<['…', …]>,)
        return result.stdout.strip()[2:-3]

    def registered_items(self):
        value = self.watcher_property("RegisteredStatusNotifierItems") or ""
        value = value.removeprefix("@as ").strip("[]")
        return [item.strip(" '") for item in value.split(",") if item.strip(" '")]

    # --- windows ------------------------------------------------------------------------------

    def windows(self, app_id=APP_ID):
        return self.ipc.windows(app_id)

    def bar_icon(self):
        """The box around whatever is drawn on the bar besides its background, or None."""
        # Screenshots show the cursor: out of the bar with it.
        self.pointer.move(SCREEN_W // 2, SCREEN_H - 1)
        width, height, pixels = self.screenshot_pixels((0, 0, SCREEN_W, BAR_HEIGHT))
        xs, ys = [], []
        for y in range(height):
            row = pixels[y * width * 3:(y + 1) * width * 3]
            for x in range(width):
                r, g, b = row[x * 3:x * 3 + 3]
                if max(abs(r - BAR_BACKGROUND[0]), abs(g - BAR_BACKGROUND[1]),
                       abs(b - BAR_BACKGROUND[2])) > 48:
                    xs.append(x)
                    ys.append(y)
        if not xs:
            return None
        return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1

    def draws(self, window):
        """Whether the middle of a window is on the screen, where the empty desktop is black."""
        x, y, w, h = window[:4]
        _, _, pixels = self.screenshot_pixels((x + w // 2 - 8, y + h // 2 - 8, 16, 16))
        return any(pixels)

    def screenshot_pixels(self, box):
        """(width, height, RGB bytes) of a region of the screen, via grim's PPM output."""
        x, y, w, h = box
        ppm = self.run("grim", "-t", "ppm", "-g", f"{x},{y} {w}x{h}", "-", text=False).stdout
        # P6\n<w> <h>\n<max>\n<data>
        _, size, _, data = ppm.split(b"\n", 3)
        width, height = (int(v) for v in size.split())
        return width, height, data

    def screenshot(self, path):
        self.run("grim", path)

    # --- input --------------------------------------------------------------------------------

    def click(self, x, y, button=1):
        # A click on the bar is never a double click with the one before it, even when that one
        # came at the end of the previous test and opened another app's panel.
        on_bar = y < BAR_HEIGHT
        if on_bar and self.bar_clicked_at is not None:
            time.sleep(max(0.0, self.bar_clicked_at + DOUBLE_CLICK_S - time.monotonic()))
        self.pointer.click(x, y, BTN_RIGHT if button == 3 else BTN_LEFT)
        if on_bar:
            self.bar_clicked_at = time.monotonic()

    def keys(self, *names):
        for name in names:
            *mods, key = name.split("+")
            argv = ["wtype"]
            for mod in mods:
                argv += ["-M", _MODIFIERS[mod]]
            argv += ["-k", key] if len(key) > 1 else [key]
            for mod in reversed(mods):
                argv += ["-m", _MODIFIERS[mod]]
            self.run(*argv)

    def type(self, text):
        self.run("wtype", "-d", "30", text)

    def clipboard(self):
        result = self.run("wl-paste", "-n", check=False)
        return result.stdout if result.returncode == 0 else None

    def clear_clipboard(self):
        # wl-copy serves the marker until another client takes the selection; in the foreground
        # it is one of ours, gone with the desktop.
        self.spawn(["wl-copy", "--foreground", "<e2e marker>"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the clipboard marker", lambda: self.clipboard() == "<e2e marker>")

    # --- teardown -----------------------------------------------------------------------------

    def close(self):
        if self.pointer:
            self.pointer.close()
        if self.ipc:
            self.ipc.close()
        for proc in reversed(self.procs):
            stop(proc)
        shutil.rmtree(self.workdir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
