#!/usr/bin/env bash
# Runs a link's creation through the real program under Wine's file trace and fails on any open of
# a bare volume ("\??\c:") that asks to read its data: that open needs administrator rights, so a
# standard user's file-system check would fail on it.
# Usage: volume_open_trace.sh WINE_EXEC UI_LINK_TEST_EXE
set -uo pipefail
wine_exec=$1
ui_test=$2
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT

WINEDEBUG=trace+file "$wine_exec" "$ui_test" \
  --gtest_filter=LinkTest.ALinkIsMadeAndReportedThenItsNameIsTaken 2>"$trace" >/dev/null
status=$?
if [ "$status" -ne 0 ]; then
  echo "the creation road itself failed (exit $status)"
  exit 1
fi

opens=$(grep 'trace:file:NtCreateFile' "$trace")
bad=0
while read -r line; do
  access=$(sed -E 's/.* access=([0-9a-f]+) .*/\1/' <<<"$line")
  if (( 16#$access & 1 )); then
    echo "a bare volume opened for reading its data: $line"
    bad=1
  fi
done < <(grep -E 'name=L"\\\\\?\?\\\\[A-Za-z]:" ' <<<"$opens")
[ "$bad" -eq 0 ] || exit 1

# The query itself must be in the trace, or its absence would prove nothing.
if ! grep -qE 'access=00100080 name=L"\\\\\?\?\\\\[A-Za-z]:\\\\" .*sharing=00000007 disp=1 ' <<<"$opens"; then
  echo "no open of a drive's root folder by the file-system query was traced"
  exit 1
fi
echo "no bare volume was opened for its data"


