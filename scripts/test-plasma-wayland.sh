#!/usr/bin/env bash
# The end-to-end suite in KDE Plasma 6 on Wayland: KWin nested in Xvfb (no GPU: it composites
# with QPainter), kded6 for the status notifier watcher and plasmashell for the tray, with the
# app built here against the system's Qt and LayerShellQt. Plasma 6 needs Debian 13 or later;
# CI runs it in the Debian 13 chroot:
#   DEB13_ROOT=/var/tmp/d13 DEB13_COMMAND='./scripts/test-plasma-wayland.sh' ./scripts/test-debian13.sh
# Usage: scripts/test-plasma-wayland.sh [--install-only]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # the compositor, the status notifier watcher and the shell with its tray
  kwin-wayland kded6 plasma-workspace plasma-desktop breeze
  # the Xvfb root is the only screen to capture; xwayland is what KWin's X11 side needs
  xvfb imagemagick xwayland
)

./scripts/install-deps.sh "${packages[@]}"
[ "${1:-}" = "--install-only" ] && exit 0

start=$(date +%s)
cmake --preset ci
cmake --build --preset ci --target ovantic_e2e_app
echo "test-plasma-wayland: built in $(($(date +%s) - start)) s" >&2
start=$(date +%s)
ctest --preset plasma-wayland
echo "test-plasma-wayland: suite ran in $(($(date +%s) - start)) s" >&2
