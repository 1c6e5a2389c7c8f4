#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test:
# engine unit tests, rate-feed tests against a local HTTPS server, panel tests and the
# end-to-end tests on a real X server with a real tray and in a headless Wayland session.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
