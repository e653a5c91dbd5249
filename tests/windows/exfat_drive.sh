#!/usr/bin/env bash
# Test fixture: drive E: of the project's own Wine prefix as an exFAT volume (exfat-fuse over a
# loop device), its image and mount folder inside that prefix's temporary folder, so that the move
# tests can copy to a drive that keeps file times to the second.
#   exfat_drive.sh up     make, mount and map it; prints why not and succeeds when the machine
#                         cannot (the test that needs E: then skips)
#   exfat_drive.sh down   unmap, unmount, detach and delete whatever "up" left, also after a failure
# Only our prefix below build/ is touched.
set -uo pipefail
source "$(dirname "$0")/prefix_temp.sh"
image="$temp_unix/mirafold-exfat.img"
mount_folder="$temp_unix/mirafold-drive-e"
link="$prefix/dosdevices/e:"

down() {
  if [ -L "$link" ] && [ "$(readlink "$link")" = "$mount_folder" ]; then rm -f "$link"; fi
  if mountpoint -q "$mount_folder" 2>/dev/null; then
    fusermount -u "$mount_folder" 2>/dev/null || umount "$mount_folder" 2>/dev/null ||
      umount -l "$mount_folder"
  fi
  if [ -f "$image" ]; then
    local device
    for device in $(losetup -j "$image" -O NAME -n 2>/dev/null); do losetup -d "$device"; done
    rm -f "$image"
  fi
  [ -d "$mount_folder" ] && rmdir "$mount_folder" 2>/dev/null
  return 0
}

skip() {
  echo "no exFAT drive E: for the move tests: $*"
  down
  exit 0
}

up() {
  down
  [ "$(id -u)" -eq 0 ] || skip "loop devices and FUSE mounts need root"
  for tool in mkfs.exfat mount.exfat-fuse losetup fusermount; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/lib/common.sh installs exfat-fuse, exfatprogs)"
  done
  [ -e /dev/fuse ] || skip "no /dev/fuse"
  if [ -e "$link" ] || [ -L "$link" ]; then skip "e: is already mapped elsewhere in $prefix"; fi
  mkdir -p "$mount_folder"
  truncate -s 64M "$image" && mkfs.exfat "$image" >/dev/null 2>&1 || skip "mkfs.exfat failed"
  local device
  device=$(losetup -f --show "$image" 2>/dev/null) || skip "no free loop device"
  mount.exfat-fuse "$device" "$mount_folder" >/dev/null 2>&1 || skip "mount.exfat-fuse failed"
  ln -s "$mount_folder" "$link"
  echo "E: is exFAT at $mount_folder ($device)"
}

case "${1:-}" in
  up) up ;;
  down) down ;;
  *) echo "usage: $0 up|down" >&2; exit 2 ;;
esac
