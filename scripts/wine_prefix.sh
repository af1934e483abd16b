#!/usr/bin/env bash
# Creates the project's own Wine prefix (never the user's): fonts linked in,
# and shell folders that are real folders instead of links into $HOME.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

stamp="$WINEPREFIX/.census-prefix-ready"

# A crashed program is reported and ended at once instead of being held by the
# debugger's crash dialog, which nobody answers under Xvfb (a test run would
# wait for its time-out). Checked on every run, so older prefixes get it too.
no_crash_dialog() {
  grep -q '^"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null && return 0
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  wineserver -w || true
}

if [ -f "$stamp" ]; then
  no_crash_dialog
  exit 0
fi

echo "setup: creating Wine prefix"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
wineserver -w || true

fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
for f in tahoma.ttf tahomabd.ttf ms_sans_serif.ttf sserife.fon sseriff.fon sserifer.fon sseriffr.fon; do
  [ -f "/usr/share/wine/fonts/$f" ] && ln -sf "/usr/share/wine/fonts/$f" "$fonts/$f"
done
for f in /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf; do
  ln -sf "$f" "$fonts/$(basename "$f")"
done

# Liberation Sans stands in for Arial and Verdana.
cat > "$WINEPREFIX/census-fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Verdana"="Liberation Sans"
REG
wine regedit /S "$WINEPREFIX/census-fonts.reg" >/dev/null 2>&1 || true
wineserver -w || true

# Shell folders that Wine links to $HOME become plain folders of the prefix.
user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
for d in Desktop Documents Downloads Music Pictures Videos Templates; do
  if [ -L "$user_dir/$d" ]; then rm -f "$user_dir/$d"; fi
  mkdir -p "$user_dir/$d"
done
no_crash_dialog
touch "$stamp"
