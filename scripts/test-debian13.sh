#!/usr/bin/env bash
# Runs the README's test command in a fresh Debian 13 ("trixie") system: debootstraps a minimal
# trixie from the archive this machine's apt already uses, clones the current commit into it and
# runs ./scripts/test.sh there (or the command given) with a clean environment. Everything the
# tests need inside comes from our own install-deps.sh, which is the point: a new trixie machine
# must pass as this one does.
#
#   ./scripts/test-debian13.sh            # a throwaway chroot under /var/tmp, removed afterwards
#   DEB13_ROOT=/var/tmp/t ./scripts/test-debian13.sh   # kept, and reused if already bootstrapped
#   ./scripts/test-debian13.sh ./scripts/test-package.sh   # another command of the clone's, there
#   DEB13_COMMAND='a && b' ./scripts/test-debian13.sh         # the same, as one line of bash
#
# Needs root (debootstrap, mounts, chroot).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
command=("$@")
if [ ${#command[@]} -eq 0 ] && [ -n "${DEB13_COMMAND:-}" ]; then
  command=(bash -c "$DEB13_COMMAND")
fi
[ ${#command[@]} -gt 0 ] || command=(./scripts/test.sh)

if [ "$(id -u)" -ne 0 ]; then
  echo "test-debian13: needs root (debootstrap, mount, chroot)" >&2
  exit 1
fi

# trixie comes from the same mirror as this machine's packages.
. scripts/debian-archive.sh
url=$(require_debian_archive_url test-debian13)

keep=1
root=${DEB13_ROOT:-}
if [ -z "$root" ]; then
  root=$(mktemp -d /var/tmp/ovantic-trixie.XXXXXX)
  keep=0
fi
mkdir -p "$root"
# It becomes /: mktemp's 0700 would shut out every user but root (the tests run sway as nobody).
chmod 0755 "$root"
root=$(realpath "$root")

mounted=()
cleanup() {
  local i p
  # Whatever still runs inside (a run cut short: the tests' X servers, buses, compositors) goes
  # first, by its process id, so that nothing holds the mounts.
  for p in /proc/[0-9]*; do
    if [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ]; then
      kill -9 "${p#/proc/}" 2>/dev/null || true
    fi
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
  # Only a chroot with nothing left mounted is removed, and never across into another file system.
  if [ "$keep" -eq 0 ] && ! grep -q " $root/" /proc/mounts; then
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start=$(date +%s)
# debootstrap removes its own /debootstrap once the system is complete.
if [ ! -x "$root/usr/bin/apt-get" ] || [ -d "$root/debootstrap" ]; then
  if ! command -v debootstrap >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 update -qq
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
      --no-install-recommends debootstrap
  fi
  echo "test-debian13: debootstrap trixie from $url into $root" >&2
  debootstrap --variant=minbase --include=git,ca-certificates trixie "$root" "$url" >/dev/null
fi
echo "127.0.0.1 localhost" >"$root/etc/hosts"
cp /etc/resolv.conf "$root/etc/resolv.conf"

mnt() { # mnt TARGET MOUNT-ARGS...
  local target="$root$1"
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}
mnt /proc -t proc proc
mnt /sys -t sysfs sysfs
mnt /dev --bind /dev
mount --make-rprivate "$root/dev"
mnt /dev/pts -t devpts devpts
mnt /dev/shm -t tmpfs tmpfs
mnt /tmp -t tmpfs tmpfs
mnt /run -t tmpfs tmpfs

rm -rf "$root/root/ovantic"
git clone -q --no-hardlinks "$repo" "$root/root/ovantic"
git -C "$root/root/ovantic" checkout -q --detach "$(git rev-parse HEAD)"
boot=$(($(date +%s) - start))

# In the background and waited for, so that a TERM or Ctrl-C reaches the trap at once.
chroot "$root" env -i HOME=/root LANG=C.UTF-8 \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c 'cd /root/ovantic && "$@"' bash "${command[@]}" &
wait $!
echo "test-debian13: ${command[*]} passed on $(cat "$root/etc/debian_version") (set-up ${boot} s, all $(($(date +%s) - start)) s)" >&2
