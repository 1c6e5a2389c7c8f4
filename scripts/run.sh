#!/usr/bin/env bash
# Installs what is missing, builds the program as shipped and starts it in the tray.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
exec ./build/release/src/app/ovantic
