#!/usr/bin/env bash
# The player opens films packed by zip and jlha through the archive DLLs beside it, and falls
# back to its built-in animation when an archive holds no playable OV member or a library is
# missing (tests/win32/player/player_archive_test.cpp).
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
NATIVE=$ROOT/${NATIVE_BUILD:-build/native}/orvina
WIN=$ROOT/$WIN_BUILD

for f in "$NATIVE" "$WIN/OrvinaPlayer.exe" "$WIN/UNZIP32.DLL" "$WIN/UNLHA32.DLL" "$WIN/tests/player_driver.exe"; do
  [ -f "$f" ] || { echo "missing $f"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A one-frame cut of 160 × 120 in diagonal stripes (or bands), compiled into an OV file.
still() {  # still NAME STYLE
  local rows
  rows=$(awk -v style="$2" 'BEGIN {
    for (y = 0; y < 120; y++) {
      row = ""
      for (x = 0; x < 160; x++) row = row (style == "bands" ? int(y / 10) % 4 + 1 : int((x + y) / 12) % 4 + 1)
      printf "%s\"%s\"", (y ? ", " : ""), row
    }
  }')
  cat >"$work/$1.json" <<JSON
{"canvas": [160, 120], "fps": 12, "credit": "$1",
 "layers": [{"name": "L", "size": [160, 120], "cells": [[$rows]]}],
 "frames": [{"entries": [{"layer": 0, "cell": 0}]}]}
JSON
  "$NATIVE" cut build "$work/$1.json" -o "$work/$1.cut" &&
    printf '%s\r\n%s\r\n%s\r\n%s\r\n' "$1" "tests" "160, 120" "$1.cut" >"$work/$1.flm" &&
    "$NATIVE" film compile "$work/$1.flm" -o "$work/$1.ov"
}
still film stripes || exit 1
still other bands || exit 1
"$NATIVE" cut compile "$work/other.cut" -o "$work/cut.tl" || exit 1

pack=$work/pack
mkdir -p "$pack/in"
cp "$work/film.ov" "$work/other.ov" "$work/cut.tl" "$pack/in/"
cp "$work/film.ov" "$pack/"
echo "a film of one still frame" >"$pack/in/notes.txt"
(
  cd "$pack/in" || exit 1
  zip -q -X -9 ../film.zip notes.txt film.ov other.ov &&
    zip -q -X -0 ../film-stored.zip film.ov other.ov &&
    zip -q -X -9 ../noov.zip notes.txt cut.tl &&
    zip -q -X -0 ../huge.zip film.ov &&
    zip -q -X -0 ../badcrc.zip film.ov &&
    jlha a ../film.lzh notes.txt film.ov other.ov >/dev/null &&
    jlha a1o6 ../film-lh6-level1.lzh notes.txt film.ov other.ov >/dev/null &&
    jlha a0o7 ../film-lh7-level0.lzh film.ov other.ov >/dev/null &&
    jlha az ../badcrc.lzh film.ov >/dev/null &&
    jlha a ../noov.lzh notes.txt cut.tl >/dev/null
) || exit 1
for a in "$pack"/*.lzh; do
  case "$a" in */badcrc.lzh) continue ;; esac
  lhasa tq "$a" || exit 1
done
# The OV member of huge.zip claims 4 GB in the central directory; badcrc.* have one data
# byte changed (stored members: 30-byte local header or 2-level header, then the name).
perl -0777 -pi -e 's/(.*PK\x01\x02.{20})..../$1\xF0\xFF\xFF\xFF/s' "$pack/huge.zip"
flip() {  # flip FILE OFFSET
  perl -e 'open(F, "+<", $ARGV[0]) or die; seek(F, $ARGV[1], 0); read(F, $c, 1);
           seek(F, $ARGV[1], 0); print F chr(ord($c) ^ 0xFF); close(F)' "$1" "$2"
}
flip "$pack/badcrc.zip" $((30 + 7 + 100))
flip "$pack/badcrc.lzh" $(($(stat -c %s "$pack/badcrc.lzh") - 50))
rm -rf "$pack/in"
mkdir -p "$work/run"

export WIN work pack
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  timeout 600 wine "$WIN/tests/player_driver.exe" --player "$(winepath -w "$WIN/OrvinaPlayer.exe")" \
    --work "$(winepath -w "$work/run")" --archives "$(winepath -w "$pack")" --gtest_filter="PlayerArchive.*"
  status=$?
  wineserver -k 2>/dev/null
  exit $status
'
