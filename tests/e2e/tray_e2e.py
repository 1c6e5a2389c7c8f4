#!/usr/bin/env python3
"""End-to-end tests of the tray application: the real binary on a real X server with a real
tray, clicked with xdotool, its clipboard read with xclip, its rate requests counted by a local
HTTPS server.

    tray_e2e.py --app BINARY --server rates_server.py --tls-dir DIR --port N [unittest args]

The app binary must be the test build that asks https://127.0.0.1:N/v4/latest/USD and trusts
DIR/cert.pem; this script makes that certificate when it is missing.
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import (SCREEN_H, SCREEN_W, Desktop, ShellDesktop, Timeout, stop,  # noqa: E402
                     wait_for)
from tray_app import RatesServer, TrayApp  # noqa: E402

CONFIG = argparse.Namespace()

# Where things are inside the panel, from its top-left corner. The result is right-aligned and its
# button only as wide as its text, so the click goes near the right edge, where a short result
# in a narrow font still is.
RESULT_OFFSET = (280, 210)
FROM_PICKER_OFFSET = (64, 105)
# The shells' double-click time and the app's 400 ms in which an activation after a close is
# taken for the click that closed it both end well within this.
ICON_CLICKS_APART = 0.5
# A point on the bare screen, away from the tray and from any panel placement.
ELSEWHERE = (200, 500)


def contrast(a, b):
    """The contrast ratio between two sRGB colours, as in WCAG 2."""
    def luminance(colour):
        def channel(v):
            v /= 255
            return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
        r, g, b = map(channel, colour)
        return 0.2126 * r + 0.7152 * g + 0.0722 * b
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


def stays(condition, seconds=0.5, interval=0.05):
    """True if `condition` holds throughout `seconds`: for things that must not happen, which no
    poll can see arrive."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not condition():
            return False
        time.sleep(interval)
    return condition()


class TrayCase(unittest.TestCase):
    tray_edge = "top"

    @classmethod
    def setUpClass(cls):
        # Class clean-ups run even when a later step of this set-up fails, unlike tearDownClass.
        cls.desktop = Desktop(tray_edge=cls.tray_edge)
        cls.addClassCleanup(cls.desktop.close)
        cls.server = RatesServer(CONFIG.server, CONFIG.tls_dir, CONFIG.port,
                                 os.path.join(cls.desktop.workdir, "requests.log"))
        cls.addClassCleanup(cls.server.close)

    def setUp(self):
        # Each test starts as a new user would: no pair remembered by an earlier one.
        shutil.rmtree(os.path.join(self.desktop.workdir, "config"), ignore_errors=True)
        self.requests_before = self.server.requests()
        self.app = TrayApp(self.desktop, CONFIG.app)
        self.addCleanup(self.app.close)
        self.app.wait_for_icon()

    def requests(self):
        return self.server.requests() - self.requests_before

    def wait_requests(self, count):
        wait_for(f"{count} rate request(s)", lambda: self.requests() >= count)
        self.assertEqual(self.requests(), count)

    def open_panel(self):
        self.app.click_icon()
        return self.app.wait_open()

    def copy_result(self, panel, timeout=5):
        """Clicks the result and returns what it put on the clipboard, or None if nothing."""
        self.desktop.clear_clipboard()
        self.desktop.click(panel[0] + RESULT_OFFSET[0], panel[1] + RESULT_OFFSET[1])
        try:
            return wait_for("a copy to the clipboard",
                            lambda: (text := self.desktop.clipboard()) != "<e2e marker>" and text,
                            timeout=timeout)
        except Timeout:
            return None

    def copied_result(self, panel, expected):
        """The copied result once it reads `expected`. Until the rates have arrived the result
        is a placeholder; while the "Copied!" feedback of an earlier copy shows, the result takes
        no clicks, so it is clicked again until a copy comes. A copy takes a moment to reach
        the clipboard (longer on Wayland), so each click is given one."""
        last = []

        def reads_expected():
            text = self.copy_result(panel, timeout=3)
            if text:
                last.append(text)
            return text == expected
        try:
            wait_for(f"the result to copy as {expected}", reads_expected, timeout=20,
                     interval=0.1)
        except Timeout:
            pass
        return last[-1] if last else None

    def result_row(self, panel):
        x, y = panel[0] + RESULT_OFFSET[0], panel[1] + RESULT_OFFSET[1]
        return self.desktop.pixels(x - 150, y - 10, 260, 20)

    def wait_copied_gone(self, panel):
        """Waits until the "Copied!" of the copy just made has given way to the result again."""
        copied = self.result_row(panel)
        wait_for("the result to show again", lambda: self.result_row(panel) != copied,
                 timeout=5, interval=0.1)

    def assertOnScreen(self, geometry):
        x, y, w, h = geometry
        self.assertGreaterEqual(x, 0)
        self.assertGreaterEqual(y, 0)
        self.assertLessEqual(x + w, SCREEN_W)
        self.assertLessEqual(y + h, SCREEN_H)


class TrayShell(TrayCase):
    def test_icon_reads_on_light_and_dark_trays(self):
        x, y, w, h = self.app.icon_geometry
        rows = self.desktop.pixels(x, y, w, h)
        # The cell's corner lies outside the disc. trayer offers no translucent visual, so Qt
        # fills the cell with its window colour: the ink is what differs most from that.
        behind = rows[0][0]
        ink = max((pixel for row in rows for pixel in row), key=lambda p: contrast(p, behind))
        for tray in ((0xcf, 0xd2, 0xd4), (0xf0, 0xf0, 0xf0), (0x1f, 0x1f, 0x1f), (0, 0, 0)):
            self.assertGreaterEqual(contrast(ink, tray), 3.0, f"ink {ink} on tray {tray}")

    def test_a_second_launch_opens_the_running_panel_and_ends(self):
        second = self.desktop.run(CONFIG.app, check=False)
        self.assertEqual(second.returncode, 0, second.stderr)
        self.app.wait_open()
        self.assertTrue(self.app.alive())
        # Knocks that arrive together are each heard once: an odd number of toggles closes.
        toggles = [subprocess.Popen([CONFIG.app, "--toggle"], env=self.desktop.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
                   for _ in range(51)]
        for toggle in toggles:
            _, err = toggle.communicate(timeout=30)
            self.assertEqual(toggle.returncode, 0, err)
        # Handed over is not yet handled: the panel comes and goes until the last one is.
        wait_for("the toggles to end with the panel closed",
                 lambda: stays(lambda: self.app.panel() is None, seconds=1.5), timeout=60)

    def test_launch_shows_only_the_icon_and_asks_for_no_rates(self):
        self.assertIsNone(self.app.panel())
        self.assertEqual(self.requests(), 0)
        # Qt's TLS backend is megabytes that an icon nobody clicked has no use for. (libssl
        # itself may be mapped by then: Debian 13's libproxy pulls it in through libcurl.)
        self.assertEqual(self.tls_backends(), set())
        # Had launching fetched anything, the first opening would bring the count past one.
        self.open_panel()
        self.wait_requests(1)
        wait_for("Qt's TLS backend loaded for the first request", self.tls_backends)

    def tls_backends(self):
        with open(f"/proc/{self.app.pid}/maps") as maps:
            paths = {line.split()[-1] for line in maps if "/" in line}
        return {p for p in paths if "/plugins/tls/" in p}

    def test_panel_opens_below_the_icon_fully_on_screen_and_fetches_once(self):
        panel = self.open_panel()
        icon_x, icon_y, icon_w, icon_h = self.app.icon_geometry
        self.assertEqual(panel[1], icon_y + icon_h)
        self.assertLessEqual(panel[0], icon_x)
        self.assertOnScreen(panel)
        self.wait_requests(1)
        self.assertEqual(self.copied_result(panel, "₹ 83.12"), "₹ 83.12")
        self.assertEqual(self.requests(), 1)

    def test_typed_crore_amount_converts_and_the_result_copies(self):
        panel = self.open_panel()
        self.wait_requests(1)
        self.desktop.keys("ctrl+a")
        self.desktop.type("2.5 cr")
        self.assertEqual(self.copied_result(panel, "₹ 207.8 Cr"), "₹ 207.8 Cr")

    def test_second_click_on_the_icon_closes_without_reopening(self):
        self.open_panel()
        self.app.click_icon()
        self.app.wait_closed()
        self.assertTrue(stays(lambda: self.app.panel() is None), "the closing click reopened it")
        # No dead click either: the very next click opens.
        self.open_panel()
        self.wait_requests(2)

    def test_click_elsewhere_closes_and_the_next_click_opens_a_fresh_panel(self):
        panel = self.open_panel()
        self.wait_requests(1)
        self.desktop.keys("ctrl+a")
        self.desktop.type("2.5 cr")
        self.assertEqual(self.copied_result(panel, "₹ 207.8 Cr"), "₹ 207.8 Cr")
        presses = self.desktop.button_presses(ELSEWHERE[0] - 50, ELSEWHERE[1] - 50, 100, 100)
        self.desktop.click(*ELSEWHERE)
        self.app.wait_closed()
        # The click that closed the panel went on to the window it was aimed at.
        wait_for("the press to reach the other program", lambda: presses() == 1)
        self.assertEqual(self.requests(), 1)

        panel = self.open_panel()
        self.wait_requests(2)
        # Back at the amount "1": one US dollar in rupees.
        self.assertEqual(self.copied_result(panel, "₹ 83.12"), "₹ 83.12")

    def test_right_click_elsewhere_closes_too_and_leaves_no_dead_click(self):
        self.open_panel()
        self.desktop.click(*ELSEWHERE, button=3)
        self.app.wait_closed()
        self.open_panel()

    def test_escape_closes_and_the_next_click_opens(self):
        self.open_panel()
        self.desktop.keys("Escape")
        self.app.wait_closed()
        self.open_panel()
        self.wait_requests(2)

    def test_currency_menu_opens_inside_the_panel_without_closing_it(self):
        panel = self.open_panel()
        windows_before = set(self.desktop.visible_windows("ovantic"))
        self.desktop.click(panel[0] + FROM_PICKER_OFFSET[0], panel[1] + FROM_PICKER_OFFSET[1])
        menu = wait_for("the currency menu",
                        lambda: set(self.desktop.visible_windows("ovantic")) - windows_before)
        self.assertIsNotNone(self.app.panel())
        # Escape takes away the menu alone; a second one closes the panel.
        self.desktop.keys("Escape")
        wait_for("the menu to close",
                 lambda: not (menu & set(self.desktop.visible_windows("ovantic"))))
        self.assertIsNotNone(self.app.panel())
        self.desktop.keys("Escape")
        self.app.wait_closed()

    def test_a_currency_found_by_typing_is_remembered_by_the_next_run(self):
        panel = self.open_panel()
        self.wait_requests(1)
        windows = set(self.desktop.visible_windows("ovantic"))
        self.desktop.click(panel[0] + FROM_PICKER_OFFSET[0], panel[1] + FROM_PICKER_OFFSET[1])
        # The list takes the keyboard as it is mapped.
        wait_for("the currency list",
                 lambda: set(self.desktop.visible_windows("ovantic")) - windows)
        self.desktop.type("swedish")
        self.desktop.keys("Return")
        # 83.12 rupees per dollar over 10.45 kronor per dollar.
        self.assertEqual(self.copied_result(panel, "₹ 7.95"), "₹ 7.95")
        self.app.close()
        self.app = TrayApp(self.desktop, CONFIG.app)
        self.addCleanup(self.app.close)
        self.app.wait_for_icon()
        panel = self.open_panel()
        self.assertEqual(self.copied_result(panel, "₹ 7.95"), "₹ 7.95")


class KeptRates(TrayCase):
    """The last good rates carry a later run through both services being down."""

    def restart_app(self):
        self.app.close()
        self.app = TrayApp(self.desktop, CONFIG.app)
        self.addCleanup(self.app.close)
        self.app.wait_for_icon()

    def restart_server(self):
        server = RatesServer(CONFIG.server, CONFIG.tls_dir, CONFIG.port,
                             os.path.join(self.desktop.workdir, "requests-again.log"))
        self.addCleanup(server.close)
        type(self).server = server
        self.requests_before = 0

    def shoot(self, name):
        if CONFIG.shots:
            self.desktop.screenshot(os.path.join(CONFIG.shots, name))

    def test_kept_rates_answer_at_once_and_a_damaged_file_costs_only_them(self):
        panel = self.open_panel()
        self.wait_requests(1)
        self.assertEqual(self.copied_result(panel, "₹ 83.12"), "₹ 83.12")
        kept = os.path.join(self.desktop.workdir, ".cache", "ovantic", "rates.json")
        self.assertTrue(os.path.exists(kept))

        # Quit, both services down, start again: the first copy already has the result.
        self.server.close()
        self.restart_app()
        panel = self.open_panel()
        self.assertEqual(self.copy_result(panel), "₹ 83.12")
        self.wait_copied_gone(panel)
        self.shoot("kept-rates-services-down.png")

        # Cut short, the file gives no number at all, and the panel waits as with nothing kept.
        with open(kept, "r+b") as damaged:
            damaged.truncate(os.path.getsize(kept) // 2)
        self.restart_app()
        panel = self.open_panel()
        self.assertNotIn("83.12", self.copy_result(panel) or "")
        self.shoot("damaged-kept-rates-services-down.png")

        # With a service up again, a damaged file changes nothing: the fetch answers and a sound
        # file replaces it.
        with open(kept, "wb") as damaged:
            damaged.write(b"\x00garbage{")
        self.restart_server()
        self.restart_app()
        panel = self.open_panel()
        self.wait_requests(1)
        self.assertEqual(self.copied_result(panel, "₹ 83.12"), "₹ 83.12")
        with open(kept) as rewritten:
            self.assertEqual(json.load(rewritten)["rates"]["INR"], 83.12)
        self.wait_copied_gone(panel)
        self.shoot("fetched-just-now.png")


class BottomTray(TrayCase):
    tray_edge = "bottom"

    def test_panel_opens_above_the_icon_and_stays_put_while_typing(self):
        panel = self.open_panel()
        icon_y = self.app.icon_geometry[1]
        self.assertEqual(panel[1] + panel[3], icon_y)
        self.assertOnScreen(panel)
        self.wait_requests(1)
        self.desktop.keys("ctrl+a")
        self.desktop.type("2.5 cr")
        # The all-units list is up once the result reads in crore.
        self.assertEqual(self.copied_result(panel, "₹ 207.8 Cr"), "₹ 207.8 Cr")
        self.assertEqual(self.app.panel(), panel)


class OpenCloseCycles(TrayCase):
    CYCLES = 200
    MAX_GROWTH_KIB = 2048

    def cycle(self):
        clicked = time.monotonic()
        self.open_panel()
        self.opened_in.append(time.monotonic() - clicked)
        self.app.click_icon()
        self.app.wait_closed()

    def test_many_open_close_cycles_keep_the_process_alive_and_its_memory_flat(self):
        # The first opening loads fonts, the emoji font and TLS state once for the whole run.
        self.opened_in = []
        self.cycle()
        baseline = self.app.rss_kib()
        for _ in range(self.CYCLES):
            self.cycle()
        self.assertTrue(self.app.alive())
        growth = self.app.rss_kib() - baseline
        print(f"RSS {baseline} KiB -> {baseline + growth} KiB after {self.CYCLES} cycles; click "
              f"to panel mapped: first {self.opened_in[0] * 1000:.0f} ms, then median "
              f"{statistics.median(self.opened_in[1:]) * 1000:.0f} ms", file=sys.stderr)
        self.assertLess(growth, self.MAX_GROWTH_KIB)
        self.wait_requests(self.CYCLES + 1)


class NoTrayYet(unittest.TestCase):
    MESSAGE = "no system tray is running"

    def test_waits_quietly_for_a_tray_then_shows_the_icon(self):
        with Desktop(with_tray=False) as desktop:
            app = TrayApp(desktop, CONFIG.app)
            self.addCleanup(app.close)
            wait_for("the no-tray message", lambda: self.MESSAGE in app.stderr_text())
            self.assertTrue(app.alive())
            self.assertEqual(desktop.visible_windows("ovantic"), [])

            desktop.start_tray()
            app.wait_for_icon()
            self.assertEqual(app.stderr_text().count(self.MESSAGE), 1)
            app.click_icon()
            app.wait_open()
            app.click_icon()
            app.wait_closed()

            # A tray that restarts knows nothing of the icons the old one held.
            stop(desktop.tray)
            wait_for("the tray to go", lambda: not desktop.tray_running())
            desktop.start_tray()
            app.wait_for_icon()
            app.click_icon()
            app.wait_open()


class SessionBusCase(unittest.TestCase):
    """A desktop whose services (set self.desktop and self.log) are on a private session bus."""

    WATCHER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sni_watcher.py")

    def serve(self, role, *args):
        # The harness's own Python may lack GObject introspection; Debian's has it.
        return self.desktop.spawn(["/usr/bin/python3", self.WATCHER, "--bus", self.desktop.bus,
                                   "--log", self.log, f"--{role}", *args],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def events(self, kind):
        with open(self.log) as log:
            return [line.split(" ", 1)[1].strip() for line in log if line.startswith(kind + " ")]

    def gdbus(self, *args):
        result = self.desktop.run("gdbus", "call", "--address", self.desktop.bus, *args, check=False)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def has_owner(self, name):
        return "true" in self.gdbus("--dest", "org.freedesktop.DBus", "--object-path",
                                    "/org/freedesktop/DBus", "--method",
                                    "org.freedesktop.DBus.NameHasOwner", name)


class StatusNotifierHost(SessionBusCase):
    """X11 where the tray is a status notifier host on the session bus, and no XEmbed tray."""

    def item(self, service, *call):
        return self.gdbus("--dest", service, "--object-path", "/StatusNotifierItem", *call)

    def test_an_app_started_before_the_host_gets_its_icon_and_activate_toggles_the_panel(self):
        with Desktop(with_tray=False, session_bus=True) as desktop:
            self.desktop = desktop
            self.log = os.path.join(desktop.workdir, "bus-events.log")
            open(self.log, "w").close()
            self.serve("notifications")
            wait_for("the notification service",
                     lambda: self.has_owner("org.freedesktop.Notifications"))
            app = TrayApp(desktop, CONFIG.app)
            self.addCleanup(app.close)
            wait_for("the notice of no tray", lambda: self.events("notify"))
            self.assertIn("no system tray is running yet", app.stderr_text())

            appeared = time.monotonic()
            watcher = self.serve("watcher")
            service = wait_for("the item to register", lambda: self.events("item"))[0]
            print(f"item registered {time.monotonic() - appeared:.2f} s after the host started",
                  file=sys.stderr)
            # Not installed: no name a host could fail to find, the pictures alone.
            def prop(name):
                return self.item(service, "--method", "org.freedesktop.DBus.Properties.Get",
                                 "org.kde.StatusNotifierItem", name)
            self.assertEqual(prop("IconName").strip(), "(<''>,)")
            self.assertIn("(16, 16, [", prop("IconPixmap"))

            # The host tells where the click on its icon was, and hands over a token first, as
            # Plasma does: the panel opens there, wherever the pointer went since.
            desktop.run("xdotool", "mousemove", "640", "400")
            self.item(service, "--method",
                      "org.kde.StatusNotifierItem.ProvideXdgActivationToken", "token")
            self.item(service, "--method", "org.kde.StatusNotifierItem.Activate", "900", "10")
            x, y, w, _ = app.wait_open()
            self.assertEqual((x + w // 2, y), (900, 11))
            self.item(service, "--method", "org.kde.StatusNotifierItem.Activate", "0", "0")
            app.wait_closed()

            # The bar restarts: its new watcher knows no items until they register again.
            stop(watcher)
            self.serve("watcher")
            wait_for("the item to register again", lambda: len(self.events("item")) == 2)
            self.assertEqual(len(self.events("notify")), 1)

    def test_the_icon_moves_between_a_host_and_an_xembed_tray_as_the_host_comes_and_goes(self):
        with Desktop(with_tray=True, session_bus=True) as desktop:
            self.desktop = desktop
            self.log = os.path.join(desktop.workdir, "bus-events.log")
            open(self.log, "w").close()
            app = TrayApp(desktop, CONFIG.app)
            self.addCleanup(app.close)
            app.wait_for_icon()
            watcher = self.serve("watcher")
            wait_for("the item to register", lambda: self.events("item"))
            wait_for("the XEmbed icon to go", lambda: not app._windows())
            # The host goes: the icon goes back to the XEmbed tray, and the one item stays one.
            stop(watcher)
            app.wait_for_icon()
            self.assertEqual(len(self.events("item")), 1)


class RealShell(unittest.TestCase):
    """A desktop people use, run for real: its tray shows the icon whether Ovantic starts before
    or after it, once, readable on its panel, and single clicks open and close the panel every
    time."""

    shell = None
    # The icon's ink as drawn from its pictures, and the screen rows of the shell's panel.
    INK = (0x96, 0x69, 0x09)
    BAND = {"gnome": (0, 32), "plasma": (1080 - 48, 1080), "xfce": (0, 40),
            "lxqt": (1080 - 48, 1080)}

    @classmethod
    def setUpClass(cls):
        if cls.shell is None:
            raise unittest.SkipTest("a base class")
        cls.desktop = ShellDesktop(cls.shell)
        cls.addClassCleanup(cls.desktop.close)
        cls.server = RatesServer(CONFIG.server, CONFIG.tls_dir, CONFIG.port,
                                 os.path.join(cls.desktop.workdir, "requests.log"))
        cls.addClassCleanup(cls.server.close)

    def find_icon(self, app):
        """Waits for the icon on the panel, once; returns its box."""
        # A pointer left over the icon lights it up (Plasma), which changes its colours.
        self.desktop.run("xdotool", "mousemove", "960", "540")
        seen = [None]

        def shown():
            # Round, and in the same place twice running: a panel still laying itself out
            # shows the icon half drawn or on its way to its place.
            app._check_alive()
            box, seen[0] = seen[0], self.desktop.find_ink(self.INK, self.BAND[self.shell])
            return box if box and box == seen[0] and abs(box[2] - box[3]) <= 2 else None
        try:
            box = wait_for("the icon on the panel", shown, timeout=30, interval=0.3)
        except Timeout:
            self.shot("no-icon")
            raise
        # One icon, whichever way it got there: one item on the bus, or one XEmbed window.
        items = self.desktop.items_of(app.pid)
        docked = [w for w in self.desktop.visible_windows("ovantic")
                  if self.desktop.geometry(w) and self.desktop.geometry(w)[2] < 64]
        self.assertEqual(len(items) + len(docked), 1, f"items {items}, windows {docked}")
        self.assertLess(box[2], 2 * box[3], f"two icons side by side? {box}")
        app.icon_geometry = box
        return box

    def panel_colour(self, box):
        """The panel's own colour: the commonest one in a ring just around the icon."""
        x, y, w, h = box
        top, bottom = self.BAND[self.shell]
        y0, y1 = max(top, y - 3), min(bottom, y + h + 3)
        rows = self.desktop.pixels(x - 3, y0, w + 6, y1 - y0)
        ring = [p for r, row in enumerate(rows) for c, p in enumerate(row)
                if not (3 <= c < w + 3 and y - y0 <= r < y - y0 + h)]
        return max(set(ring), key=ring.count)

    def shot(self, name):
        if CONFIG.shots:
            os.makedirs(CONFIG.shots, exist_ok=True)
            # Only a picture to look at, checked by nobody: a compositing window manager (KWin)
            # fades new windows in, and Plasma's launch feedback keeps the screen changing, so it
            # waits a fixed second rather than for a still screen.
            time.sleep(1)
            self.desktop.screenshot(os.path.join(CONFIG.shots, f"{self.shell}-{name}.png"))

    def click_elsewhere_reaches_its_window(self, app):
        log = os.path.join(self.desktop.workdir, "xev.log")
        with open(log, "w") as out:
            self.desktop.spawn(["stdbuf", "-oL", "xev", "-geometry", "300x200+600+500", "-event",
                                "button"], stdout=out, stderr=subprocess.DEVNULL)
        window = wait_for("the other program's window", lambda: self.desktop.run(
            "xdotool", "search", "--onlyvisible", "--name", "Event Tester",
            check=False).stdout.split())[0]
        # A window manager may move a window just after it maps (mutter centres it).
        def settled():
            first = self.desktop.geometry(window)
            time.sleep(0.3)
            return first if first and first == self.desktop.geometry(window) else None
        x, y, w, h = wait_for("its place", settled)
        app.click_icon()
        app.wait_open()
        self.desktop.click(x + w // 2, y + h // 2)
        app.wait_closed()

        def presses():
            with open(log) as text:
                return text.read().count("ButtonPress event")
        wait_for("the press to reach the other program", lambda: presses() >= 1)
        self.desktop.run("xdotool", "windowkill", window, check=False)

    def test_icon_single_clicks_escape_and_a_second_launch(self):
        # Started before the shell: the icon comes with its tray.
        before = TrayApp(self.desktop, CONFIG.app)
        before.apart = ICON_CLICKS_APART
        self.addCleanup(before.close)
        self.desktop.start_shell()
        box = self.find_icon(before)
        panel = self.panel_colour(box)
        rows = self.desktop.pixels(*box)
        ink = max((p for row in rows for p in row), key=lambda p: contrast(p, panel))
        print(f"{self.shell}: icon {box}, ink {ink} on panel {panel}: "
              f"{contrast(ink, panel):.2f}:1", file=sys.stderr)
        self.shot("icon")
        self.assertGreaterEqual(contrast(ink, panel), 3.0)

        # One click opens, one closes, and the next opens again, every time.
        for _ in range(3):
            before.click_icon()
            before.wait_open()
            before.click_icon()
            before.wait_closed()
            self.assertTrue(stays(lambda: before.panel() is None), "the closing click reopened")
        before.click_icon()
        before.wait_open()
        self.shot("open")
        before.click_icon()
        before.wait_closed()

        self.click_elsewhere_reaches_its_window(before)
        before.click_icon()
        before.wait_open()
        self.desktop.keys("Escape")
        before.wait_closed()
        before.click_icon()
        before.wait_open()
        before.click_icon()
        before.wait_closed()
        before.close()
        wait_for("the icon to go", lambda: not self.desktop.find_ink(self.INK,
                                                                     self.BAND[self.shell]))

        # Started after the shell: the icon shows at once, and a second launch opens its panel.
        after = TrayApp(self.desktop, CONFIG.app)
        after.apart = ICON_CLICKS_APART
        self.addCleanup(after.close)
        self.find_icon(after)
        second = self.desktop.run(CONFIG.app, check=False)
        self.assertEqual(second.returncode, 0, second.stderr)
        after.wait_open()
        after.click_icon()
        after.wait_closed()


class GnomeShell(RealShell):
    shell = "gnome"


class Plasma(RealShell):
    shell = "plasma"


class Xfce(RealShell):
    shell = "xfce"


class Lxqt(RealShell):
    shell = "lxqt"


class DesktopColorScheme(SessionBusCase):
    """The desktop portal's light or dark setting, as an XEmbed desktop with a portal offers it:
    read at launch, then followed while the panel is open and between openings."""

    DARK, LIGHT = 1, 2

    def set_scheme(self, scheme):
        self.gdbus("--dest", "org.freedesktop.portal.Desktop", "--object-path",
                   "/org/freedesktop/portal/desktop", "--method",
                   "org.ovantic.test.Appearance.SetColorScheme", str(scheme))

    def look(self):
        """The open panel's background on screen, below its last line: dark, light or neither."""
        x, y, w, h = self.app.wait_open()
        pixel = self.desktop.pixels(x + 10, y + h - 30, 1, 1)[0][0]
        return "dark" if max(pixel) < 100 else "light" if min(pixel) > 180 else str(pixel)

    def wait_look(self, expected):
        wait_for(f"a {expected} panel", lambda: self.look() == expected, timeout=5)

    def test_a_switch_shows_in_the_open_panel_and_in_the_next_one(self):
        with Desktop(session_bus=True) as desktop:
            self.desktop = desktop
            self.log = os.path.join(desktop.workdir, "bus-events.log")
            open(self.log, "w").close()
            self.serve("portal", str(self.DARK))
            wait_for("the portal", lambda: self.has_owner("org.freedesktop.portal.Desktop"))
            self.app = TrayApp(desktop, CONFIG.app)
            self.addCleanup(self.app.close)
            self.app.wait_for_icon()
            self.app.click_icon()
            self.wait_look("dark")
            for scheme, look in ((self.LIGHT, "light"), (self.DARK, "dark")):
                self.set_scheme(scheme)
                self.wait_look(look)
            for scheme, look in ((self.LIGHT, "light"), (self.DARK, "dark")):
                self.app.click_icon()
                self.app.wait_closed()
                self.set_scheme(scheme)
                self.app.click_icon()
                self.wait_look(look)


def main(*required):
    """Reads the suites' common options, and the `required` ones a suite adds, into CONFIG."""
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("--app", *required):
        parser.add_argument(name, required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("--tls-dir", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--shots", help="a folder for screenshots: the footer's states, the "
                        "panel open in each real shell")
    args, rest = parser.parse_known_args()
    vars(CONFIG).update(vars(args))
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
