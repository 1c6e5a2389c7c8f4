#!/usr/bin/env python3
"""Measures the tray application against a bare Qt tray-icon program on Xvfb, with trayer (an
XEmbed tray) or with a status notifier host on a private session bus (--tray sni).

    bench/app/measure.py [--tray xembed|sni|wayland] [--build-dir DIR] [--runs N] [--cycles N]
                         [--idle SECONDS] [--source DIR | --app BINARY]

Builds, in this run, the app (Release, its rate feed pointed at a local HTTPS server) and the
bare tray program beside it, then prints each figure next to the floor's:
  - exec to tray icon embedded, or its item registered with the watcher (median of --runs
    launches; target within 1.1x the floor)
  - icon click to panel on screen (median; target under 50 ms); on sni, from the start of a
    `gdbus call` of Activate, whose own start-up (printed beside it) is included
  - icon press to the first result painted in the panel (median), with the rates kept by an
    earlier fetch (target under 50 ms) and with none kept, so the local server's reply is waited
    for; the result counts as painted once the target's flag shows in the result row
  - RSS idle (target within 5 MB of the floor), with the panel open, and after 100 and after
    --cycles open/close cycles (target within 2 MB of each other); these cycles are asked of the
    running program on its single-instance socket, as `ovantic --toggle` would, so a thousand
    take a minute rather than a quarter of an hour of xdotool
  - wake-ups a second while idle with the panel closed (context switches of all its threads over
    --idle seconds; target under 0.5), at launch and after the cycles, beside the floor's.
Times come from outside the program: the icon by polling xdotool (a few milliseconds of
granularity, the same for both programs), the panel by asking the X server directly for a mapped
panel-sized window, timed from the button press. Not a test: nothing here passes or fails.

With --tray wayland, the same figures in a Wayland session instead (headless sway, waybar as the
status-notifier host, see tests/e2e/wayland_desktop.py): exec to the item registered with the
host, RSS idle, and a click on the icon in the bar to the panel in sway's window tree.
"""

import argparse
import json
import os
import shlex
import socket
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

from desktop import Desktop, rss_kib, stop, wait_for  # noqa: E402
from tray_app import PANEL_MIN_HEIGHT, PANEL_WIDTH, RatesServer, is_panel  # noqa: E402

import ctypes  # noqa: E402
import ctypes.util  # noqa: E402



def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


# Baked into this run's build of the app, so the server must get it: a port free right now.
PORT = free_port()


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                ("depth", ctypes.c_int), ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong),
                ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
                ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("screen", ctypes.c_void_p)]


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


# Where the result row's flag is drawn, from the panel's top-left corner: right of the target
# picker, left of the figure. A placeholder ("---") has no colour there.
RESULT_FLAG_AREA = (150, 195, 130, 30)


class PanelWatch:
    """Asks the X server directly (well under a millisecond a look) whether a panel-sized window
    is mapped on the root: the panel popup (320 wide, 380 or more high). xdotool would add a process start to every look."""

    IS_VIEWABLE = 2

    def __init__(self, display):
        x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                           ctypes.POINTER(XWindowAttributes)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XGetImage.restype = ctypes.POINTER(XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        # A panel closed between listing the root's windows and asking about one of them is
        # no error worth ending on: Xlib's default handler would exit.
        error_handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
        self.ignore_errors = error_handler(lambda display, event: 0)
        x.XSetErrorHandler.argtypes = [error_handler]
        x.XSetErrorHandler(self.ignore_errors)
        self.x = x
        self.panel_at = None
        self.dpy = x.XOpenDisplay(display.encode())
        self.root = x.XDefaultRootWindow(self.dpy)

    def panel_mapped(self):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x.XQueryTree(self.dpy, self.root, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(children), ctypes.byref(count)):
            return False
        try:
            attrs = XWindowAttributes()
            for i in range(count.value):
                if (self.x.XGetWindowAttributes(self.dpy, children[i], ctypes.byref(attrs))
                        and attrs.map_state == self.IS_VIEWABLE
                        and attrs.width == PANEL_WIDTH and attrs.height >= PANEL_MIN_HEIGHT):
                    self.panel_at = (attrs.x, attrs.y)
                    return True
            return False
        finally:
            if children:
                self.x.XFree(children)


    def result_painted(self):
        """Whether the mapped panel's result row shows a flag: some strongly coloured pixel."""
        if not self.panel_mapped():
            return False
        ax, ay, w, h = RESULT_FLAG_AREA
        all_planes, z_pixmap = ctypes.c_ulong(-1).value, 2
        image = self.x.XGetImage(self.dpy, self.root, self.panel_at[0] + ax,
                                 self.panel_at[1] + ay, w, h, all_planes, z_pixmap)
        if not image:
            return False
        try:
            img = image.contents
            if img.bits_per_pixel != 32:
                raise RuntimeError(f"expected 32 bits a pixel, got {img.bits_per_pixel}")
            data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
            for row in range(img.height):
                line = data[row * img.bytes_per_line:row * img.bytes_per_line + 4 * img.width]
                for col in range(0, len(line), 4):
                    b, g, r = line[col], line[col + 1], line[col + 2]
                    if max(r, g, b) - min(r, g, b) > 90:
                        return True
            return False
        finally:
            self.x.XFree(ctypes.cast(image.contents.data, ctypes.c_void_p))
            self.x.XFree(ctypes.cast(image, ctypes.c_void_p))


def sh(argv, **kwargs):
    print("+", " ".join(shlex.quote(a) for a in argv), file=sys.stderr, flush=True)
    subprocess.run(argv, check=True, **kwargs)


def build(build_dir, tls_dir, source=ROOT):
    sh(["cmake", "-S", source, "-B", build_dir, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
        "-DOVANTIC_BUILD_TESTS=OFF", "-DOVANTIC_BUILD_BENCH=OFF",
        f"-DOVANTIC_RATES_URL=https://127.0.0.1:{PORT}/v4/latest/USD",
        f"-DOVANTIC_FALLBACK_RATES_URL=https://127.0.0.1:{PORT}/v1/currencies/usd.min.json",
        f"-DOVANTIC_CA_FILE={tls_dir}/cert.pem"], stdout=subprocess.DEVNULL)
    sh(["cmake", "--build", build_dir, "--target", "ovantic", "-j2"], stdout=subprocess.DEVNULL)
    return os.path.join(build_dir, "src", "app", "ovantic"), build_bare(build_dir)


def build_bare(build_dir):
    os.makedirs(build_dir, exist_ok=True)
    bare = os.path.join(build_dir, "bare_tray")
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets"], check=True,
                           capture_output=True, text=True).stdout.split()
    sh(["c++", "-std=c++20", "-O2", "-fPIC", os.path.join(HERE, "bare_tray.cpp"), "-o", bare,
        *flags])
    return bare


def keep_rates(home):
    """Rates as an earlier run kept them, from the second service's reply kept for tests: for a
    binary whose feed this run does not serve."""
    with open(os.path.join(ROOT, "tests", "data", "currency_api_usd.min.json")) as reply:
        rates = {code.upper(): rate for code, rate in json.load(reply)["usd"].items()
                 if len(code) == 3 and code.isalpha()}
    folder = os.path.join(home, ".cache", "ovantic")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "rates.json"), "w") as kept:
        json.dump({"format": "ovantic-kept-rates-1", "date": time.strftime("%Y-%m-%d"),
                   "source": "measure.py", "fetched": int(time.time()), "rates": rates}, kept)


class Run:
    """One launch of a tray program, timed from exec to its icon being embedded."""

    def __init__(self, desktop, binary, watch=None):
        self.desktop = desktop
        self.watch = watch
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
            if not is_panel(geometry) and geometry[2] > 0:
                return geometry
        return None

    def panel_open(self):
        return any(is_panel(g) for g in self._windows().values())

    def click_icon(self):
        x, y, w, h = self.icon
        self.desktop.click(x + w // 2, y + h // 2)

    def open_ms(self):
        # Timed from the button press, which is when the tray reports the click; the release
        # follows once the panel is up.
        x, y, w, h = self.icon
        self.desktop.run("xdotool", "mousemove", str(x + w // 2), str(y + h // 2))
        start = time.monotonic()
        self.desktop.run("xdotool", "mousedown", "1")
        wait_for("the panel", self.watch.panel_mapped, timeout=30, interval=0.0005)
        elapsed = (time.monotonic() - start) * 1000
        self.desktop.run("xdotool", "mouseup", "1")
        return elapsed

    def result_ms(self):
        """Press on the icon to the first result painted in the panel."""
        x, y, w, h = self.icon
        self.desktop.run("xdotool", "mousemove", str(x + w // 2), str(y + h // 2))
        start = time.monotonic()
        self.desktop.run("xdotool", "mousedown", "1")
        wait_for("the result", self.watch.result_painted, timeout=30, interval=0.0005)
        elapsed = (time.monotonic() - start) * 1000
        self.desktop.run("xdotool", "mouseup", "1")
        return elapsed

    def close_panel(self):
        self.click_icon()
        wait_for("the panel to close", lambda: not self.panel_open(), timeout=30)

    def rss_mib(self):
        return rss_kib(self.proc.pid) / 1024

    def stop(self):
        stop(self.proc)


class SniRun(Run):
    """One launch on the status notifier host: the icon is an item registered on the bus."""

    def __init__(self, desktop, binary, log, watch=None):
        self.desktop, self.watch, self.log = desktop, watch, log
        self.name = os.path.basename(binary)
        before = self._items()
        start = time.monotonic()
        self.proc = desktop.spawn([binary], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the item", lambda: self._items() > before, timeout=30, interval=0.002)
        self.embed_ms = (time.monotonic() - start) * 1000
        with open(log) as lines:
            self.service = lines.read().split()[-1]
        # Where a click on a bar at the top of the screen leaves the pointer.
        desktop.run("xdotool", "mousemove", "1260", "10")

    def _items(self):
        with open(self.log) as lines:
            return lines.read().count("item ")

    def activate(self):
        self.desktop.run("gdbus", "call", "--address", self.desktop.bus, "--dest", self.service,
                         "--object-path", "/StatusNotifierItem", "--method",
                         "org.kde.StatusNotifierItem.Activate", "0", "0")

    def click_icon(self):
        self.activate()

    def open_ms(self):
        start = time.monotonic()
        self.activate()
        wait_for("the panel", self.watch.panel_mapped, timeout=30, interval=0.0005)
        return (time.monotonic() - start) * 1000


def gdbus_ms(desktop, runs=9):
    """What starting gdbus and making one call costs, for reading the sni click figure."""
    times = []
    for _ in range(runs):
        start = time.monotonic()
        desktop.run("gdbus", "call", "--address", desktop.bus, "--dest", "org.freedesktop.DBus",
                    "--object-path", "/org/freedesktop/DBus", "--method",
                    "org.freedesktop.DBus.GetId")
        times.append((time.monotonic() - start) * 1000)
    return statistics.median(times)


def wakeups_per_s(pid, seconds):
    """Context switches of the process's threads a second: each time one of them sleeps again
    after waking, for a timer, a socket or anything else. A thread that ends meanwhile counts
    for nothing."""
    def switches():
        counts = {}
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/status") as status:
                    counts[task] = sum(int(line.split()[1]) for line in status
                                       if line.startswith(("voluntary_ctxt_switches:",
                                                           "nonvoluntary_ctxt_switches:")))
            except FileNotFoundError:
                pass
        return counts
    before = switches()
    time.sleep(seconds)
    after = switches()
    return sum(after[task] - before.get(task, 0) for task in after) / seconds


def knock(desktop, letter):
    """What `ovantic --<letter>` sends the running one, without a process start."""
    tag = "".join(c for c in desktop.display if c.isalnum() or c in ".-")
    path = os.path.join(desktop.env["XDG_RUNTIME_DIR"], f"ovantic-{tag}.socket")
    with socket.socket(socket.AF_UNIX) as conn:
        conn.connect(path)
        conn.sendall(letter.encode() + b"\n")


def settle(seconds=1.0):
    # Lets start-up work (font cache, first rate reply) finish before memory is read.
    time.sleep(seconds)


def wayland_figures(app, bare, runs):
    from wayland_desktop import WaylandDesktop

    samples = {label: {"start": [], "idle": []} for label in ("floor", "app")}
    opens = []
    with WaylandDesktop() as desktop:
        # Launches alternate, as on X11.
        for _ in range(runs):
            for label, binary in (("floor", bare), ("app", app)):
                start = time.monotonic()
                proc = desktop.spawn([binary], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
                wait_for("the item", desktop.registered_items, timeout=30, interval=0.002)
                samples[label]["start"].append((time.monotonic() - start) * 1000)
                settle()
                samples[label]["idle"].append(rss_kib(proc.pid) / 1024)
                stop(proc)
                wait_for("the item to go", lambda: not desktop.registered_items(), timeout=30)

        proc = desktop.spawn([app], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the item", desktop.registered_items, timeout=30)
        x, y, w, h = wait_for("the icon in the bar", desktop.bar_icon, timeout=30)
        settle()
        for _ in range(runs):
            start = time.monotonic()
            desktop.click(x + w // 2, y + h // 2)
            wait_for("the panel", desktop.windows, timeout=30, interval=0.0005)
            opens.append((time.monotonic() - start) * 1000)
            desktop.keys("Escape")
            wait_for("the panel to close", lambda: not desktop.windows(), timeout=30)
            # Two clicks on waybar's icon closer than this are a double click to it.
            time.sleep(0.45)
        stop(proc)

    floor, ours = ({name: statistics.median(values) for name, values in samples[label].items()}
                   for label in ("floor", "app"))
    print(f"{'Wayland (sway + waybar)':<38}{'app':>12}{'floor':>12}   target")
    print(f"{'exec to item registered (median, ms)':<38}{ours['start']:>12.1f}"
          f"{floor['start']:>12.1f}   <= 1.1x floor ({ours['start'] / floor['start']:.2f}x)")
    print(f"{'icon click to panel mapped (median, ms)':<38}{statistics.median(opens):>12.1f}"
          f"{'-':>12}   < 50 ms")
    print(f"{'RSS idle (MiB)':<38}{ours['idle']:>12.1f}{floor['idle']:>12.1f}"
          f"   <= floor + 5 ({ours['idle'] - floor['idle']:+.1f})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "bench-app"))
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--cycles", type=int, default=1000)
    parser.add_argument("--idle", type=float, default=20.0,
                        help="seconds over which idle wake-ups are counted")
    parser.add_argument("--source", default=ROOT, help="the tree the app is built from")
    parser.add_argument("--app", help="an app already built, measured instead of building one; "
                        "its feed is not served, so it gets kept rates and no result timings")
    parser.add_argument("--tray", choices=("xembed", "sni", "wayland"), default="xembed",
                        help="wayland: headless sway with a waybar tray instead of Xvfb")
    args = parser.parse_args()

    build_dir = os.path.abspath(args.build_dir)
    tls_dir = os.path.join(build_dir, "tls")
    if args.app:
        app, bare = os.path.abspath(args.app), build_bare(build_dir)
    else:
        app, bare = build(build_dir, tls_dir, os.path.abspath(args.source))
    if args.tray == "wayland":
        wayland_figures(app, bare, args.runs)
        return

    sni = args.tray == "sni"
    with Desktop(with_tray=not sni, session_bus=sni) as desktop:
        if args.app:
            keep_rates(desktop.workdir)
        server = RatesServer(os.path.join(ROOT, "tests", "support", "rates_server.py"), tls_dir,
                             PORT, os.path.join(desktop.workdir, "requests.log"))
        if sni:
            log = os.path.join(desktop.workdir, "bus-events.log")
            open(log, "w").close()
            desktop.spawn(["/usr/bin/python3", os.path.join(ROOT, "tests", "e2e", "sni_watcher.py"),
                           "--bus", desktop.bus, "--log", log, "--watcher"])
            wait_for("the watcher", lambda: "true" in desktop.run(
                "gdbus", "call", "--address", desktop.bus, "--dest", "org.freedesktop.DBus",
                "--object-path", "/org/freedesktop/DBus", "--method",
                "org.freedesktop.DBus.NameHasOwner", "org.kde.StatusNotifierWatcher").stdout)

            def launch(desktop, binary, watch=None):
                return SniRun(desktop, binary, log, watch)
        else:
            launch = Run
        try:
            # Launches alternate between the two programs, so that whatever else the machine
            # is doing weighs on both alike.
            samples = {"floor": {"embed": [], "idle": []}, "app": {"embed": [], "idle": []}}
            for _ in range(args.runs):
                for label, binary in (("floor", bare), ("app", app)):
                    run = launch(desktop, binary)
                    samples[label]["embed"].append(run.embed_ms)
                    settle()
                    samples[label]["idle"].append(run.rss_mib())
                    run.stop()
            figures = {label: {name: statistics.median(values) for name, values in kinds.items()}
                       for label, kinds in samples.items()}
            for label, binary in (("floor", bare), ("app", app)):
                run = launch(desktop, binary)
                settle(3)
                figures[label]["wakeups"] = wakeups_per_s(run.proc.pid, args.idle)
                run.stop()

            run = launch(desktop, app, PanelWatch(desktop.display))
            settle()
            opens = []
            for _ in range(args.runs):
                opens.append(run.open_ms())
                run.close_panel()
            kept = os.path.join(desktop.workdir, ".cache", "ovantic", "rates.json")
            results = {"kept": [], "none": []}
            if not sni and not args.app:
                for _ in range(args.runs):
                    for label in ("kept", "none"):
                        if label == "none" and os.path.exists(kept):
                            os.remove(kept)
                        results[label].append(run.result_ms())
                        # The fetch ends before the panel closes, so the next opening has rates
                        # kept again.
                        settle(0.3)
                        run.close_panel()
            run.open_ms()
            settle()
            figures["app"]["open_rss"] = run.rss_mib()
            run.close_panel()
            checkpoints = {}
            for cycle in range(1, args.cycles + 1):
                knock(desktop, "t")
                wait_for("the panel", run.watch.panel_mapped, timeout=30, interval=0.001)
                knock(desktop, "t")
                wait_for("the panel to close", lambda: not run.watch.panel_mapped(), timeout=30,
                         interval=0.001)
                if cycle in (100, args.cycles):
                    settle()
                    checkpoints[cycle] = run.rss_mib()
            figures["app"]["cycles_rss"] = checkpoints
            # The last closing's own work (the panel's deletion, a fetch it started) is not idle.
            settle(5)
            figures["app"]["wakeups_after"] = wakeups_per_s(run.proc.pid, args.idle)
            figures["app"]["open"] = statistics.median(opens)
            alive = run.proc.poll() is None
            run.stop()
            call_ms = gdbus_ms(desktop) if sni else None
        finally:
            server.close()

    floor, ours = figures["floor"], figures["app"]
    print(f"tray: {args.tray}")
    print(f"{'figure':<38}{'app':>12}{'floor':>12}   target")
    print(f"{'exec to icon embedded (median, ms)':<38}{ours['embed']:>12.1f}{floor['embed']:>12.1f}"
          f"   <= 1.1x floor ({ours['embed'] / floor['embed']:.2f}x)")
    print(f"{'icon press to panel mapped (median, ms)':<38}{ours['open']:>12.1f}{'-':>12}"
          f"   < 50 ms" + (f" (a bare gdbus call takes {call_ms:.1f})" if call_ms else ""))
    for label, target in (("kept", "   < 50 ms"), ("none", "")):
        if results[label]:
            print(f"{f'icon press to result, rates {label} (ms)':<38}"
                  f"{statistics.median(results[label]):>12.1f}{'-':>12}{target}")
    print(f"{'RSS idle (MiB)':<38}{ours['idle']:>12.1f}{floor['idle']:>12.1f}"
          f"   <= floor + 5 ({ours['idle'] - floor['idle']:+.1f})")
    print(f"{'RSS with the panel open (MiB)':<38}{ours['open_rss']:>12.1f}{'-':>12}")
    for cycle, rss in ours["cycles_rss"].items():
        print(f"{f'RSS after {cycle} open/close cycles (MiB)':<38}{rss:>12.1f}{'-':>12}"
              + (f"   <= after 100 + 2 ({rss - ours['cycles_rss'][100]:+.1f})"
                 if cycle != 100 and 100 in ours["cycles_rss"] else ""))
    print(f"{'alive after the cycles':<38}{str(alive):>12}")
    print(f"{f'wake-ups/s idle, panel closed':<38}{ours['wakeups']:>12.2f}"
          f"{floor['wakeups']:>12.2f}   < 0.5")
    print(f"{f'wake-ups/s idle after the cycles':<38}{ours['wakeups_after']:>12.2f}{'-':>12}"
          f"   < 0.5")


if __name__ == "__main__":
    main()
