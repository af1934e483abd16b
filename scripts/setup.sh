#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, then prepares
# the project's private Wine prefix. Idempotent and quick when all is in place.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wine fonts-liberation
          locales googletest)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi

# A Russian UTF-8 locale makes Wine use the 1251 ANSI code page and gives the
# bitmap sans-serif font its Cyrillic glyphs.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  echo "setup: generating ru_RU.UTF-8"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  $sudo_cmd locale-gen >/dev/null
fi

"$here/scripts/wine_prefix.sh"
