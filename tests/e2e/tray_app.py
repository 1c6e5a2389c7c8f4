"""The tray application and its local rate service, as the end-to-end tests drive them."""

import os
import subprocess
import sys
import time

from desktop import Timeout, rss_kib, spawn, stop, wait_for

PANEL_WIDTH, PANEL_MIN_HEIGHT = 320, 380
RATES_PATH = "/v4/latest/USD"


def is_panel(geometry):
    """The panel is 320 wide and at least 380 high (it grows to show the all-units list)."""
    return geometry[2] == PANEL_WIDTH and geometry[3] >= PANEL_MIN_HEIGHT


class RatesServer:
    """The local HTTPS rate service the test build of the app asks, on the port baked into it."""

    def __init__(self, script, tls_dir, port, log_path):
        self.log_path = log_path
        cert, key = ensure_certificate(tls_dir)
        open(log_path, "w").close()
        self.proc = spawn(
            [sys.executable, script, "--cert", cert, "--key", key, "--port", str(port),
             "--log", log_path],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline().strip()
        if line != str(port):
            stop(self.proc)
            err = self.proc.stderr.read()
            raise RuntimeError(f"rate server did not start on port {port} (another run of "
                               f"these tests on this machine?): {line!r} {err}")

    def requests(self):
        with open(self.log_path) as log:
            return sum(1 for line in log if line.strip().endswith(RATES_PATH))

    def close(self):
        stop(self.proc)


def ensure_certificate(tls_dir):
    """A self-signed certificate for 127.0.0.1 at the place the test build trusts."""
    os.makedirs(tls_dir, exist_ok=True)
    cert, key = os.path.join(tls_dir, "cert.pem"), os.path.join(tls_dir, "key.pem")
    if not (os.path.exists(cert) and os.path.exists(key)):
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650",
             "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
             "-keyout", key + ".tmp", "-out", cert + ".tmp"],
            check=True, capture_output=True)
        os.replace(key + ".tmp", key)
        os.replace(cert + ".tmp", cert)
    return cert, key


class TrayApp:
    """One run of the app binary on a desktop."""

    def __init__(self, desktop, binary):
        self.desktop = desktop
        self.stderr_path = os.path.join(desktop.workdir, "app.stderr")
        self.stderr = open(self.stderr_path, "w")
        self.proc = desktop.spawn([binary], stdout=subprocess.DEVNULL, stderr=self.stderr)
        self.icon_window = None
        # Seconds kept between a click on the icon and the click, opening or close seen before
        # it, where a shell would take two quick clicks for one double click, or the app a click
        # right after a close for the click that closed it.
        self.apart = 0.0
        self._last_change = 0.0

    @property
    def pid(self):
        return self.proc.pid

    def alive(self):
        return self.proc.poll() is None

    def stderr_text(self):
        self.stderr.flush()
        with open(self.stderr_path) as err:
            return err.read()

    def _windows(self):
        found = {}
        for window in self.desktop.visible_windows("ovantic"):
            geometry = self.desktop.geometry(window)
            if geometry:
                found[window] = geometry
        return found

    def wait_for_icon(self, timeout=15.0):
        def embedded():
            self._check_alive()
            for window, (x, y, w, h) in self._windows().items():
                if not is_panel((x, y, w, h)) and w > 0 and h > 0:
                    return window, (x, y, w, h)
            return None

        self.icon_window, self.icon_geometry = wait_for("the tray icon", embedded, timeout)
        return self.icon_geometry

    def panel(self):
        """The geometry of the open panel, or None."""
        self._check_alive()
        for _, geometry in self._windows().items():
            if is_panel(geometry):
                return geometry
        return None

    def wait_open(self, timeout=15.0):
        geometry = wait_for("the panel to open", self.panel, timeout)
        self._last_change = time.monotonic()
        return geometry

    def wait_closed(self, timeout=15.0):
        wait_for("the panel to close", lambda: self.panel() is None, timeout)
        self._last_change = time.monotonic()

    def click_icon(self):
        time.sleep(max(0.0, self._last_change + self.apart - time.monotonic()))
        x, y, w, h = self.icon_geometry
        self.desktop.click(x + w // 2, y + h // 2)
        self._last_change = time.monotonic()

    def rss_kib(self):
        return rss_kib(self.pid)

    def _check_alive(self):
        if not self.alive():
            raise AssertionError(
                f"the app exited with {self.proc.returncode}: {self.stderr_text()}")

    def close(self):
        stop(self.proc)
        self.stderr.close()


__all__ = ["RatesServer", "TrayApp", "Timeout"]
