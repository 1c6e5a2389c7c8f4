#!/usr/bin/python3
"""End-to-end tests in GNOME Shell itself, headless on Wayland (and on X11 under Xvfb for
comparison): the test build of the app with Ovantic's shell extension, and without it on the
AppIndicator extension's status notifier route. Input goes through mutter's RemoteDesktop
interface (xdotool on X11); windows, focus and the top bar are read through org.gnome.Shell.Eval,
which a test-only extension in the test's HOME unlocks.

    gnome_e2e.py --app BINARY --server rates_server.py --tls-dir DIR --port N
                 --extension BUILT_EXTENSION_DIR [unittest args]
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import ShellDesktop, Timeout, wait_for  # noqa: E402
from tray_app import RatesServer, TrayApp  # noqa: E402
from tray_e2e import CONFIG, main  # noqa: E402  the same options and runner

UUID = "ovantic@ovantic.github.io"
APPINDICATOR = "ubuntu-appindicators@ubuntu.com"
UNSAFE = "unsafe-mode@tests.ovantic"
SIZE = (1280, 800)
TOP_BAR = 32
# Empty places: on the desktop, and in the top bar between the activities button and the clock.
DESKTOP = (200, 600)
TOP_BAR_GAP = (330, 16)
OTHER_WINDOW = (760, 480, 300, 200)
BTN_LEFT = 0x110
KEY_ESCAPE, KEY_SHIFT = 0xff1b, 0xffe1

SHELL_VERSION = int(re.search(r"(\d+)", subprocess.run(
    ["gnome-shell", "--version"], capture_output=True, text=True).stdout)[1])

# Only the shell itself may evaluate code unless its unsafe mode is on.
UNSAFE_JS = {
    "script": "function init() { return {enable() { global.context.unsafe_mode = true; }, "
              "disable() {}}; }\n",
    "module": "import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';\n"
              "export default class extends Extension { enable() { "
              "global.context.unsafe_mode = true; } disable() {} }\n",
}

PANEL_JS = """global.get_window_actors().map(a => a.meta_window)
  .filter(w => w.get_wm_class() === 'ovantic' && w.get_title() === 'Ovantic').map(w => {
    const r = w.get_frame_rect();
    return [r.x, r.y, r.width, r.height, w.has_focus() || w.is_override_redirect()];
  })"""

ICON_JS = """(() => {
  const [key, button] = Object.entries(Main.panel.statusArea).find(([k]) =>
    k === '%s' || k.startsWith('appindicator-')) || [];
  if (!button || !button.visible || !button.has_allocation()) return null;
  const [x, y] = button.get_transformed_position();
  const [w, h] = button.get_transformed_size();
  const menu = button.menu && button.menu.isOpen ? button.menu._getMenuItems()
    .filter(i => i.label && i.label.text).map(i => {
      const [ix, iy] = i.get_transformed_position(), [iw, ih] = i.get_transformed_size();
      return [i.label.text, ix + iw / 2, iy + ih / 2, i._ornament || 0];
    }) : null;
  return {key, box: [x, y, w, h].map(Math.round), menu, items: button.menu?.numMenuItems};
})()""" % UUID


class GnomeSession:
    """GNOME Shell on its own session bus, home and runtime directory, with the given extensions
    enabled; headless on Wayland, or on an Xvfb screen (`x11=True`)."""

    def __init__(self, enabled, x11=False):
        self.x11 = x11
        if x11:
            # The X11 set-up the desktops suite uses, with our extensions added.
            self.base = ShellDesktop("gnome")
            self.base.env.update({"QT_QPA_PLATFORM": "xcb"})
        else:
            self.base = _WaylandBase()
        self.env = self.base.env
        self.size = self.base.screen
        self.workdir = self.base.workdir
        extensions = os.path.join(self.env["XDG_DATA_HOME"], "gnome-shell", "extensions")
        os.makedirs(extensions, exist_ok=True)
        shutil.copytree(CONFIG.extension, os.path.join(extensions, UUID))
        unsafe = os.path.join(extensions, UNSAFE)
        os.makedirs(unsafe)
        with open(os.path.join(unsafe, "metadata.json"), "w") as out:
            json.dump({"uuid": UNSAFE, "name": "unsafe mode", "description": "tests only",
                       "shell-version": [str(SHELL_VERSION)]}, out)
        with open(os.path.join(unsafe, "extension.js"), "w") as out:
            out.write(UNSAFE_JS["script" if SHELL_VERSION < 45 else "module"])
        for schema, key, value in (
                ("org.gnome.shell", "disable-user-extensions", "false"),
                ("org.gnome.shell", "enabled-extensions", str([UNSAFE, *enabled])),
                ("org.gnome.shell", "welcome-dialog-last-shown-version", "'999'"),
                ("org.gnome.desktop.interface", "enable-hot-corners", "false")):
            self.run("gsettings", "set", schema, key, value)
        self.bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.base.start_system_bus()
        argv = (["gnome-shell", "--x11", "--replace"] if x11 else
                ["gnome-shell", "--wayland", "--headless", "--no-x11", "--wayland-display",
                 self.env["WAYLAND_DISPLAY"], "--virtual-monitor", f"{SIZE[0]}x{SIZE[1]}"])
        self.base._quiet(argv)
        wait_for("the shell to evaluate code", lambda: self.eval("1") == 1, timeout=90,
                 interval=0.3)
        if APPINDICATOR in enabled:
            wait_for("the AppIndicator host", self.base.host_registered, timeout=30)

        # The shell opens its overview once its start-up animation is over.
        wait_for("the shell's start-up", lambda: self.eval("Main.layoutManager._startingUp")
                 is False, timeout=30)

        def left():
            self.eval("Main.overview.hide()")
            time.sleep(1)
            return self.eval("Main.overview.visible || Main.overview.animationInProgress") \
                is False
        wait_for("the shell to leave its overview", left, timeout=30)
        if not x11:
            self._start_remote_desktop()

    def run(self, *argv, check=True):
        return subprocess.run(list(argv), env=self.env, capture_output=True, text=True,
                              check=check, timeout=30)

    def call(self, dest, path, iface, method, args=None, reply=None):
        return self.bus.call_sync(dest, path, iface, method, args,
                                  GLib.VariantType(reply) if reply else None,
                                  Gio.DBusCallFlags.NONE, 10000, None).unpack()

    def eval(self, code):
        """The value of `code` in the shell, or None (the shell answers in JSON)."""
        try:
            ok, out = self.call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval",
                                GLib.Variant("(s)", (code,)), "(bs)")
        except GLib.Error:
            return None
        return json.loads(out) if ok and out else None

    # --- input ------------------------------------------------------------------------------

    def _start_remote_desktop(self):
        (path,) = self.call("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                            "org.gnome.Mutter.RemoteDesktop", "CreateSession", None, "(o)")
        self.session = path
        self._session("Start")
        # The virtual keyboard loses its first key.
        self.key(KEY_SHIFT)

    def _session(self, method, fmt=None, *args):
        self.call("org.gnome.Mutter.RemoteDesktop", self.session,
                  "org.gnome.Mutter.RemoteDesktop.Session", method,
                  GLib.Variant(fmt, args) if fmt else None)

    def click(self, x, y):
        if self.x11:
            self.run("xdotool", "mousemove", str(x), str(y), "click", "1")
            return
        # Relative moves land exactly; absolute ones would need a screen cast stream.
        px, py = self.eval("global.get_pointer()")[:2]
        self._session("NotifyPointerMotionRelative", "(dd)", float(x - px), float(y - py))
        wait_for("the pointer", lambda: self.eval("global.get_pointer()")[:2] == [x, y],
                 timeout=5)
        for state in (True, False):
            self._session("NotifyPointerButton", "(ib)", BTN_LEFT, state)

    def key(self, keysym):
        if self.x11:
            self.run("xdotool", "key", "Escape")
            return
        for state in (True, False):
            self._session("NotifyKeyboardKeysym", "(ub)", keysym, state)

    # --- what the shell shows -----------------------------------------------------------------

    def panel(self):
        windows = self.eval(PANEL_JS) or []
        return windows[0] if windows else None

    def icon(self):
        return self.eval(ICON_JS)

    def registered_items(self):
        return self.base.registered_items()

    def screenshot(self, path):
        """Through the shell's own interface, which answers only org.gnome.Screenshot."""
        if self.x11:
            self.run("import", "-window", "root", path)
            return
        self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                  "RequestName", GLib.Variant("(su)", ("org.gnome.Screenshot", 0)), "(u)")
        self.call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                  "org.gnome.Shell.Screenshot", "Screenshot",
                  GLib.Variant("(bbs)", (False, False, path)), "(bs)")

    def close(self):
        self.base.close()


class _WaylandBase(ShellDesktop):
    """ShellDesktop's home, runtime directory and buses without its X server."""

    def __init__(self):  # noqa: D107 -- ShellDesktop's set-up, minus Xvfb
        self.shell = "gnome"
        self.procs, self.xvfb = [], None
        self.workdir = tempfile.mkdtemp(prefix="ovantic-gnome-")
        home = os.path.join(self.workdir, "home")
        self.runtime_dir = os.path.join(self.workdir, "run")
        os.makedirs(home)
        os.makedirs(self.runtime_dir, mode=0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("WAYLAND", "QT_", "XDG_", "DBUS", "DISPLAY"))}
        self.env.update({
            "HOME": home, "LANG": "en_US.UTF-8",
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": self.runtime_dir, "XDG_SESSION_TYPE": "wayland",
            "XDG_CURRENT_DESKTOP": "GNOME", "GSETTINGS_BACKEND": "dconf",
            "LIBGL_ALWAYS_SOFTWARE": "1", "NO_AT_BRIDGE": "1", "GSK_RENDERER": "cairo",
            "QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": "wayland-ovantic",
        })
        self.env.pop("LC_ALL", None)
        self.screen = SIZE
        self.start_session_bus(self.runtime_dir)




class GnomeCase(unittest.TestCase):
    enabled = ()
    x11 = False

    @classmethod
    def setUpClass(cls):
        cls.session = GnomeSession(cls.enabled, x11=cls.x11)
        cls.addClassCleanup(cls.session.close)
        cls.server = RatesServer(CONFIG.server, CONFIG.tls_dir, CONFIG.port,
                                 os.path.join(cls.session.workdir, "requests.log"))
        cls.addClassCleanup(cls.server.close)

    def start_app(self):
        app = TrayApp(self.session.base, CONFIG.app)
        self.addCleanup(app.close)
        return app

    def shot(self, name):
        if CONFIG.shots:
            os.makedirs(CONFIG.shots, exist_ok=True)
            kind = "x11" if self.x11 else "wayland"
            self.session.screenshot(os.path.join(
                CONFIG.shots, f"gnome{SHELL_VERSION}-{kind}-{name}.png"))

    def wait_icon(self, app):
        def shown():
            app._check_alive()
            return self.session.icon()
        return wait_for("the icon in the top bar", shown, timeout=30, interval=0.2)

    def wait_panel(self):
        """The panel once it is on screen with the keyboard."""
        def settled():
            first = self.session.panel()
            return first if first and first[4] and first == self.session.panel() else None
        try:
            return wait_for("the panel", settled, timeout=10)
        except Timeout:
            self.shot("no-panel")
            raise

    def wait_closed(self, what):
        try:
            wait_for(f"the panel to close ({what})", lambda: self.session.panel() is None,
                     timeout=10)
        except Timeout:
            self.shot("still-open")
            raise

    def click_icon(self, icon):
        x, y, w, h = icon["box"]
        self.session.click(x + w // 2, y + h // 2)


class WithExtension(GnomeCase):
    """Our extension beside the AppIndicator one: the extension's button is the only icon."""

    enabled = (APPINDICATOR, UUID)

    def test_clicks_place_focus_and_every_way_of_closing(self):
        app = self.start_app()
        icon = self.wait_icon(app)
        self.assertEqual(icon["key"], UUID)
        self.assertEqual(self.session.registered_items(), [], "a second icon by AppIndicator")
        ix, iy, iw, ih = icon["box"]
        times = []
        for _ in range(3):
            start = time.monotonic()
            self.click_icon(icon)
            x, y, w, h, _ = self.wait_panel()
            times.append(time.monotonic() - start)
            # Under the icon, against the top bar, on screen.
            self.assertLessEqual(x, ix + iw // 2)
            self.assertGreaterEqual(x + w, ix + iw // 2)
            self.assertLessEqual(abs(y - TOP_BAR), 16 if self.x11 else 0, (x, y, w, h))
            self.assertGreaterEqual(x, 0)
            self.assertLessEqual(x + w, self.session.size[0])
            self.assertLessEqual(y + h, self.session.size[1])
            time.sleep(0.3)
            self.click_icon(icon)
            self.wait_closed("the icon")
            time.sleep(0.3)
        print(f"GNOME {SHELL_VERSION} {'X11' if self.x11 else 'Wayland'}: click to panel "
              f"{', '.join(f'{t * 1000:.0f}' for t in times)} ms", file=sys.stderr)
        self.click_icon(icon)
        self.wait_panel()
        self.shot("open")
        for name, where in (("the desktop", DESKTOP), ("the top bar", TOP_BAR_GAP)):
            self.session.click(*where)
            self.wait_closed(name)
            self.click_icon(icon)
            self.wait_panel()
        if not self.x11:
            self.session.key(KEY_ESCAPE)
            self.wait_closed("Escape")
            self.click_icon(icon)
            self.wait_panel()
        self.session.eval("Main.overview.show()")
        self.wait_closed("the overview")
        self.session.eval("Main.overview.hide()")
        wait_for("the overview to go",
                 lambda: self.session.eval("Main.overview.visible") is False)

    def test_a_click_on_another_window_closes_the_panel(self):
        if self.x11:
            self.skipTest("X11 clicks elsewhere are the desktops suite's")
        app = self.start_app()
        icon = self.wait_icon(app)
        x, y, w, h = OTHER_WINDOW
        self.session.base._quiet([
            "/usr/bin/python3", "-c",
            "import gi; gi.require_version('Gtk', '4.0'); from gi.repository import Gtk, GLib; "
            f"w = Gtk.Window(title='Other'); w.set_default_size({w}, {h}); w.present(); "
            "GLib.MainLoop().run()"])
        other = wait_for("the other window", lambda: self.session.eval(
            "global.get_window_actors().map(a => a.meta_window)"
            ".filter(w => w.get_title() === 'Other').map(w => {const r = w.get_frame_rect(); "
            "return [r.x, r.y, r.width, r.height];})"), timeout=20)[0]
        self.click_icon(icon)
        self.wait_panel()
        self.session.click(other[0] + other[2] // 2, other[1] + other[3] // 2)
        self.wait_closed("another window")


class WithExtensionX11(WithExtension):
    x11 = True


class WithoutExtension(GnomeCase):
    """The AppIndicator route: on GNOME 45 and later a single click opens the item's menu, whose
    first entry opens the panel; on 43 it opens the panel directly. The user hears of the
    extension once."""

    enabled = (APPINDICATOR,)

    def test_single_click_reaches_the_panel_and_the_extension_is_advised_once(self):
        self.notify_log = os.path.join(self.session.workdir, "notify.log")
        open(self.notify_log, "w").close()
        self.session.base._quiet([
            "/usr/bin/python3", os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                             "sni_watcher.py"),
            "--bus", self.session.env["DBUS_SESSION_BUS_ADDRESS"], "--log", self.notify_log,
            "--notifications"])
        wait_for("a notification service",
                 lambda: self.session.base.has_owner("org.freedesktop.Notifications"))
        app = self.start_app()
        icon = self.wait_icon(app)
        self.assertTrue(icon["key"].startswith("appindicator-"), icon)
        if SHELL_VERSION >= 45:
            # The host reads the item's menu a moment after the icon shows.
            wait_for("the icon's menu to load", lambda: self.session.icon()["items"] >= 4)
        for _ in range(2):
            self.click_icon(icon)
            if SHELL_VERSION >= 45:
                # Open and laid out: its entries have their places.
                menu = wait_for("the icon's menu", lambda: (m := self.session.icon()["menu"])
                                and m[0][1] is not None and m)
                self.assertEqual([m[0] for m in menu],
                                 ["Open Ovantic", "Start at login", "About Ovantic", "Quit"])
                self.shot("menu")
                self.session.click(round(menu[0][1]), round(menu[0][2]))
            self.wait_panel()
            time.sleep(0.3)
            self.session.key(KEY_ESCAPE)
            self.wait_closed("Escape")
            time.sleep(0.5)
        # The advice comes once the shell has had its time to enable extensions at login.
        wait_for("the notification", lambda: self.advised() == 1, timeout=25)
        app.close()
        again = self.start_app()
        self.wait_icon(again)
        time.sleep(11)
        self.assertEqual(self.advised(), 1, "advised again at the next start")

    def advised(self):
        """Notifications that tell of the extension: in the shell's tray, or where the shell
        offers no notification service (GNOME 43 headless), with a stand-in of the tests'."""
        shown = self.session.eval(
            "Main.messageTray.getSources().map(s => s.notifications.filter(n => "
            "n.title.includes('One click')).length).reduce((a, b) => a + b, 0)")
        with open(self.notify_log) as log:
            return shown + log.read().count("notify One click")


if __name__ == "__main__":
    main("--extension")
