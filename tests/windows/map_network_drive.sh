#!/usr/bin/env bash
# Test fixture: drive N: of the project's own Wine prefix as a network drive (Wine's drive type
# "network" in HKLM\Software\Wine\Drives), over a folder inside the prefix's temporary folder.
# `map_network_drive.sh remove` takes it away again. Wine reads drive types when its server
# starts, so the server is stopped after each change. Only our prefix below build/ is touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
prefix="${WINEPREFIX:-$root/build/wineprefix}"
case "$prefix" in
  "$root"/build/*) ;;
  *) echo "not the project's prefix below build/: $prefix" >&2; exit 1 ;;
esac
export WINEPREFIX="$prefix" WINEDEBUG=-all
link="$prefix/dosdevices/n:"
if [ "${1:-}" = remove ]; then
  [ -L "$link" ] && rm "$link"
  wine reg delete 'HKLM\Software\Wine\Drives' /v n: /f >/dev/null 2>&1 || true
  wineserver -k || true
  exit 0
fi
temp_windows=$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$(winepath -u "$temp_windows" 2>/dev/null)
case "$temp_unix" in
  "$prefix"/*) ;;
  *) echo "the prefix's temporary folder is outside it: $temp_unix" >&2; exit 1 ;;
esac
drive_folder="$temp_unix/mirafold-drive-n"
mkdir -p "$drive_folder/shared"
if [ -e "$link" ] || [ -L "$link" ]; then
  [ "$(readlink "$link")" = "$drive_folder" ] || { echo "n: is already mapped elsewhere" >&2; exit 1; }
else
  ln -s "$drive_folder" "$link"
fi
wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f >/dev/null 2>&1
wineserver -k || true
