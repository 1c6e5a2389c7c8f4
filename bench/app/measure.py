#!/usr/bin/env python3
"""Measures the tray application against a bare Qt tray-icon program on Xvfb with trayer.

    bench/app/measure.py [--build-dir DIR] [--runs N] [--cycles N]

Builds, in this run, the app (Release, its rate feed pointed at a local HTTPS server) and the
bare tray program beside it, then prints each figure next to the floor's:
  - exec to tray icon embedded (median of --runs launches; target within 1.3x the floor)
  - icon click to panel on screen (median; target under 50 ms)
  - RSS idle (target within 5 MB of the floor), with the panel open, and after --cycles
    open/close cycles.
Times come from outside the program: polling the X server for the mapped window, so they carry
a few milliseconds of polling granularity. Not a test: nothing here passes or fails.
"""

import argparse
import os
import shlex
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

from desktop import Desktop, rss_kib, stop, wait_for  # noqa: E402
from tray_app import PANEL_SIZE, RatesServer  # noqa: E402

PORT = 18443


def sh(argv, **kwargs):
    print("+", " ".join(shlex.quote(a) for a in argv), file=sys.stderr, flush=True)
    subprocess.run(argv, check=True, **kwargs)


def build(build_dir, tls_dir):
    sh(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
        "-DOVANTIC_BUILD_TESTS=OFF", "-DOVANTIC_BUILD_BENCH=OFF",
        f"-DOVANTIC_RATES_URL=https://127.0.0.1:{PORT}/v4/latest/USD",
        f"-DOVANTIC_CA_FILE={tls_dir}/cert.pem"], stdout=subprocess.DEVNULL)
    sh(["cmake", "--build", build_dir, "--target", "ovantic", "-j2"], stdout=subprocess.DEVNULL)
    bare = os.path.join(build_dir, "bare_tray")
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets"], check=True,
                           capture_output=True, text=True).stdout.split()
    sh(["c++", "-std=c++20", "-O2", "-fPIC", os.path.join(HERE, "bare_tray.cpp"), "-o", bare,
        *flags])
    return os.path.join(build_dir, "src", "app", "ovantic"), bare


class Run:
    """One launch of a tray program, timed from exec to its icon being embedded."""

    def __init__(self, desktop, binary):
        self.desktop = desktop
        self.name = os.path.basename(binary)
        start = time.monotonic()
        self.proc = desktop.spawn([binary], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.icon = wait_for("the icon", self._icon, timeout=30, interval=0.002)
        self.embed_ms = (time.monotonic() - start) * 1000

    def _windows(self):
        out = {}
        for window in self.desktop.visible_windows(self.name):
            geometry = self.desktop.geometry(window)
            if geometry:
                out[window] = geometry
        return out

    def _icon(self):
        for geometry in self._windows().values():
            if geometry[2:] != PANEL_SIZE and geometry[2] > 0:
                return geometry
        return None

    def panel_open(self):
        return any(g[2:] == PANEL_SIZE for g in self._windows().values())

    def click_icon(self):
        x, y, w, h = self.icon
        self.desktop.click(x + w // 2, y + h // 2)

    def open_ms(self):
        start = time.monotonic()
        self.click_icon()
        wait_for("the panel", self.panel_open, timeout=30, interval=0.002)
        return (time.monotonic() - start) * 1000

    def close_panel(self):
        self.click_icon()
        wait_for("the panel to close", lambda: not self.panel_open(), timeout=30)

    def rss_mib(self):
        return rss_kib(self.proc.pid) / 1024

    def stop(self):
        stop(self.proc)


def settle(seconds=1.0):
    # Lets start-up work (font cache, first rate reply) finish before memory is read.
    time.sleep(seconds)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench-app"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--cycles", type=int, default=200)
    args = parser.parse_args()

    build_dir = os.path.abspath(args.build_dir)
    tls_dir = os.path.join(build_dir, "tls")
    app, bare = build(build_dir, tls_dir)

    with Desktop() as desktop:
        server = RatesServer(os.path.join(ROOT, "tests", "support", "rates_server.py"), tls_dir,
                             PORT, os.path.join(desktop.workdir, "requests.log"))
        try:
            figures = {}
            for label, binary in (("floor", bare), ("app", app)):
                embeds, idles = [], []
                for _ in range(args.runs):
                    run = Run(desktop, binary)
                    embeds.append(run.embed_ms)
                    settle()
                    idles.append(run.rss_mib())
                    run.stop()
                figures[label] = {"embed": statistics.median(embeds),
                                  "idle": statistics.median(idles)}

            run = Run(desktop, app)
            settle()
            opens = []
            for _ in range(args.runs):
                opens.append(run.open_ms())
                run.close_panel()
            run.open_ms()
            settle()
            figures["app"]["open_rss"] = run.rss_mib()
            run.close_panel()
            for _ in range(args.cycles):
                run.open_ms()
                run.close_panel()
            settle()
            figures["app"]["cycles_rss"] = run.rss_mib()
            figures["app"]["open"] = statistics.median(opens)
            alive = run.proc.poll() is None
            run.stop()
        finally:
            server.close()

    floor, ours = figures["floor"], figures["app"]
    print(f"{'figure':<38}{'app':>12}{'floor':>12}   target")
    print(f"{'exec to icon embedded (median, ms)':<38}{ours['embed']:>12.1f}{floor['embed']:>12.1f}"
          f"   <= 1.3x floor ({ours['embed'] / floor['embed']:.2f}x)")
    print(f"{'icon click to panel shown (median, ms)':<38}{ours['open']:>12.1f}{'-':>12}"
          f"   < 50 ms")
    print(f"{'RSS idle (MiB)':<38}{ours['idle']:>12.1f}{floor['idle']:>12.1f}"
          f"   <= floor + 5 ({ours['idle'] - floor['idle']:+.1f})")
    print(f"{'RSS with the panel open (MiB)':<38}{ours['open_rss']:>12.1f}{'-':>12}")
    print(f"{f'RSS after {args.cycles} open/close cycles (MiB)':<38}{ours['cycles_rss']:>12.1f}"
          f"{'-':>12}   alive: {alive}")


if __name__ == "__main__":
    main()
