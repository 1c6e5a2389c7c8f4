#!/usr/bin/env bash
# The end-to-end suite in the desktops people use: GNOME Shell with the AppIndicator extension,
# KDE Plasma, XFCE and LXQt, each started for real under Xvfb. The shells are several GB and take
# minutes to install, so they are kept out of install-deps.sh and the README's test command; CI
# runs this script after it. Usage: scripts/test-desktops.sh [--install-only]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # GNOME Shell on X11 and its status-notifier host, the AppIndicator extension
  gnome-shell gnome-shell-extension-appindicator dbus-x11 gsettings-desktop-schemas
  # KDE Plasma: the window manager, kded5 (the status notifier watcher), the shell, and the
  # XEmbed bridge
  plasma-workspace kwin-x11 plasma-desktop breeze
  # XFCE: the panel, its settings daemon and window manager
  xfce4-panel xfwm4 xfce4-settings xfconf
  # LXQt: the panel under openbox
  lxqt-panel openbox
)

./scripts/install-deps.sh "${packages[@]}"
[ "${1:-}" = "--install-only" ] && exit 0

cmake --preset ci
cmake --build --preset ci --target ovantic_e2e_app
ctest --preset desktops
