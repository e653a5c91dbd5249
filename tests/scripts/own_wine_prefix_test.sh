#!/usr/bin/env bash
# The scripts use their own Wine prefix below build/ whatever WINEPREFIX they inherit: a developer's
# prefix is never written, never given our settings, and its wineserver is never stopped.
# Fake `wine` and `wineserver` commands record the prefix each is run with.
set -uo pipefail
root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
own="$root_dir/build/wineprefix"
fakes=$(mktemp -d)
trap 'rm -rf -- "$fakes"' EXIT
for tool in wine wineserver wineboot; do
  printf '#!/bin/sh\necho "%s $WINEPREFIX" >>"%s/calls"\n' "$tool" "$fakes" >"$fakes/$tool"
  chmod +x "$fakes/$tool"
done
failures=0
expect() {  # expect WHAT ACTUAL WANTED
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: got '$2', want '$3'"
    failures=$((failures + 1))
  fi
}

inherited="$fakes/developers-own-prefix"
(
  export WINEPREFIX="$inherited" PATH="$fakes:$PATH"
  source "$root_dir/scripts/lib/common.sh"
  echo "$WINEPREFIX" >"$fakes/sourced"
  stop_started_processes
  "$root_dir/scripts/lib/wine-exec" test.exe
)
expect "common.sh" "$(cat "$fakes/sourced")" "$own"
expect "calls" "$(cat "$fakes/calls")" "wineserver $own
wine $own"

# A prefix of a test's own is taken only below build/; anywhere else the project's own is used.
for wanted in "$root_dir/build/windows/wineprefix-dpi144" "$inherited" "$root_dir/build/../escaped"; do
  chosen=$(
    export MIRAFOLD_WINEPREFIX="$wanted" WINEPREFIX="$inherited"
    source "$root_dir/scripts/lib/common.sh"
    echo "$WINEPREFIX"
  )
  want="$own"
  [ "$wanted" = "$root_dir/build/windows/wineprefix-dpi144" ] && want="$wanted"
  expect "MIRAFOLD_WINEPREFIX=$wanted" "$chosen" "$want"
done

# measure-creation.sh builds first; it only has to pick the prefix, so its line is checked.
line=$(grep -E '^export WINEPREFIX=' "$root_dir/tools/junction/measure-creation.sh")
expect "measure-creation.sh" "$line" 'export WINEPREFIX="$root/build/wineprefix"  # never an inherited one'

[ "$failures" -eq 0 ] && echo "own prefix: all scripts"
exit "$failures"
