#!/usr/bin/env bash
# Sets up, builds and starts the program. Without a display it starts Xvfb,
# waits for the main window, saves a screenshot, prints its path and closes.
set -euo pipefail
cd "$(dirname "$0")"
./build.sh
source scripts/env.sh
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine build/bin/census.exe
fi
exec ./scripts/with_display.sh ./scripts/screenshot.sh build/census-screenshot.png
