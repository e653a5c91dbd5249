# Sourced by the drive fixtures: the project's own Wine prefix below build/ (never another) in
# WINEPREFIX and $prefix, and its temporary folder, which must lie inside it, in $temp_unix.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
prefix="${WINEPREFIX:-$root/build/wineprefix}"
case "$prefix" in
  "$root"/build/*) ;;
  *) echo "not the project's prefix below build/: $prefix" >&2; exit 1 ;;
esac
export WINEPREFIX="$prefix" WINEDEBUG=-all
temp_windows=$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$(winepath -u "$temp_windows" 2>/dev/null)
case "$temp_unix" in
  "$prefix"/*) ;;
  *) echo "the prefix's temporary folder is outside it: $temp_unix" >&2; exit 1 ;;
esac
