#!/usr/bin/env bash
# Builds and runs the census benchmark under Wine (with Xvfb when there is no
# display). Arguments go to the benchmark (see bench/census_bench.cpp); a
# program path given with --baseline may be a path of this machine, turned
# into the platform layer's. "--busy" first keeps one CPU busy with a second
# process for the whole run, as a user's machine often is.
set -euo pipefail
cd "$(dirname "$0")/.."
busy=0
if [ "${1:-}" = "--busy" ]; then
  busy=1
  shift
fi
args=()
while [ $# -gt 0 ]; do
  if [ "$1" = "--baseline" ] && [ $# -gt 1 ]; then
    args+=("--baseline" "$(winepath -w "$2" 2>/dev/null)")
    shift 2
  else
    args+=("$1")
    shift
  fi
done
./build.sh >/dev/null
source scripts/env.sh
if [ "$busy" = 1 ]; then
  sh -c 'while :; do :; done' &
  spinner=$!
  trap 'kill $spinner 2>/dev/null || true' EXIT
fi
./scripts/with_display.sh wine build/bin/census_bench.exe "${args[@]}"
