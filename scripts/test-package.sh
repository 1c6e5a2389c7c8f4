#!/usr/bin/env bash
# Builds the Debian packages with ./scripts/package.sh (lintian-clean or it fails), then meets
# them as a new user of this release would: a fresh `debootstrap --variant=minbase` of the same
# release, `apt-get install ./ovantic_….deb` there, `ovantic --version`, `apt-get purge ovantic`,
# and nothing of it left in /usr or /etc. Prints what the install pulled in.
#
#   ./scripts/test-package.sh                                # this machine's release
#   ./scripts/test-package.sh --built                        # the packages built before
#   ./scripts/test-debian13.sh ./scripts/test-package.sh     # the same inside a Debian 13 chroot
#
# Needs root (debootstrap, mounts, chroot).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "test-package: needs root (debootstrap, mount, chroot)" >&2
  exit 1
fi
start=$(date +%s)

[ "${1:-}" = --built ] || ./scripts/package.sh
built=$(($(date +%s) - start))
arch=$(dpkg --print-architecture)
debs=(build/deb/ovantic_*_"$arch".deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "test-package: expected one ovantic package in build/deb, found: ${debs[*]}" >&2
  exit 1
fi
deb=${debs[0]}

# shellcheck disable=SC1091
. /etc/os-release
suite=${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}
. scripts/debian-archive.sh
url=$(require_debian_archive_url test-package)
if ! command -v debootstrap >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
    --no-install-recommends debootstrap
fi

root=$(mktemp -d /var/tmp/ovantic-package.XXXXXX)
chmod 0755 "$root"
mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
  # Only with nothing left mounted, and never across into another file system.
  if ! grep -q " $root/" /proc/mounts; then
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "test-package: debootstrap --variant=minbase $suite from $url" >&2
debootstrap --variant=minbase "$suite" "$root" "$url" >/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
for m in proc:-tproc sys:-tsysfs dev/pts:-tdevpts; do
  mkdir -p "$root/${m%%:*}"
  mount "${m#*:}" "${m%%:*}" "$root/${m%%:*}"
  mounted+=("$root/${m%%:*}")
done
booted=$(($(date +%s) - start - built))

# Readable by apt's unprivileged download user, as a package a user downloaded would be.
install -m 0644 "$deb" "$root/srv/"
name=$(basename "$deb")
inside() {
  chroot "$root" env -i HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

inside bash -c 'find /usr /etc -xdev | sort >/srv/before'
inside apt-get update -qq
# What it needs at the least, then what apt brings by default (the Recommends too).
least=$(inside apt-get install -s --no-install-recommends "/srv/$name" | grep -c '^Inst ')
inside apt-get install -y "/srv/$name" | tee "$root/srv/install.log"
installed=$(($(date +%s) - start - built - booted))

version=$(inside ovantic --version)
expected="ovantic $(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')"
if [ "$version" != "$expected" ]; then
  echo "test-package: ovantic --version said '$version', expected '$expected'" >&2
  exit 1
fi
inside dpkg-query -L ovantic | grep -E '^/(usr|etc)' >"$root/srv/owned"
conffiles=$(inside dpkg-query -W -f='${Conffiles}' ovantic)
if [[ "$conffiles" != *" /etc/xdg/autostart/ovantic.desktop "* ]]; then
  echo "test-package: the autostart entry is not a conffile: $conffiles" >&2
  exit 1
fi

inside apt-get purge -y ovantic
# What the package owned is gone, bar folders that were there before or another package owns.
left=()
while IFS= read -r path; do
  [ -e "$root$path" ] || continue
  if [ -d "$root$path" ] && { grep -qxF "$path" "$root/srv/before" ||
    inside dpkg-query -S "$path" >/dev/null 2>&1; }; then
    continue
  fi
  left+=("$path")
done <"$root/srv/owned"
while IFS= read -r path; do left+=("$path"); done < <(
  inside find /usr /etc -xdev -iname '*ovantic*')
if [ ${#left[@]} -gt 0 ] || inside dpkg-query -W ovantic >/dev/null 2>&1; then
  echo "test-package: left behind after apt-get purge ovantic: ${left[*]}" >&2
  inside dpkg-query -W ovantic >&2 || true
  exit 1
fi

newly=$(grep -m1 -oE '[0-9]+ newly installed' "$root/srv/install.log" | cut -d' ' -f1 || true)
fetched=$(grep -m1 -oE '^Need to get [0-9.,]+ [kMG]?B' "$root/srv/install.log" | cut -d' ' -f4- || true)
disk=$(grep -m1 -oE '^After this operation, [0-9.,]+ [kMG]?B' "$root/srv/install.log" | cut -d' ' -f4- || true)
echo "test-package: $name: $(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb -f "$deb" \
  Installed-Size) KiB; on a fresh $suite minbase it pulls in $newly packages (ovantic included), \
$fetched to fetch, $disk on disk ($least packages without Recommends); purged clean" >&2
echo "test-package: passed on $suite (build ${built} s, debootstrap ${booted} s, install" \
  "${installed} s, all $(($(date +%s) - start)) s)" >&2
