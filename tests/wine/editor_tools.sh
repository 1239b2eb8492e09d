#!/usr/bin/env bash
# OrvinaDeveloper.exe's drawing tools driven as an animator draws, under Wine on a virtual
# screen: every tool's gesture against orvina cut apply, the pen chooser, the keyboard
# shortcuts, copy and paste between cut windows and through the Windows clipboard (fed from
# the X side with xclip), a picture dropped on a cut window against orvina import, vertical
# text, and the free pen's stroke latency. Screenshots go to the Windows build's screenshots
# folder.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
WIN=$ROOT/$WIN_BUILD

for f in "$WIN/OrvinaDeveloper.exe" "$WIN/orvina.exe" "$WIN/tests/tools_driver.exe"; do
  [ -e "$f" ] || { echo "missing $f"; exit 1; }
done
command -v xclip >/dev/null || { echo "missing xclip (scripts/setup.sh installs it)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shots=$WIN/screenshots
mkdir -p "$shots" "$work/drive"

# The clipboard picture: white, black, mid grey and the key colour in four 20 x 20 squares.
convert -size 20x20 xc:white xc:black +append \( -size 20x20 xc:'rgb(128,128,128)' xc:'rgb(0,255,0)' +append \) \
  -append "BMP3:$work/picture.bmp" || { echo "could not make the picture"; exit 1; }

# A drawing on grainy, yellowed paper to drop on a cut window, and what the native orvina
# import makes of it for the drawn layer (110 x 80).
NATIVE=$ROOT/${NATIVE_BUILD:-build/native}/orvina
convert -size 200x150 xc:'#efe3bd' -attenuate 0.5 +noise Gaussian -fill none -stroke '#2a2520' -strokewidth 5 \
  -draw "ellipse 100,75 70,50 0,360" -draw "line 20,130 180,20" "PNG24:$work/drop.png" &&
  "$NATIVE" import --new 110,80 --layer ink "$work/drop.png" -o "$work/drop.cut" ||
  { echo "could not make the dropped picture"; exit 1; }

export WIN work shots
wine_stop
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  status=0
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\OrvinaDeveloper.exe\\X11 Driver" /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  # The picture is on the X clipboard before the editor starts; xclip serves it until the
  # editor takes the clipboard over.
  xclip -selection clipboard -t image/bmp -i "$work/picture.bmp"
  timeout 800 wine "$WIN/tests/tools_driver.exe" \
    --editor "$(winepath -w "$WIN/OrvinaDeveloper.exe")" \
    --orvina "$(winepath -w "$WIN/orvina.exe")" \
    --work "$(winepath -w "$work/drive")" \
    --shots "$(winepath -w "$shots")" \
    --picture "$(winepath -w "$work/drop.png")" --imported "$(winepath -w "$work/drop.cut")" "$@" || status=1
  wineserver -k 2>/dev/null
  exit $status
' bash "$@"
status=$?

for bmp in "$shots"/editor_*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
exit $status
