#!/usr/bin/env python3
"""What a screen reader and a keyboard-only user meet: the real tray app on a real X server, its
widgets read through the AT-SPI bus (as Orca reads them) on a private session bus, its clipboard
read with xclip, keys typed with xdotool.

    accessibility_e2e.py --app BINARY --server rates_server.py --tls-dir DIR --port N [args]

Needs python3-pyatspi, which only the system's Python has.
"""

import argparse
import os
import re
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import Desktop, wait_for  # noqa: E402
from tray_app import RatesServer, TrayApp  # noqa: E402
from tray_e2e import CONFIG, main  # noqa: E402  the same options and runner

# Regional-indicator letters: a flag read aloud is noise ("India flag").
FLAG = re.compile("[\U0001F1E6-\U0001F1FF]")
# Amounts are said in words: a short form such as "Cr" is read out letter by letter.
RESULT = re.compile(r"^[\d,.]+( (thousand|million|billion|lakh|crore))? Indian rupees$")
LINE = re.compile(r"^[\d,.]+ (thousand|million|billion|lakh|crore) Indian rupees$")

pyatspi = None  # imported once the desktop's buses are known: it connects at import
GLib = None


def walk(node):
    """Every object under `node`; one that goes while being read (a rebuilt line) is left out."""
    try:
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except GLib.GError:
        return
    yield node
    for child in children:
        if child is not None:
            yield from walk(child)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def do(node, name):
    action = node.queryAction()
    action.doAction(actions(node).index(name))


def has(node, state):
    return node.getState().contains(state)


# Roles are compared as AT-SPI roles, not by their names, which libatspi renames between releases
# (2.46 calls a push button "push button", 2.56 "button").
def is_button(node):
    return node.getRole() == pyatspi.ROLE_PUSH_BUTTON


def is_menu_item(node):
    # A checkable entry is a check box, so that screen readers say whether it is on.
    return node.getRole() in (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
                              pyatspi.ROLE_CHECK_BOX)


SESSION = argparse.Namespace()


def setUpModule():
    # One desktop and one AT-SPI bus for all: pyatspi connects once, at import.
    global pyatspi, GLib
    desktop = SESSION.desktop = Desktop(session_bus=True)
    unittest.addModuleCleanup(desktop.close)
    desktop.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    desktop.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    config = os.path.join(desktop.workdir, "config")
    desktop.env["XDG_CONFIG_HOME"] = config
    desktop.env["XDG_CONFIG_DIRS"] = os.path.join(desktop.workdir, "xdg")
    SESSION.autostart = os.path.join(config, "autostart", "ovantic.desktop")
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = desktop.bus
    os.environ["DISPLAY"] = desktop.display
    import pyatspi as atspi
    from gi.repository import GLib as glib
    pyatspi, GLib = atspi, glib
    SESSION.server = RatesServer(CONFIG.server, CONFIG.tls_dir, CONFIG.port,
                                 os.path.join(desktop.workdir, "requests.log"))
    unittest.addModuleCleanup(SESSION.server.close)


class AccessibilityCase(unittest.TestCase):
    @property
    def desktop(self):
        return SESSION.desktop

    @property
    def autostart(self):
        return SESSION.autostart

    def setUp(self):
        self.app = TrayApp(self.desktop, CONFIG.app)
        self.addCleanup(self.app.close)
        self.app.wait_for_icon()

    def tree(self):
        """This run's application object on the AT-SPI bus."""
        def found():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == self.app.pid:
                    return app
            return None
        return wait_for("the app on the AT-SPI bus", found)

    def find(self, what, condition, timeout=10):
        return wait_for(what, lambda: next((n for n in walk(self.tree()) if condition(n)), None),
                        timeout)

    def open_with(self, amount):
        self.app.click_icon()
        panel = self.app.wait_open()
        self.desktop.type(amount)
        result = self.find("the result button with an amount",
                           lambda n: is_button(n) and RESULT.match(n.name))
        return panel, result

    def pump(self, seconds):
        deadline = time.monotonic() + seconds
        context = GLib.MainContext.default()
        while time.monotonic() < deadline:
            if not context.iteration(False):
                time.sleep(0.01)

    def wait_copied(self, expected):
        wait_for(f"{expected!r} on the clipboard", lambda: self.desktop.clipboard() == expected,
                 timeout=5)


class ScreenReader(AccessibilityCase):
    def test_every_control_is_named_typed_and_operable(self):
        _, result = self.open_with("2.5 cr")
        tree = self.tree()
        self.assertIn("Ovantic", [window.name for window in tree])
        self.assertEqual(result.name, "207.8 crore Indian rupees")
        self.assertIn("Press", actions(result))

        nodes = list(walk(tree))
        lines = [n for n in nodes if is_button(n) and LINE.match(n.name)]
        self.assertGreaterEqual(len(lines), 2, [n.name for n in lines])
        self.assertTrue(all("Press" in actions(n) for n in lines))
        link = next(n for n in nodes if n.name == "Ovantic Team")
        self.assertEqual(link.getRole(), pyatspi.ROLE_LINK)
        self.assertIn("Press", actions(link))
        field = next(n for n in nodes if n.getRole() == pyatspi.ROLE_TEXT and n.name == "Amount")
        self.assertNotEqual(field.description, "0")
        rate = next(n for n in nodes if n.name == "USD 1 = INR 83.1200")
        self.assertTrue(has(rate, pyatspi.STATE_FOCUSABLE))

        for node in nodes:
            self.assertIsNone(FLAG.search(node.name or ""), node.name)
            if has(node, pyatspi.STATE_FOCUSABLE):
                label = f"{node.getRoleName()} {node.name!r}"
                self.assertTrue(node.name, label)
                self.assertTrue(has(node, pyatspi.STATE_SHOWING), label)

        # The press action is a click: it copies what the button is called.
        self.desktop.clear_clipboard()
        do(result, "Press")
        self.wait_copied("₹ 207.8 Cr")

        # An open currency list is a window of the application's like any other, entries and all.
        picker = next(n for n in nodes if n.name.startswith("Source currency"))
        do(picker, actions(picker)[0])
        self.find("the open list's entries", lambda n: n.name == "EUR, Euro")

    def test_a_pause_in_typing_reads_the_result_out_once(self):
        self.open_with("1")
        heard = []

        # Orca speaks a notification as it is shown; Qt 6.4's name and description changes carry
        # no text it can speak.
        def listener(event):
            try:
                if event.source.getRole() == pyatspi.ROLE_NOTIFICATION and event.detail1:
                    heard.append(event.source.name)
            except GLib.GError:
                pass  # an object the last rebuild removed

        kind = "object:state-changed:showing"
        pyatspi.Registry.registerEventListener(listener, kind)
        self.addCleanup(pyatspi.Registry.deregisterEventListener, listener, kind)
        self.desktop.keys("ctrl+a")
        self.desktop.type("45 lakh")
        self.find("the new result", lambda n: is_button(n) and n.name == "37.4 crore Indian rupees")
        self.pump(1.5)
        self.assertEqual(heard, ["37.4 crore Indian rupees"])


class Keyboard(AccessibilityCase):
    def test_enter_copies_the_result(self):
        self.open_with("2.5 cr")
        self.desktop.clear_clipboard()
        self.desktop.keys("Return")
        self.wait_copied("₹ 207.8 Cr")

    def test_another_window_taking_the_keyboard_closes_the_panel(self):
        self.app.click_icon()
        self.app.wait_open()
        self.desktop.button_presses(100, 500, 200, 100)
        other = int(self.desktop.run("xdotool", "search", "--name", "Event Tester").stdout.split()[0])
        panel = next(w for w, g in self.app._windows().items() if g[2] == 320)

        # A second launch while it is open gives it the keyboard back.
        self.desktop.run("xdotool", "windowfocus", str(other))
        self.desktop.run(CONFIG.app)
        wait_for("the panel to get the keyboard",
                 lambda: self.desktop.run("xdotool", "getwindowfocus").stdout.strip() == str(panel))

        # What a window manager does on Alt+Tab: the other window becomes active and focused.
        self.desktop.run("xdotool", "windowfocus", str(other))
        self.desktop.run("xprop", "-root", "-f", "_NET_ACTIVE_WINDOW", "32x", "-set",
                         "_NET_ACTIVE_WINDOW", hex(other))
        self.app.wait_closed()


class Menu(AccessibilityCase):
    def menu_item(self, name):
        if self.app.panel() is None:
            self.app.click_icon()
            self.app.wait_open()
        do(self.find("the menu button", lambda n: n.name == "Menu"), "Press")
        return self.find(name, lambda n: n.name == name and is_menu_item(n))

    def test_start_at_login_writes_and_removes_the_entry_and_quit_ends(self):
        item = self.menu_item("Start at login")
        self.assertFalse(has(item, pyatspi.STATE_CHECKED))
        do(item, actions(item)[0])
        wait_for("the autostart entry", lambda: os.path.exists(self.autostart))
        with open(self.autostart) as entry:
            self.assertIn(f"Exec={os.path.abspath(CONFIG.app)}\n", entry.read())
        # A press through the screen reader leaves the menu open, as Orca users expect.
        self.desktop.keys("Escape")

        item = self.menu_item("Start at login")
        self.assertTrue(has(item, pyatspi.STATE_CHECKED))
        do(item, actions(item)[0])
        wait_for("the entry to go", lambda: not os.path.exists(self.autostart))

        # The XEmbed tray's right click brings the same menu, without the panel.
        self.desktop.keys("Escape")
        self.desktop.keys("Escape")
        self.app.wait_closed()
        x, y, w, h = self.app.icon_geometry
        self.desktop.click(x + w // 2, y + h // 2, button=3)
        quit_item = self.find("Quit", lambda n: n.name == "Quit" and is_menu_item(n))
        self.assertIsNone(self.app.panel())
        do(quit_item, "Press")
        wait_for("the app to end", lambda: not self.app.alive())
        self.assertEqual(self.app.proc.returncode, 0)

    def test_command_line_toggles_and_quits_the_running_one(self):
        self.desktop.run(CONFIG.app, "--toggle")
        self.app.wait_open()
        self.desktop.run(CONFIG.app, "--toggle")
        self.app.wait_closed()
        self.desktop.run(CONFIG.app, "--quit")
        wait_for("the app to end", lambda: not self.app.alive())
        self.assertIn("--toggle", self.desktop.run(CONFIG.app, "--help").stdout)
        # Read before Qt's application exists, and still in the user's language.
        hindi = subprocess.run([CONFIG.app, "--help"], capture_output=True, text=True, timeout=30,
                               env=dict(self.desktop.env, LANG="hi_IN.UTF-8", LC_ALL=""))
        self.assertIn("मुद्रा परिवर्तक", hindi.stdout)
        self.assertEqual(self.desktop.run(CONFIG.app, "--bogus", check=False).returncode, 2)


if __name__ == "__main__":
    main()
