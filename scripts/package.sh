#!/usr/bin/env bash
# Builds Ovantic's Debian packages for the release this machine runs, into dist/:
#
#   ./scripts/package.sh     # dist/ovantic_0.2.0-1~deb12u1_amd64.deb and its -dbgsym, on Debian 12
#
# Installs what it needs first (debhelper, lintian and the build dependencies debian/control
# names; as root or through sudo), builds with dpkg-buildpackage in a copy of the source under
# build/deb/, and fails when lintian finds an error or a warning in any package it built.
#
# The package's version names the release, so that the packages of two releases never pass for
# one another: a changelog entry is added to the copy, as a backport's would be, giving
# 0.2.0-1~deb12u1 on Debian 12 and 0.2.0-1~deb13u1 on Debian 13.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  as_root=(false)
fi
apt_install() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 "$@"
}

tools=(build-essential dpkg-dev debhelper lintian)
# LayerShellQt built for Qt 6 (Debian 13 on) puts the panel at the icon on KDE Plasma's Wayland. A
# release that has it builds with it: it joins the build dependencies of the copy below, as a
# backport names what its release offers.
# shellcheck source=scripts/debian-archive.sh
. scripts/debian-archive.sh
layer_shell=()
if layer_shell_for_qt6; then
  layer_shell=(liblayershellqtinterface-dev)
  tools+=("${layer_shell[@]}")
fi
missing=()
for p in "${tools[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ] || ! dpkg-checkbuilddeps debian/control >/dev/null 2>&1; then
  echo "package: installing ${missing[*]} and the build dependencies" >&2
  apt_install update -qq
  [ ${#missing[@]} -eq 0 ] || apt_install install -y -qq --no-install-recommends "${missing[@]}"
  apt_install build-dep -y -qq --no-install-recommends "$repo"
fi

# shellcheck disable=SC1091
. /etc/os-release
case "${ID:-}" in
  debian) suffix="~deb${VERSION_ID:-${VERSION_CODENAME:-sid}}u1" ;;
  ubuntu) suffix="~ubuntu${VERSION_ID}.1" ;;
  *) suffix="~${ID:-local}${VERSION_ID:-}u1" ;;
esac
codename=${VERSION_CODENAME:-unstable}

# The copy holds what git tracks or would track: no build folders, no earlier packages.
work="$repo/build/deb"
src="$work/ovantic"
rm -rf "$work"
mkdir -p "$src"
if git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
  git -C "$repo" ls-files -z --cached --others --exclude-standard |
    (cd "$repo" && xargs -0 cp --parents -t "$src" --)
else
  tar -C "$repo" --exclude=./build --exclude=./dist -cf - . | tar -C "$src" -xf -
fi

# The release's entry is dated one second after the entry it rebuilds, or at the last commit when
# that is later: a rebuild of the same sources gives the same package, byte for byte.
upstream=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
version="$upstream$suffix"
when=$(($(dpkg-parsechangelog -l "$src/debian/changelog" -S Timestamp) + 1))
committed=$(git -C "$repo" log -1 --format=%ct 2>/dev/null || echo 0)
[ "$committed" -le "$when" ] || when=$committed
maintainer=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Maintainer)
{
  printf 'ovantic (%s) %s; urgency=medium\n\n' "$version" "$codename"
  printf '  * Built for %s.\n\n' "${PRETTY_NAME:-$codename}"
  printf ' -- %s  %s\n\n' "$maintainer" "$(LC_ALL=C date -u -R -d "@$when")"
  cat "$src/debian/changelog"
} >"$src/debian/changelog.new"
mv "$src/debian/changelog.new" "$src/debian/changelog"
if [ ${#layer_shell[@]} -gt 0 ]; then
  sed -i 's/^ libwayland-dev,$/&\n liblayershellqtinterface-dev,/' "$src/debian/control"
  grep -q '^ liblayershellqtinterface-dev,$' "$src/debian/control"
fi

(cd "$src" && dpkg-buildpackage -b -us -uc -j"$(nproc)")

arch=$(dpkg --print-architecture)
mkdir -p "$repo/dist"
built=()
for f in "$work"/*.deb "$work"/*.buildinfo "$work"/*.changes; do
  [ -e "$f" ] || continue
  cp "$f" "$repo/dist/"
  case "$f" in *.deb) built+=("$repo/dist/$(basename "$f")") ;; esac
done

# Every tag of warning level or worse fails the build; the informational and pedantic ones are
# only shown.
lintian --fail-on error,warning --display-info --pedantic "${built[@]}"
echo "package: built ${built[*]##*/} (version $version, $arch)" >&2
