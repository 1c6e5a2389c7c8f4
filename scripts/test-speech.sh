#!/usr/bin/env bash
# What a blind user hears: the real Orca screen reader against the real program on Xvfb, its
# speech read from Orca's debug log. Orca and its speech stack are kept out of install-deps.sh and
# the README's test command; CI runs this script after it. Usage: scripts/test-speech.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Orca speaks through speech-dispatcher; the suite gives it a silent voice and reads what is said
# from Orca's log, so no synthesiser or sound card is needed.
packages=(orca speech-dispatcher)
./scripts/install-deps.sh "${packages[@]}"

cmake --preset ci
cmake --build --preset ci --target ovantic_e2e_app
ctest --preset speech
