#!/usr/bin/env bash
# Starts the program on the current display, waits for its main window,
# saves a PNG of it to $1 and closes the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
out="$1"
wine build/bin/census.exe &
pid=$!
win=""
for _ in $(seq 1 300); do
  win=$(xdotool search --name "Ворлинд" 2>/dev/null | head -n 1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
if [ -z "$win" ]; then
  echo "run: the main window did not appear" >&2
  kill $pid 2>/dev/null || true
  exit 1
fi
sleep 2
import -window "$win" "$out"
wineserver -k 2>/dev/null || true
wait $pid 2>/dev/null || true
echo "screenshot of the main window: $out"
