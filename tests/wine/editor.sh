#!/usr/bin/env bash
# OrvinaDeveloper.exe driven as a user drives it, under Wine on a virtual screen
# (tests/win32/editor). The cuts it opens are built by orvina, and so is what it should
# show and save: the composed frames (cut compose), the compiled preview (cut compile) and
# the cuts that the same editing steps make (cut apply on the step files below). The demo
# film's cuts are checked like any cut against what orvina composes. The
# screenshot of the editor with a cut open is kept in the Windows build's screenshots folder.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
NATIVE=$ROOT/${NATIVE_BUILD:-build/native}/orvina
WIN=$ROOT/$WIN_BUILD

for f in "$NATIVE" "$WIN/OrvinaDeveloper.exe" "$WIN/tests/editor_driver.exe" "$WIN/demo/demo001.cut"; do
  [ -e "$f" ] || { echo "missing $f"; exit 1; }
done

work=$(mktemp -d)
# EDITOR_KEEP=1 keeps the cuts and what the driver saw (views that differed) for a look.
if [ -n "${EDITOR_KEEP:-}" ]; then echo "kept: $work"; else trap 'rm -rf "$work"' EXIT; fi
data=$work/data
mkdir -p "$data" "$work/drive"

# rows W H EXPR: a cell as JSON rows of hex digits, EXPR giving the value at x, y (awk).
rows() {
  awk -v w="$1" -v h="$2" 'BEGIN { hex = "0123456789abcdef"
    for (y = 0; y < h; y++) { row = ""
      for (x = 0; x < w; x++) row = row substr(hex, ('"$3"') + 1, 1)
      printf "%s\"%s\"", (y ? ", " : ""), row }
  }'
}

# view.cut: 120 × 90, three frames; a paper layer in grey bands, an ink layer of lines,
# shadow boundaries and brightness modifiers at another place in each frame, and a layer no
# frame uses (a save drops it).
paper() { rows 120 90 "substr(\"01234569\", (int(x / 10) + int(y / 9) + $1) % 8 + 1, 1) + 0"; }
ink() {
  local box="(x >= 30 && x <= 50 && y >= 25 && y <= 40) ? 12 + $1 % 2"
  rows 60 45 "(x + y + 3 * $1) % 15 < 2 ? 8 : (x >= 5 && x <= 20 && y >= 5 && y <= 15) ? 10 : $box : y == 20 + 5 * $1 ? 9 : 0"
}
cat >"$data/view.json" <<JSON
{"canvas": [120, 90], "frameSize": [100, 80], "fps": 12, "credit": "view",
 "layers": [
  {"name": "paper", "size": [120, 90], "cells": [[$(paper 0)], [$(paper 1)], [$(paper 2)]]},
  {"name": "ink", "size": [60, 45], "cells": [[$(ink 0)], [$(ink 1)], [$(ink 2)]]},
  {"name": "spare", "size": [8, 8], "cells": [[$(rows 8 8 "(x + y) % 4")]]}],
 "frames": [
  {"brightness": 20, "keyframe": true,
   "entries": [{"layer": 0, "cell": 0}, {"layer": 1, "cell": 0, "position": [10, 10]}]},
  {"brightness": 60, "position": [4, 2],
   "entries": [{"layer": 0, "cell": 1}, {"layer": 1, "cell": 1, "position": [40, 30]}]},
  {"brightness": 90, "keyframe": true, "position": [8, 6],
   "entries": [{"layer": 0, "cell": 2}, {"layer": 1, "cell": 2, "position": [55, 40]}]}]}
JSON

# marker.cut: 400 × 300 in bands of the values 0 to 4 and a 5 × 5 block of value 5 centred
# on (150, 100).
cat >"$data/marker.json" <<JSON
{"canvas": [400, 300], "layers": [{"name": "m", "size": [400, 300], "cells": [[
$(rows 400 300 "(x >= 148 && x <= 152 && y >= 98 && y <= 102) ? 5 : (int(x / 7) + int(y / 5)) % 5")]]}],
 "frames": [{"entries": [{"layer": 0, "cell": 0}]}]}
JSON

# big.cut: 1920 × 1080 with 8 layers of the canvas size, for the start-up measurement.
{
  printf '{"canvas": [1920, 1080], "layers": ['
  for k in 0 1 2 3 4 5 6 7; do
    [ $k -gt 0 ] && printf ', '
    printf '{"name": "L%d", "size": [1920, 1080], "cells": [[' $k
    rows 1920 1080 "(int(x / 24) + int(y / 24) + $k) % 8 == 0 ? $k % 4 + 1 : (x + 2 * y + $k) % 97 == 0 ? 8 : 0"
    printf ']]}'
  done
  printf '], "frames": [{"entries": ['
  for k in 0 1 2 3 4 5 6 7; do
    [ $k -gt 0 ] && printf ', '
    printf '{"layer": %d, "cell": 0}' $k
  done
  printf ']}]}\n'
} >"$data/big.json"

# The steps the driver gives through the menus, each line "COMMAND [NUMBERS] | script op";
# the numbers go into the command's dialog. agree1 ends with a save, agree2 with the close
# question answered yes.
cat >"$data/agree1.steps" <<'STEPS'
40110 | {"op": "flipV"}
40013 | {"op": "cell", "to": "next"}
40024 | {"op": "toUnderdrawing"}
40109 | {"op": "flipH"}
40030 | {"op": "undo"}
40008 | {"op": "goFrame", "to": "next"}
40060 | {"op": "toggleEmpty"}
40004 | {"op": "addFrame"}
40012 | {"op": "cell", "to": "previous"}
40005 | {"op": "insertFrame"}
40025 | {"op": "eraseUnderdrawing"}
40011 | {"op": "addCell"}
40092 | {"op": "clear"}
40007 | {"op": "goFrame", "to": "previous"}
40006 | {"op": "removeFrame"}
40064 | {"op": "eraseLayerUnderdrawing"}
40071 | {"op": "copyToLayerBelow"}
40042 | {"op": "goFrame", "to": "last"}
40103 | {"op": "toggleEmptyAll"}
40041 | {"op": "goFrame", "to": "first"}
40104 | {"op": "goFrame", "to": "nextKeyframe"}
40043 | {"op": "cell", "to": "first"}
40010 | {"op": "insertCell"}
40044 | {"op": "cell", "to": "last"}
40009 | {"op": "removeCell"}
40105 | {"op": "goFrame", "to": "previousKeyframe"}
STEPS
cat >"$data/agree2.steps" <<'STEPS'
40094 2 | {"op": "addFrames", "count": 2}
40041 | {"op": "goFrame", "to": "first"}
40093 4 | {"op": "brightnessRun", "end": 4}
40101 3 | {"op": "framePositionRun", "end": 3}
40069 5 | {"op": "layerPositionRun", "end": 5}
40008 | {"op": "goFrame", "to": "next"}
40133 1 | {"op": "removeFrames", "count": 1}
40126 40 | {"op": "randomDots", "interval": 40}
40127 7 5 | {"op": "grid", "size": [7, 5]}
40106 | {"op": "allKeyframes"}
STEPS
# script STEPS-FILE...: the steps of the files as one editing script; each file ends in a
# save, which drops the layers no frame uses. The editor starts on a cut's last frame, with
# its default pen.
script() {
  printf '{"frame": 3, "pen": {"shape": 7, "colorA": 0, "colorB": 1, "density": 0}, "ops": [\n'
  for f in "$@"; do
    sed -n 's/^[^|]*| *//p' "$f" | sed 's/$/,/'
    echo '{"op": "removeUnusedLayers"},'
  done | sed '$ s/,$//'
  printf ']}\n'
}

(
  cd "$data" &&
    "$NATIVE" cut build view.json -o view.cut &&
    "$NATIVE" cut build marker.json -o marker.cut &&
    "$NATIVE" cut compose marker.cut -o marker_f1.bmp &&
    "$NATIVE" cut build big.json -o big.cut &&
    "$NATIVE" cut compile view.cut -o view.tl &&
    "$NATIVE" cut compose view.cut --frame 1 -o view_f1.bmp &&
    "$NATIVE" cut compose view.cut --frame 2 -o view_f2.bmp &&
    "$NATIVE" cut compose view.cut --frame 3 -o view_f3.bmp &&
    "$NATIVE" cut render view.cut --frame 1 -o view_f1_export.bmp &&
    sed 's/"canvas": \[120, 90\]/"canvas": [132, 96]/' view.json >resized.json &&
    "$NATIVE" cut build resized.json -o resized.cut &&
    "$NATIVE" cut compose resized.cut --frame 3 -o resized_f3.bmp &&
    sed 's/"canvas": \[120, 90\], "frameSize": \[100, 80\], "fps": 12, "credit": "view"/"canvas": [132, 96], "frameSize": [64, 48], "fps": 15, "credit": "テスト", "antiAlias": 1/' \
      view.json >props.json &&
    "$NATIVE" cut build props.json -o props_unused.cut &&
    echo '{"ops": [{"op": "removeUnusedLayers"}]}' >unused.json &&
    "$NATIVE" cut apply props_unused.cut unused.json -o props.cut &&
    "$NATIVE" cut compile props.cut -o props.tl &&
    for flags in 1 2 4 8; do
      "$NATIVE" cut compose view.cut --frame 2 --flags $flags -o view_f2_flags$flags.bmp || exit 1
    done &&
    echo '{"frame": 2, "ops": [{"op": "flipV"}]}' >flip2.json &&
    "$NATIVE" cut apply view.cut flip2.json -o flip2.cut &&
    "$NATIVE" cut compose flip2.cut --frame 2 -o view_f2_flipV.bmp &&
    echo '{"frame": 3, "ops": [{"op": "flipV"}, {"op": "removeUnusedLayers"}]}' >flip3.json &&
    "$NATIVE" cut apply view.cut flip3.json -o view_flipV.cut &&
    "$NATIVE" cut compose view_flipV.cut --frame 3 -o view_f3_flipV.bmp &&
    script agree1.steps >agree1.json &&
    script agree1.steps agree2.steps >agree2.json &&
    "$NATIVE" cut apply view.cut agree1.json -o agree1.cut &&
    "$NATIVE" cut apply view.cut agree2.json -o agree2.cut &&
    "$NATIVE" cut compose big.cut -o big_f1.bmp &&
    rm -f big.json &&
    for cut in demo001 demo002 demo003; do
      cp "$WIN/demo/$cut.cut" . &&
        "$NATIVE" cut compose $cut.cut --frame "$("$NATIVE" cut info $cut.cut | grep -c '"time"')" \
          -o ${cut}_last.bmp || exit 1
    done
) || { echo "could not make the cuts"; exit 1; }

shots=$WIN/screenshots
mkdir -p "$shots"
rm -f "$shots/editor_cut.bmp" "$shots/editor_cut.png"

export WIN work data shots
# A Wine started earlier without a screen would serve these windows nowhere.
wine_stop
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  # Without a window manager Wine draws the frame'"'"'s caption itself, for the screenshot.
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\OrvinaDeveloper.exe\\X11 Driver" /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  timeout 600 wine "$WIN/tests/editor_driver.exe" \
    --editor "$(winepath -w "$WIN/OrvinaDeveloper.exe")" \
    --work "$(winepath -w "$work/drive")" \
    --data "$(winepath -w "$data")" \
    --shots "$(winepath -w "$shots")"
  status=$?
  wineserver -k 2>/dev/null
  exit $status
'
status=$?

if [ -f "$shots/editor_cut.bmp" ]; then
  convert "$shots/editor_cut.bmp" "$shots/editor_cut.png" && rm -f "$shots/editor_cut.bmp"
  echo "screenshot: $shots/editor_cut.png"
fi
exit $status
