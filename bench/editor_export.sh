#!/usr/bin/env bash
# Times the film export of the editor under Wine against orvina film compile, natively, on
# the film of the film-export benchmark written as files (CUTS cuts of 48 frames at 960 × 720,
# anti-aliasing 1/4): each cold (no compile caches) and warm (every cache fresh).
#   bench/editor_export.sh [CUTS]     after a native build with -DORVINA_BENCH=ON
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/wine_env.sh"
NATIVE=$ROOT/${NATIVE_BUILD:-build/native}
WIN=$ROOT/$WIN_BUILD
CUTS=${1:-20}
for f in "$NATIVE/orvina" "$NATIVE/orvina_bench_film" "$WIN/OrvinaDeveloper.exe" "$WIN/tests/film_driver.exe"; do
  [ -e "$f" ] || { echo "missing $f"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/film"
"$NATIVE/orvina_bench_film" "$work/film" "$CUTS" || exit 1

seconds() { local t0=$EPOCHREALTIME; "$@" >/dev/null || return 1; awk "BEGIN { printf \"%.2f\", $EPOCHREALTIME - $t0 }"; }
rm -f "$work"/film/*.tl
echo "orvina film compile, cold: $(seconds "$NATIVE/orvina" film compile "$work/film/bench.flm" -o "$work/film/cli_cold.ov") s"
echo "orvina film compile, warm: $(seconds "$NATIVE/orvina" film compile "$work/film/bench.flm" -o "$work/film/cli_warm.ov") s"
rm -f "$work"/film/*.tl

export WIN work
wine_stop
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\OrvinaDeveloper.exe\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wine "$WIN/tests/film_driver.exe" --gtest_filter="Measure.*" \
    --editor "$(winepath -w "$WIN/OrvinaDeveloper.exe")" --work "$(winepath -w "$work")" \
    --measure "$(winepath -w "$work/film/bench.flm")" | grep "editor export"
  wineserver -k 2>/dev/null
'
cmp "$work/film/editor_cold.ov" "$work/film/cli_cold.ov" && cmp "$work/film/editor_warm.ov" "$work/film/cli_cold.ov" &&
  echo "all four OV files are equal ($(stat -c %s "$work/film/cli_cold.ov") bytes)"
