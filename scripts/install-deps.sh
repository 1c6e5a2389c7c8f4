#!/usr/bin/env bash
# Installs what building, running and testing Ovantic needs on Debian/Ubuntu, and the packages
# named as arguments (a suite's own, such as the desktop shells), in one go.
# Safe to run again: packages already present are skipped, and apt is only
# touched when something is missing. Works as root (no sudo needed) or with sudo.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev
  # engine
  libicu-dev nlohmann-json3-dev ca-certificates
  # panel and tray
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev qt6-svg-dev
  qt6-qpa-plugins fonts-noto-color-emoji fonts-dejavu-core
  # translations: lrelease/lupdate for the .ts files (Qt6LinguistTools)
  qt6-l10n-tools qt6-tools-dev
  # X11 clicks elsewhere seen without a grab (XInput 2), and the tray selection asked directly,
  # its changes of owner told by XFixes
  libxcb1-dev libxcb-xinput-dev libxcb-xfixes0-dev
  # the compositor's own keyboard focus under Wayland: Qt's native handles and libwayland-client
  qt6-base-private-dev libwayland-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev openssl locales-all
  # a private session bus for the colour-scheme tests (dbus-daemon)
  dbus
  # end-to-end tests on a real X server with a real tray
  xvfb xauth trayer xdotool xclip x11-utils imagemagick procps python3
  # ... and with a status notifier host and a notification service on a private session bus
  dbus-daemon libglib2.0-bin python3-gi gir1.2-glib-2.0 coreutils
  # end-to-end tests on a headless Wayland desktop with a status-notifier tray
  sway qt6-wayland waybar grim wtype wl-clipboard
  # the accessibility tree a screen reader reads: the AT-SPI bus, and its Python client for tests
  at-spi2-core python3-pyatspi
  # the menu icon's PNG sizes, rendered from its SVG at build time
  librsvg2-bin
  # checks of what software centres and menus read
  appstream desktop-file-utils
)

packages+=("$@")

# The panel at the icon on Wayland, as a layer surface, where the release has LayerShellQt for
# Qt 6. A machine whose package lists are still empty gets them below and is asked again.
# shellcheck source=scripts/debian-archive.sh
. "$(dirname "$0")/debian-archive.sh"
layer_shell=liblayershellqtinterface-dev
layer_shell_for_qt6 && packages+=("$layer_shell") && layer_shell=

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages and neither root nor sudo: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
if [ -n "$layer_shell" ] && layer_shell_for_qt6; then
  missing+=("$layer_shell")
fi
"${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
