#!/usr/bin/env bash
# orvina.exe under Wine must behave exactly as the native orvina: same output, same errors,
# same files.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
NATIVE=$ROOT/${NATIVE_BUILD:-build/native}/orvina
WINEXE=$ROOT/$WIN_BUILD/orvina.exe

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"
cp "$ROOT"/tests/data/*.json "$ROOT"/tests/data/*.flm "$work/in/"
mkdir -p "$work/in/sub"
echo '{"canvas": [4, 4], "layers": [{"name": "x", "size": [4, 4], "cells": [["0000", "00z0", "0000", "0000"]]}], "frames": []}' >"$work/in/bad.json"
"$NATIVE" cut build "$work/in/odd.json" -o "$work/in/full.cut"
head -c 90 "$work/in/full.cut" >"$work/in/damaged.cut"
rm "$work/in/full.cut"
cp -r "$work/in" "$work/native"
cp -r "$work/in" "$work/wine"

fails=0
n=0
while read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  n=$((n + 1))
  # shellcheck disable=SC2086
  (cd "$work/native" && "$NATIVE" $line >"../n$n.out" 2>"../n$n.err"; echo $? >"../n$n.rc")
  # shellcheck disable=SC2086
  (cd "$work/wine" && wine_run 120 "$WINEXE" $line >"../w$n.out" 2>"../w$n.err"; echo $? >"../w$n.rc")
  for part in out err rc; do
    if ! cmp -s "$work/n$n.$part" "$work/w$n.$part"; then
      echo "differs ($part): orvina $line"
      diff "$work/n$n.$part" "$work/w$n.$part" | head -n 10
      fails=$((fails + 1))
    fi
  done
done <"$ROOT/tests/wine/cli_cases.txt"

if ! diff -r "$work/native" "$work/wine" >/dev/null; then
  echo "the files written differ:"
  diff -r "$work/native" "$work/wine" | head -n 10
  fails=$((fails + 1))
fi
# export, import and PDF sheets are built natively only: orvina.exe answers in one line, with
# status 1, and writes nothing.
while IFS='|' read -r args answer; do
  out=${args##* }
  # shellcheck disable=SC2086
  (cd "$work/wine" && wine_run 120 "$WINEXE" $args </dev/null >"../native_only.out" 2>"../native_only.err"; echo $? >"../native_only.rc")
  if [ "$(cat "$work/native_only.err")" != "$answer" ] || [ "$(cat "$work/native_only.rc")" != 1 ] ||
     [ -s "$work/native_only.out" ] || [ -e "$work/wine/$out" ]; then
    echo "orvina.exe $args: expected \"$answer\" and status 1, got status $(cat "$work/native_only.rc"):"
    cat "$work/native_only.err"
    fails=$((fails + 1))
  fi
done <<'EOF'
export demo.ov -o demo.gif|export: not available in this build
export demo.ov -o demo.mp4|export: not available in this build
sheet odd.cut -o odd.pdf|sheet: PDF is not available in this build
import --new 8,8 --layer a x.png -o x.cut|import: not available in this build
EOF

echo "cli smoke: $n commands, $fails differences"
[ "$fails" -eq 0 ]
