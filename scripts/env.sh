# Sourced by the project's scripts: the private Wine prefix and the locale.
project_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${CENSUS_WINEPREFIX:-$project_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=ru_RU.UTF-8
export LC_ALL=ru_RU.UTF-8
