#!/usr/bin/env bash
# Ovantic in GNOME Shell itself: headless on Wayland, and on X11 under Xvfb for comparison, with
# Ovantic's own shell extension and on the AppIndicator route without it. The shell and its
# dependencies are several hundred MB, so they stay out of install-deps.sh; CI runs this script on
# Debian 12 (GNOME 43) and, through test-debian13.sh, on Debian 13 (GNOME 48).
# Usage: scripts/test-gnome-wayland.sh [--install-only]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # the shell, its status-notifier host and its settings
  gnome-shell gnome-shell-extension-appindicator gsettings-desktop-schemas
  # another program's window to click on (GTK 4 through Python)
  gir1.2-gtk-4.0 python3-gi
)

start=$(date +%s)
./scripts/install-deps.sh "${packages[@]}"
installed=$(date +%s)
[ "${1:-}" = "--install-only" ] && exit 0

cmake --preset ci
cmake --build --preset ci --target ovantic_e2e_app
built=$(date +%s)
ctest --preset gnome
echo "test-gnome-wayland: passed with $(gnome-shell --version) (install $((installed - start)) s," \
  "build $((built - installed)) s, suite $(($(date +%s) - built)) s)" >&2
