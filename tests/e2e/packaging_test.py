#!/usr/bin/env python3
"""Checks what installing puts where, by running the real install rules (the Debian package is
built from them; scripts/test-package.sh builds and installs that).

    packaging_test.py --build-dir DIR
"""

import argparse
import configparser
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

BUILD_DIR = None

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

EXPECTED_FILES = {
    "usr/bin/ovantic",
    "usr/share/man/man1/ovantic.1",
    "usr/share/applications/ovantic.desktop",
    "usr/share/metainfo/io.github.ovantic.Ovantic.metainfo.xml",
    "usr/share/icons/hicolor/scalable/apps/ovantic.svg",
    "usr/share/icons/hicolor/symbolic/apps/ovantic-symbolic.svg",
    *(f"usr/share/gnome-shell/extensions/ovantic@ovantic.github.io/{f}"
      for f in ("extension.js", "metadata.json", "ovantic-symbolic.svg")),
    "etc/xdg/autostart/ovantic.desktop",
} | {f"usr/share/icons/hicolor/{n}x{n}/apps/ovantic.png" for n in ICON_SIZES}


def expected(prefix):
    return {prefix + f.removeprefix("usr/") if f.startswith("usr/")
            else f for f in EXPECTED_FILES}


def files_under(root):
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    return parser["Desktop Entry"]


class Install(unittest.TestCase):
    def setUp(self):
        self.destdir = tempfile.mkdtemp(prefix="ovantic-install-")
        self.addCleanup(shutil.rmtree, self.destdir, True)

    def install(self, prefix):
        env = dict(os.environ, DESTDIR=self.destdir)
        subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix], env=env,
                       check=True, capture_output=True)

    def test_a_usr_install_puts_each_file_where_the_desktop_looks(self):
        self.install("/usr")
        self.assertEqual(files_under(self.destdir), expected("usr/"))
        self.assertTrue(os.access(os.path.join(self.destdir, "usr/bin/ovantic"), os.X_OK))

        menu = desktop_entry(os.path.join(self.destdir, "usr/share/applications/ovantic.desktop"))
        self.assertEqual(menu["Type"], "Application")
        self.assertEqual(menu["Exec"], "ovantic")
        self.assertEqual(menu["Icon"], "ovantic")
        self.assertEqual(menu["Name"], "Ovantic")

        autostart = desktop_entry(os.path.join(self.destdir, "etc/xdg/autostart/ovantic.desktop"))
        self.assertEqual(autostart["Exec"], "ovantic")
        self.assertEqual(autostart["NoDisplay"], "true")

        # Icon themes take an icon's size from its folder's name; a PNG of another size is
        # scaled, or skipped, by menus.
        for n in ICON_SIZES:
            path = os.path.join(self.destdir, f"usr/share/icons/hicolor/{n}x{n}/apps/ovantic.png")
            with open(path, "rb") as png:
                header = png.read(24)
            self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n", path)
            self.assertEqual(struct.unpack(">II", header[16:24]), (n, n), path)

    def test_software_centres_and_menus_accept_what_is_installed(self):
        self.install("/usr")
        for argv in (["appstreamcli", "validate", "--no-net",
                      "usr/share/metainfo/io.github.ovantic.Ovantic.metainfo.xml"],
                     ["desktop-file-validate", "usr/share/applications/ovantic.desktop"],
                     ["desktop-file-validate", "etc/xdg/autostart/ovantic.desktop"]):
            result = subprocess.run(argv, cwd=self.destdir, capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, f"{argv}: {result.stdout}{result.stderr}")
            # desktop-file-validate passes an entry it has hints about; those count here too.
            if argv[0] == "desktop-file-validate":
                self.assertEqual(result.stdout + result.stderr, "", argv)

    def test_another_prefix_keeps_the_autostart_entry_inside_it(self):
        self.install("/opt/ovantic")
        self.assertEqual(files_under(self.destdir),
                         {f.replace("etc/xdg", "opt/ovantic/etc/xdg", 1) if f.startswith("etc/")
                          else f for f in expected("opt/ovantic/")})

    def test_the_shell_extension_is_in_the_format_of_the_shells_it_names(self):
        self.install("/usr")
        folder = os.path.join(self.destdir, "usr/share/gnome-shell/extensions",
                              "ovantic@ovantic.github.io")
        with open(os.path.join(folder, "metadata.json")) as metadata:
            versions = json.load(metadata)["shell-version"]
        with open(os.path.join(folder, "extension.js")) as extension:
            source = extension.read()
        # GNOME 45 and later import modules; 43 and 44 run a script that has no imports.
        module = all(int(v) >= 45 for v in versions)
        self.assertEqual("export default class" in source, module, versions)
        self.assertEqual(bool(re.search(r"^import ", source, re.M)), module, versions)
        self.assertEqual("function init(" in source, not module, versions)

    def test_the_installed_program_links_no_tls_library(self):
        # Qt loads its TLS backend at the first request; a TLS library the executable links
        # itself would be mapped at every login.
        self.install("/usr")
        binary = os.path.join(self.destdir, "usr", "bin", "ovantic")
        needed = subprocess.run(["readelf", "-d", binary], check=True, capture_output=True,
                                text=True).stdout
        for library in ("libcurl", "libssl", "libcrypto"):
            self.assertNotIn(library, needed)


def main():
    global BUILD_DIR
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    args, rest = parser.parse_known_args()
    BUILD_DIR = os.path.abspath(args.build_dir)
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
