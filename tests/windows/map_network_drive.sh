#!/usr/bin/env bash
# Test fixture: drive N: of the project's own Wine prefix as a network drive (Wine's drive type
# "network" in HKLM\Software\Wine\Drives), over a folder inside the prefix's temporary folder.
# `map_network_drive.sh remove` takes it away again. Wine reads drive types when its server
# starts, so the server is stopped after each change. Only our prefix below build/ is touched.
set -euo pipefail
source "$(dirname "$0")/prefix_temp.sh"
link="$prefix/dosdevices/n:"
if [ "${1:-}" = remove ]; then
  [ -L "$link" ] && rm "$link"
  wine reg delete 'HKLM\Software\Wine\Drives' /v n: /f >/dev/null 2>&1 || true
  wineserver -k || true
  exit 0
fi
drive_folder="$temp_unix/mirafold-drive-n"
mkdir -p "$drive_folder/shared"
if [ -e "$link" ] || [ -L "$link" ]; then
  [ "$(readlink "$link")" = "$drive_folder" ] || { echo "n: is already mapped elsewhere" >&2; exit 1; }
else
  ln -s "$drive_folder" "$link"
fi
wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f >/dev/null 2>&1
wineserver -k || true
