#!/usr/bin/env bash
# Starts the real program under Wine's loader trace and fails if COM, the shell or accessibility's
# libraries load before its main window shows: none of them is needed to show it, and each costs
# start-up time. They are linked to load at their first call, so a call made too early (or a
# library linked the ordinary way) shows here.
# Usage: startup_libraries_trace.sh WINE_EXEC UI_STARTUP_TEST_EXE
set -uo pipefail
wine_exec=$1
ui_test=$2
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT

WINEDEBUG=+loaddll,+win "$wine_exec" "$ui_test" \
  --gtest_filter=StartupTest.WithoutArgumentBothFramesShowTheStartFolder 2>"$trace" >/dev/null
status=$?
if [ "$status" -ne 0 ]; then
  echo "the start itself failed (exit $status)"
  exit 1
fi

# The program's first thread loads its image; its lines start with that thread's id.
thread=$(grep -m1 -E 'trace:loaddll:.*Loaded L".*\\mirafold\.exe"' "$trace" | cut -d: -f1)
if [ -z "$thread" ]; then
  echo "the program's start is not in the trace"
  exit 1
fi
ours=$(grep "^$thread:" "$trace")
# The main window is the one shown with SW_SHOWNORMAL; the controls show with SW_SHOW.
shown=$(grep -n -m1 -E 'trace:win:show_window .*cmd=1,' <<<"$ours" | cut -d: -f1)
if [ -z "$shown" ]; then
  echo "the main window's showing is not in the trace"
  exit 1
fi
before=$(head -n "$shown" <<<"$ours")
# The trace must hold the loads before the window, or an empty one would pass.
if ! grep -qi 'Loaded L".*\\comctl32\.dll"' <<<"$before"; then
  echo "the common controls' load before the window is not in the trace"
  exit 1
fi
early=$(grep -iE 'Loaded L".*\\(shell32|ole32|oleaut32|oleacc)\.dll"' <<<"$before")
if [ -n "$early" ]; then
  echo "loaded before the main window showed:"
  echo "$early"
  exit 1
fi
echo "COM, the shell and accessibility load after the main window shows"
