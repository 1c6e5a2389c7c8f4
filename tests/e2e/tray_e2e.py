#!/usr/bin/env python3
"""End-to-end tests of the tray application: the real binary on a real X server with a real
tray, clicked with xdotool, its clipboard read with xclip, its rate requests counted by a local
HTTPS server.

    tray_e2e.py --app BINARY --server rates_server.py --tls-dir DIR --port N [unittest args]

The app binary must be the test build that asks https://127.0.0.1:N/v4/latest/USD and trusts
DIR/cert.pem; this script makes that certificate when it is missing.
"""

import argparse
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import SCREEN_H, SCREEN_W, Desktop, Timeout, wait_for  # noqa: E402
from tray_app import RatesServer, TrayApp  # noqa: E402

CONFIG = argparse.Namespace()

# Where things are inside the panel, from its top-left corner.
RESULT_OFFSET = (200, 210)
FROM_PICKER_OFFSET = (64, 101)
# How long the result shows "Copied!" and ignores clicks, with a margin.
COPIED_FEEDBACK_S = 2.3
# A point on the bare screen, away from the tray and from any panel placement.
ELSEWHERE = (200, 500)


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

    def copy_result(self, panel):
        """Clicks the result and returns what it put on the clipboard, or None if nothing."""
        self.desktop.clear_clipboard()
        self.desktop.click(panel[0] + RESULT_OFFSET[0], panel[1] + RESULT_OFFSET[1])
        try:
            return wait_for("a copy to the clipboard",
                            lambda: (text := self.desktop.clipboard()) != "<e2e marker>" and text,
                            timeout=5)
        except Timeout:
            return None

    def copied_result(self, panel, expected):
        """The copied result once it reads `expected`. Until the rates have arrived the result
        is a placeholder; a second copy must then wait out the first one's "Copied!" feedback,
        during which the result takes no clicks."""
        text = None
        for _ in range(4):
            text = self.copy_result(panel)
            if text == expected:
                break
            time.sleep(COPIED_FEEDBACK_S)
        return text

    def assertOnScreen(self, geometry):
        x, y, w, h = geometry
        self.assertGreaterEqual(x, 0)
        self.assertGreaterEqual(y, 0)
        self.assertLessEqual(x + w, SCREEN_W)
        self.assertLessEqual(y + h, SCREEN_H)


class TrayShell(TrayCase):
    def test_launch_shows_only_the_icon_and_asks_for_no_rates(self):
        self.assertIsNone(self.app.panel())
        self.assertEqual(self.requests(), 0)
        # A TLS stack is megabytes that an icon nobody clicked has no use for.
        self.assertEqual(self.tls_libraries(), set())
        # Had launching fetched anything, the first opening would bring the count past one.
        self.open_panel()
        self.wait_requests(1)
        wait_for("TLS loaded for the first request", self.tls_libraries)

    def tls_libraries(self):
        with open(f"/proc/{self.app.pid}/maps") as maps:
            paths = {line.split()[-1] for line in maps if "/" in line}
        return {p for p in paths if "/plugins/tls/" in p or "libssl" in p}

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
        self.desktop.click(*ELSEWHERE)
        self.app.wait_closed()
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


class BottomTray(TrayCase):
    tray_edge = "bottom"

    def test_panel_opens_above_an_icon_at_the_bottom_of_the_screen(self):
        panel = self.open_panel()
        icon_y = self.app.icon_geometry[1]
        self.assertEqual(panel[1] + panel[3], icon_y)
        self.assertOnScreen(panel)


class OpenCloseCycles(TrayCase):
    CYCLES = 200
    MAX_GROWTH_KIB = 2048

    def cycle(self):
        self.open_panel()
        self.app.click_icon()
        self.app.wait_closed()

    def test_many_open_close_cycles_keep_the_process_alive_and_its_memory_flat(self):
        # The first opening loads fonts, the emoji font and TLS state once for the whole run.
        self.cycle()
        baseline = self.app.rss_kib()
        for _ in range(self.CYCLES):
            self.cycle()
        self.assertTrue(self.app.alive())
        growth = self.app.rss_kib() - baseline
        print(f"RSS {baseline} KiB -> {baseline + growth} KiB after {self.CYCLES} cycles",
              file=sys.stderr)
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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--app", required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("--tls-dir", required=True)
    parser.add_argument("--port", type=int, required=True)
    args, rest = parser.parse_known_args()
    vars(CONFIG).update(vars(args))
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
