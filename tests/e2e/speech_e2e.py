#!/usr/bin/env python3
"""What a blind user hears: the real Orca, with its speech logged, against the real tray app on a
real X server, driven from the keyboard as such a user drives it.

    speech_e2e.py --app BINARY --server rates_server.py --tls-dir DIR --port N [args]

Each "SPEECH OUTPUT" line of Orca's debug log is one utterance. The checks match words, not whole
sentences: how Orca strings role names and pauses together differs between its releases.
"""

import os
import re
import shutil
import subprocess
import sys
import threading
import time
import tty
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from desktop import Desktop, Timeout, wait_for  # noqa: E402
from tray_app import RatesServer, TrayApp  # noqa: E402
from tray_e2e import CONFIG, main  # noqa: E402  the same options and runner

SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: ?\{.*\})?$", re.M)
# Orca falls behind on a busy machine: every wait for speech is generous.
HEARD_WITHIN = 60


class Orca:
    """One Orca on the desktop's display and buses, its debug output in a file."""

    def __init__(self, desktop):
        self.log = os.path.join(desktop.workdir, "orca.log")
        prefs = os.path.join(desktop.workdir, "orca-prefs")
        os.makedirs(prefs, exist_ok=True)
        # speech-dispatcher, which Orca starts, with a voice that says nothing (a command that
        # does nothing) into a sound card that plays nothing. Its own test voice hangs when Orca
        # cuts one utterance short for the next, and Orca with it.
        speechd = os.path.join(desktop.env["XDG_CONFIG_HOME"], "speech-dispatcher")
        os.makedirs(os.path.join(speechd, "modules"), exist_ok=True)
        with open(os.path.join(speechd, "speechd.conf"), "w") as conf:
            conf.write('AudioOutputMethod "alsa"\nAudioALSADevice "null"\n'
                       'AddModule "silent" "sd_generic" "silent.conf"\nDefaultModule silent\n')
        with open(os.path.join(speechd, "modules", "silent.conf"), "w") as conf:
            conf.write('GenericExecuteSynth "true"\nAddVoice "en" "MALE1" "silent"\n')
        # Orca writes its debug log through a buffer, so the file lags what Orca has said by
        # kilobytes; to a terminal it writes each line as it goes. It gets one, which is read
        # into the log here.
        master, terminal = os.openpty()
        tty.setraw(terminal)
        # By its descriptor: the terminal's /dev/pts name may belong to another container's.
        self.proc = desktop.spawn(["orca", "--replace", "--user-prefs", prefs,
                                   "--debug-file", f"/proc/self/fd/{terminal}"],
                                  pass_fds=(terminal,), stdout=subprocess.DEVNULL,
                                  stderr=open(os.path.join(desktop.workdir, "orca.stderr"), "w"))
        os.close(terminal)
        threading.Thread(target=self._copy, args=(master,), daemon=True).start()
        self.mark = 0
        # Orca greets once its event listeners are in place.
        self.wait_said("screen reader", timeout=120)

    def _copy(self, master):
        with open(self.log, "ab", buffering=0) as log:
            while True:
                try:
                    chunk = os.read(master, 65536)
                except OSError:  # Orca has gone, and its terminal with it
                    chunk = b""
                if not chunk:
                    os.close(master)
                    return
                log.write(chunk)

    def utterances(self):
        try:
            with open(self.log, errors="replace") as log:
                return SPOKEN.findall(log.read())
        except FileNotFoundError:
            return []

    def since_mark(self):
        return self.utterances()[self.mark:]

    def set_mark(self):
        """What follows is what the next step makes Orca say."""
        self.mark = len(self.utterances())

    def wait_said(self, *words, timeout=HEARD_WITHIN):
        """The first utterance since the mark holding every word (case-insensitive)."""
        def heard():
            if self.proc.poll() is not None:
                with open(os.path.join(os.path.dirname(self.log), "orca.stderr")) as err:
                    raise AssertionError(f"Orca exited with {self.proc.returncode}: {err.read()}")
            return next((u for u in self.since_mark() if all(w.lower() in u.lower() for w in words)),
                        None)
        try:
            return wait_for(f"Orca to say {words!r}", heard, timeout=timeout, interval=0.2)
        except Timeout:
            raise AssertionError(f"Orca never said {words!r}; it said {self.since_mark()!r}")

    def settle(self, quiet=2.0, timeout=HEARD_WITHIN):
        """Waits until Orca is idle, its log still for `quiet` seconds: it logs every event it
        works through, and on a busy machine it works minutes behind."""
        size, still_since = -1, time.monotonic()
        deadline = still_since + timeout
        while time.monotonic() - still_since < quiet and time.monotonic() < deadline:
            now = os.path.getsize(self.log)
            if now != size:
                size, still_since = now, time.monotonic()
            time.sleep(0.2)
        return self.since_mark()


class SpokenPanel(unittest.TestCase):
    """One user's session, step by step: Orca starts after the app, as at a login."""

    @classmethod
    def setUpClass(cls):
        desktop = cls.desktop = Desktop(session_bus=True)
        cls.addClassCleanup(desktop.close)
        desktop.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # What a desktop with accessibility turned on tells Qt through the AT-SPI bus.
        desktop.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        server = RatesServer(CONFIG.server, CONFIG.tls_dir, CONFIG.port,
                             os.path.join(desktop.workdir, "requests.log"))
        cls.addClassCleanup(server.close)
        cls.app = TrayApp(desktop, CONFIG.app)
        cls.addClassCleanup(cls.app.close)
        cls.app.wait_for_icon()
        cls.orca = Orca(desktop)
        # Orca's whole log tells why it said what it said; it goes with the desktop unless kept.
        keep = os.environ.get("OVANTIC_ORCA_LOG")
        if keep:
            cls.addClassCleanup(shutil.copyfile, cls.orca.log, keep)

    def step(self, *keys, typed=None):
        self.orca.settle()
        self.orca.set_mark()
        if typed is not None:
            self.desktop.type(typed)
        if keys:
            self.desktop.keys(*keys)

    def assertNeverSaid(self, pattern, said):
        for utterance in said:
            self.assertNotRegex(utterance, pattern)

    def test_a_session(self):
        orca, app = self.orca, self.app
        # The first opening after Orca started names the window and the field the keys go to.
        self.step()
        app.click_icon()
        app.wait_open()
        orca.wait_said("Amount")
        self.assertIn("Ovantic", orca.since_mark()[0], "the window's name first")

        # A pause in typing reads the result once, its unit as a word.
        self.step(typed="2.5 cr")
        orca.wait_said("207.8 crore Indian rupees")
        said = orca.settle()
        self.assertEqual(sum("207.8" in u for u in said), 1, said)
        self.assertNeverSaid(r"\bCr\b", said)

        # Enter copies, and says what went out.
        self.step("Return")
        orca.wait_said("Copied 207.8 crore Indian rupees")

        # Past the swap button to the target picker, said by its currency's name; no key name
        # trails a button.
        self.step("Tab", "Tab")
        orca.wait_said("Target currency", "Indian Rupee (INR)")
        said = orca.settle()
        self.assertNeverSaid(r"(?i)\bspace\b", said)

        # Another target: the new result is read, and nothing says the old one again.
        self.step("space")
        orca.wait_said("Search currencies")
        self.step(typed="EUR")
        self.step("Return")
        orca.wait_said("23 million euros")
        orca.wait_said("Target currency", "Euro (EUR)")
        self.step("shift+Tab", "shift+Tab")
        orca.wait_said("Amount")
        said = orca.settle()
        self.assertNeverSaid("207.8|rupee", said)
        self.assertNeverSaid(r"(?i)\bspace\b", said)

        # Ctrl+C with nothing selected in the field copies the result too.
        self.step("End", "ctrl+c")
        orca.wait_said("Copied 23 million euros")

        # Past the source picker to the menu button: its check item says whether it is on.
        self.step("shift+Tab", "shift+Tab", "space")
        orca.wait_said("Menu")
        self.step("Down")
        orca.wait_said("Start at login", "not checked")


if __name__ == "__main__":
    main()
