#!/usr/bin/env bash
# The animation window in-process and OrvinaPlayer.exe driven as a user drives it, under
# Wine on a virtual screen. A film drawn and compiled by orvina is played for the screenshot
# kept in the Windows build's screenshots folder.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
NATIVE=$ROOT/${NATIVE_BUILD:-build/native}/orvina
WIN=$ROOT/$WIN_BUILD

for f in "$NATIVE" "$WIN/OrvinaPlayer.exe" "$WIN/tests/anim_window_test.exe" "$WIN/tests/player_driver.exe"; do
  [ -e "$f" ] || { echo "missing $f"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/film" "$work/drive"

# The film: two cuts drawn by editing scripts through orvina, and compiled.
cmake -DORVINA="$NATIVE" -DSOURCE="$ROOT/tests/data/player_film" -DOUT="$work/film" \
  -P "$ROOT/cmake/draw_film.cmake" || { echo "could not make the film"; exit 1; }

shots=$WIN/screenshots
mkdir -p "$shots"
rm -f "$shots/player_film.bmp" "$shots/player_film.png"

export WIN work shots
# A Wine started earlier without a screen would serve these windows nowhere.
wine_stop
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  status=0
  # Without a window manager Wine draws the player'"'"'s caption itself, for the screenshot.
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\OrvinaPlayer.exe\\X11 Driver" /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  echo "--- anim_window_test"
  timeout 240 wine "$WIN/tests/anim_window_test.exe" || status=1
  echo "--- player_driver"
  timeout 600 wine "$WIN/tests/player_driver.exe" --gtest_filter="Player.*" \
    --player "$(winepath -w "$WIN/OrvinaPlayer.exe")" \
    --work "$(winepath -w "$work/drive")" \
    --film "$(winepath -w "$work/film/demo.ov")" \
    --shots "$(winepath -w "$shots")" || status=1
  wineserver -k 2>/dev/null
  exit $status
'
status=$?

if [ -f "$shots/player_film.bmp" ]; then
  convert "$shots/player_film.bmp" "$shots/player_film.png" && rm -f "$shots/player_film.bmp"
  echo "screenshot: $shots/player_film.png"
fi
exit $status
