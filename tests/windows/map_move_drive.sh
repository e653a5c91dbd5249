#!/usr/bin/env bash
# Test fixture: drive D: of the project's own Wine prefix, mapped to a folder inside that prefix's
# temporary folder, so that the move tests have a second drive letter (a move there copies) whose
# scratch folders are still below the temporary folder. Only our prefix below build/ is touched.
set -euo pipefail
source "$(dirname "$0")/prefix_temp.sh"
drive_folder="$temp_unix/mirafold-drive-d"
mkdir -p "$drive_folder"
link="$prefix/dosdevices/d:"
if [ -e "$link" ] || [ -L "$link" ]; then
  [ "$(readlink "$link")" = "$drive_folder" ] && exit 0
  echo "d: is already mapped elsewhere in $prefix" >&2
  exit 1
fi
ln -s "$drive_folder" "$link"
