#!/usr/bin/env bash
# Builds and runs the census benchmark under Wine (with Xvfb when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
./build.sh >/dev/null
source scripts/env.sh
exec ./scripts/with_display.sh wine build/bin/census_bench.exe
