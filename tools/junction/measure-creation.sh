#!/usr/bin/env bash
# Times junction.exe under Wine from starting `junction.exe LINK TARGET` (as the program starts it,
# in a console of its own) until the link is present; prints the median of RUNS runs.
# Usage: tools/junction/measure-creation.sh [BUILD_DIR] [RUNS] [shared]   (a Windows build folder;
# "shared": the tool uses the measuring program's console, without one of its own)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/windows}
runs=${2:-25}
mode=${3:-}

cmake --build "$build" --target junction_measure >/dev/null
export WINEPREFIX="$root/build/wineprefix"  # never an inherited one
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG="${LANG:-C.UTF-8}"

# Stop the prefix's wineserver afterwards only if this script started it. A running server has a
# socket in a folder named after the prefix's device and inode (under /tmp/wine-* on Debian).
server_running() {
  [ -d "$WINEPREFIX" ] || return 1
  local dev ino s
  read -r dev ino < <(stat -L -c '%d %i' "$WINEPREFIX")
  for s in /tmp/wine-*/"$(printf 'server-%x-%x' "$dev" "$ino")"/socket \
           "/tmp/.wine-$(id -u)/$(printf 'server-%x-%x' "$dev" "$ino")/socket"; do
    [ -S "$s" ] && return 0
  done
  return 1
}
already_running=false
server_running && already_running=true

status=0
wine "$build/bin/junction-measure.exe" "$runs" $mode || status=$?
$already_running || wineserver -k 2>/dev/null || true
exit $status
