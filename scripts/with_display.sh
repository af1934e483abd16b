#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a private Xvfb that is
# stopped again when the command ends. Xvfb picks its own free display number,
# so runs side by side never share a screen (and never each other's input).
# The screen is that of a dense laptop display (2560 x 1600), so that the
# window fits on it whole even at 200 % scaling.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
number_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$number_file"' EXIT
for _ in $(seq 1 100); do
  [ -s "$number_file" ] && break
  sleep 0.1
done
display=":$(head -n 1 "$number_file")"
for _ in $(seq 1 100); do
  DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
export DISPLAY="$display"
"$@"
