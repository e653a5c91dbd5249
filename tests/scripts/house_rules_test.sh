#!/usr/bin/env bash
# The house keeps its shape: a feature folder includes no other feature's folder (only app/, the
# composition root, sees them all; volume/ is a service the features call), nothing below the
# features (base/, platform/, volume/) includes one, and no header name stands both in platform/
# and in platform/win32/; and no code waits on std::latch, std::barrier or a std semaphore, whose
# wait in libstdc++ 12 without a futex (as on Windows) can miss its wake-up and sleep for good.
# Checked on the tree (the tests too, for the waits), and on a small made-up tree that breaks
# each rule, so that the check is seen to fail.
set -uo pipefail
root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# check SRC [MORE CODE FOLDERS]: prints each breach, fails when there is one.
check() {
  local src=$1 breaches=0 dir name lines
  local -a features=()
  for dir in "$src"/*/; do
    name=$(basename "$dir")
    case $name in app | base | platform | volume) ;; *) features+=("$name") ;; esac
  done
  local all
  all=$(printf '%s|' "${features[@]}" app)
  all=${all%|}
  for name in "${features[@]}"; do
    lines=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($all)/" "$src/$name" |
      grep -vE "#[[:space:]]*include[[:space:]]*\"$name/")
    [ -n "$lines" ] && echo "$name/ includes another feature's folder:" && echo "$lines" &&
      breaches=$((breaches + 1))
  done
  for name in base platform volume; do
    [ -d "$src/$name" ] || continue
    lines=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($all)/" "$src/$name")
    [ -n "$lines" ] && echo "$name/ includes a feature's folder:" && echo "$lines" &&
      breaches=$((breaches + 1))
  done
  lines=$(comm -12 <(find "$src/platform" -maxdepth 1 -name '*.h' -printf '%f\n' | sort) \
    <(find "$src/platform/win32" -name '*.h' -printf '%f\n' | sort))
  [ -n "$lines" ] && echo "header names in both platform/ and platform/win32/:" && echo "$lines" &&
    breaches=$((breaches + 1))
  lines=$(grep -rnE --include='*.cpp' --include='*.h' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(latch|barrier|semaphore)>' "$@")
  [ -n "$lines" ] && echo "a wait that can miss its wake-up:" && echo "$lines" &&
    breaches=$((breaches + 1))
  return $((breaches > 0))
}

failures=0
if ! check "$root_dir/src" "$root_dir/tests"; then
  echo "FAIL: the tree breaks the house's rules"
  failures=$((failures + 1))
fi

made_up=$(mktemp -d)
trap 'rm -rf -- "$made_up"' EXIT
# breaks RULE FILE TEXT: a made-up tree that holds FILE with TEXT must fail the check.
breaks() {
  rm -rf -- "${made_up:?}/src"
  mkdir -p "$made_up"/src/{app,base,link,move,volume,platform/win32/ui}
  echo '#include "move/own.h"' >"$made_up/src/move/own.cpp"
  echo '#include "link/x.h"' >"$made_up/src/app/root.cpp"
  echo '#include "volume/name.h"' >"$made_up/src/link/uses_a_service.cpp"
  touch "$made_up/src/platform/picker.h" "$made_up/src/platform/win32/ui/win32_picker.h"
  check "$made_up/src" >/dev/null || { echo "FAIL: the made-up tree breaks no rule"; failures=$((failures + 1)); }
  mkdir -p "$(dirname "$made_up/src/$2")"
  echo "$3" >"$made_up/src/$2"
  if check "$made_up/src" >/dev/null; then
    echo "FAIL: not found: $1"
    failures=$((failures + 1))
  fi
}
breaks "a feature borrowing from another" link/a.cpp '#include "move/move_paths.h"'
breaks "a feature including app/" move/a.h '  #  include "app/row_menu.h"'
breaks "a new feature borrowing" sizes/a.cpp '#include "move/move_paths.h"'
breaks "a rule below the features including one" base/a.cpp '#include "link/tool.h"'
breaks "a repeated header name" platform/win32/system/picker.h ''
breaks "a wait that can miss its wake-up" link/a.cpp '#include <latch>'

[ "$failures" -eq 0 ] && echo "house rules hold"
exit "$failures"
