#!/usr/bin/env bash
# What a blind user hears: the real Orca screen reader against the real program on Xvfb, its
# speech read from Orca's debug log. Orca and its speech stack are kept out of install-deps.sh and
# the README's test command; CI runs this script after it. Usage: scripts/test-speech.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Orca speaks through speech-dispatcher; the suite gives it a silent voice and reads what is said
# from Orca's log, so no synthesiser or sound card is needed.
packages=(orca speech-dispatcher)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "test-speech: installing ${missing[*]}" >&2
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq
  "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
fi

./scripts/install-deps.sh
cmake --preset ci
cmake --build --preset ci --target ovantic_e2e_app
ctest --preset speech
