#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine (with Xvfb when there is no display).
set -euo pipefail
cd "$(dirname "$0")"
./build.sh
source scripts/env.sh
wineserver -k 2>/dev/null || true
status=0
./scripts/with_display.sh ctest --test-dir build --output-on-failure "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
