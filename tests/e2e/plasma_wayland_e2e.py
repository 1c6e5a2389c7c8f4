#!/usr/bin/env python3
"""End-to-end tests in KDE Plasma 6 on Wayland: KWin nested in Xvfb, kded6 and plasmashell on a
private session bus, the app with QT_QPA_PLATFORM=wayland. Clicks and keys go through the Xvfb
screen into KWin, windows are read from KWin by a script over org.kde.kwin.Scripting, pictures
from the Xvfb root. Same arguments as tray_e2e.py, whose helpers it shares.
"""

import os
import re
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import tray_e2e  # noqa: E402
from desktop import wait_for  # noqa: E402
from tray_app import TrayApp  # noqa: E402

SHADOW = (12, 9, 12, 15)  # the panel's shadow around it: left, top, right, bottom
# KWin prints what a script prints into its log, one line per window, after a marker.
WINDOWS_SCRIPT = """
for (const w of workspace.windowList()) {
    const g = w.frameGeometry;
    print("%(marker)s", w.pid, g.x, g.y, g.width, g.height, w.skipTaskbar, w.active);
}
print("%(marker)s end");
"""


class KWinWindows:
    """Each window's process, frame, task-bar presence and focus, as KWin has them."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.calls = 0

    def list(self):
        self.calls += 1
        marker = f"ovantic-e2e-{os.getpid()}-{self.calls}"
        path = os.path.join(self.desktop.workdir, "windows.js")
        with open(path, "w") as out:
            out.write(WINDOWS_SCRIPT % {"marker": marker})
        kwin = ("--dest", "org.kde.KWin", "--object-path")
        out = self.desktop.gdbus(*kwin, "/Scripting", "--method",
                                 "org.kde.kwin.Scripting.loadScript", path, marker)
        number = re.search(r"-?\d+", out)[0]
        self.desktop.gdbus(*kwin, f"/Scripting/Script{number}", "--method",
                           "org.kde.kwin.Script.run")

        def printed():
            with open(self.desktop.kwin_log, errors="replace") as log:
                lines = [line.split(marker, 1)[1].split() for line in log if marker in line]
            return lines if lines and lines[-1] == ["end"] else None
        lines = wait_for("KWin's list of windows", printed, timeout=10, interval=0.02)
        self.desktop.gdbus(*kwin, "/Scripting", "--method",
                           "org.kde.kwin.Scripting.unloadScript", marker, check=False)
        # KWin may name the script in lines of its own too.
        return [(int(pid), *map(int, box), task == "false", active == "true")
                for pid, *box, task, active in (line for line in lines if len(line) == 7)]


class PlasmaWaylandApp(TrayApp):
    """The app as KWin sees it: its panel is its one window at least 320 wide."""

    def panel(self):
        self._check_alive()
        found = [w[1:] for w in self.windows.list() if w[0] == self.pid and w[3] >= 320]
        return found[0] if found else None


class PlasmaWayland(tray_e2e.RealShell):
    shell = "plasma-wayland"
    BAND = {"plasma-wayland": (1080 - 64, 1080)}
    test_icon_single_clicks_escape_and_a_second_launch = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.start_shell()

    def setUp(self):
        self.app = PlasmaWaylandApp(self.desktop, tray_e2e.CONFIG.app)
        self.app.apart = tray_e2e.ICON_CLICKS_APART
        self.addCleanup(self.app.close)
        self.app.windows = KWinWindows(self.desktop)
        self.find_icon(self.app)

    def open_panel(self):
        """Clicks the icon; returns the panel and how long it took to be listed by KWin."""
        start = time.monotonic()
        self.app.click_icon()
        panel = wait_for("the panel to open", self.app.panel, interval=0.005)
        return panel, time.monotonic() - start

    def test_the_panel_hangs_from_the_icon_with_the_keyboard_and_no_task(self):
        x, y, w, h = self.app.icon_geometry
        panel, _ = self.open_panel()
        self.shot("open")
        px, py, pw, ph, has_task, active = panel
        left, top, right, bottom = SHADOW
        shown = (px + left, py + top, pw - left - right, ph - top - bottom)
        # Over the click, on screen, its bottom edge just above the icon's bar.
        self.assertEqual(shown[2], 320, panel)
        self.assertTrue(shown[0] <= x + w // 2 < shown[0] + shown[2], (panel, self.app.icon_geometry))
        self.assertTrue(shown[0] + shown[2] // 2 == x + w // 2 or shown[0] + shown[2] == 1920 or
                        shown[0] == 0, "neither centred over the icon nor against an edge")
        self.assertGreaterEqual(shown[0], 0)
        self.assertLessEqual(shown[0] + shown[2], 1920)
        self.assertTrue(0 <= y - (shown[1] + shown[3]) <= 32, (panel, self.app.icon_geometry))
        self.assertFalse(has_task, "the panel shows in the task manager")
        self.assertTrue(active, "the panel opened without the keyboard")
        # What is typed lands in the amount field: the panel's picture changes with it.
        before = self.desktop.pixels(*shown)
        self.desktop.keys("ctrl+a")
        self.desktop.type("2.5 cr")
        wait_for("the typed amount in the panel", lambda: self.desktop.pixels(*shown) != before,
                 timeout=5)
        self.desktop.keys("Escape")
        self.app.wait_closed()
        self.assertNotIn("ProvideXdgActivationToken", self.app.stderr_text())
        self.assertNotIn("no slot matched", self.app.stderr_text())

    def test_clicks_toggle_and_a_click_on_the_desktop_or_escape_closes(self):
        times = []
        for _ in range(3):
            times.append(self.open_panel()[1])
            self.app.click_icon()
            self.app.wait_closed()
            self.assertTrue(tray_e2e.stays(lambda: self.app.panel() is None), "reopened")
        times.append(self.open_panel()[1])
        self.desktop.click(300, 300)
        self.app.wait_closed()
        times.append(self.open_panel()[1])
        self.desktop.keys("Escape")
        self.app.wait_closed()
        print(f"plasma-wayland: click to panel listed by KWin, median "
              f"{statistics.median(times) * 1000:.0f} ms of {len(times)}", file=sys.stderr)

    def test_the_token_a_host_hands_over_is_taken_without_error(self):
        service, path = self.desktop.items_of(self.app.pid)[0].split("/", 1)
        out = self.desktop.gdbus("--dest", service, "--object-path", "/" + path, "--method",
                                 "org.kde.StatusNotifierItem.ProvideXdgActivationToken",
                                 "test-token")
        self.assertEqual(out.strip(), "()")


if __name__ == "__main__":
    tray_e2e.main()
