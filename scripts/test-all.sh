#!/usr/bin/env bash
# Every suite this Debian release can run, one after another, each timed: the README's test
# command, what Orca says, GNOME Shell on Wayland, KDE Plasma 6 on Wayland (Debian 13 and later:
# Debian 12's Plasma is 5), and the package built, installed into a fresh system and purged.
# CI runs it on this machine and, through test-debian13.sh, in a fresh Debian 13.
# Needs root (the package test debootstraps). Usage: scripts/test-all.sh
set -euo pipefail
cd "$(dirname "$0")/.."

suites=(test.sh test-speech.sh test-gnome-wayland.sh)
# shellcheck disable=SC1091
. /etc/os-release
[ "${VERSION_ID%%.*}" -lt 13 ] 2>/dev/null || suites+=(test-plasma-wayland.sh)
suites+=(test-package.sh)

took=()
for suite in "${suites[@]}"; do
  start=$(date +%s)
  "./scripts/$suite"
  took+=("$suite $(($(date +%s) - start)) s")
done
echo "test-all: passed on ${PRETTY_NAME:-this system}: $(IFS=,; echo "${took[*]}" | sed 's/,/, /g')" >&2
