#!/usr/bin/env bash
# How the cost of the film export, of loading cut files and of `orvina export` to GIF grows
# with the film: films of 1, 10 and 100 cuts (48 frames each, drawn by orvina_bench_film at
# full resolution) at several frame sizes. Each step runs REPS times; the table gives the
# median wall time, the largest peak memory (resident set) and the time per unit of work:
#   compile  orvina film compile, cold (no compile caches): ns per frame pixel
#   load     orvina_bench_load, every cut file loaded in turn: ns per cell pixel
#   gif      orvina export OV -o GIF: ns per frame pixel
#
#   bench/scaling.sh                          after a native build with -DORVINA_BENCH=ON
#   BIN=DIR SIZES="320x240 1920x1080" CUTS="1 10" REPS=5 bench/scaling.sh
# BIN holds orvina, orvina_bench_film and orvina_bench_load (default build/native); WORK is
# where the films are written (default a temporary folder, removed at the end).
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${BIN:-$ROOT/build/native}
SIZES=${SIZES:-320x240 640x480 1920x1080}
CUTS=${CUTS:-1 10 100}
REPS=${REPS:-3}
FRAMES=48
for f in orvina orvina_bench_film orvina_bench_load; do
  [ -x "$BIN/$f" ] || { echo "missing $BIN/$f" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time" >&2; exit 1; }

if [ -n "${WORK:-}" ]; then
  mkdir -p "$WORK"
else
  WORK=$(mktemp -d)
  trap 'rm -rf "$WORK"' EXIT
fi

# Runs "$@" REPS times; prints the median seconds and the largest peak memory in MB.
measure() {
  local times=() peak=0 out
  for ((r = 0; r < REPS; ++r)); do
    [ -n "${BEFORE_EACH:-}" ] && eval "$BEFORE_EACH"
    /usr/bin/time -o "$WORK/time" -f "%e %M" "$@" >/dev/null || return 1
    read -r t kb <"$WORK/time"
    times+=("$t")
    ((kb > peak)) && peak=$kb
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  echo "$median $((peak / 1024))"
}

per() { awk -v s="$1" -v n="$2" 'BEGIN { printf "%.2f", s * 1e9 / n }'; }

max=0
for n in $CUTS; do ((n > max)) && max=$n; done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores; $REPS runs each, median time, largest peak"
printf '| frame | cuts | compile s | MB | ns/px | load s | MB | ns/px | gif s | MB | ns/px | gif bytes |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for size in $SIZES; do
  w=${size%x*} h=${size#*x}
  dir=$WORK/$size
  mkdir -p "$dir"
  [ -f "$dir/bench.flm" ] || "$BIN/orvina_bench_film" "$dir" "$max" "$size" || exit 1
  for n in $CUTS; do
    # The first n cuts of the film.
    head -n $((3 + n)) "$dir/bench.flm" >"$dir/film$n.flm"
    frames=$((n * FRAMES))
    framePixels=$((frames * w * h))
    BEFORE_EACH="rm -f '$dir'/*.tl"
    read -r ct cm < <(measure "$BIN/orvina" film compile "$dir/film$n.flm" -o "$dir/film$n.ov") || exit 1
    BEFORE_EACH=
    cellPixels=$("$BIN/orvina_bench_load" "$dir/film$n.flm" | awk '{ print $(NF - 2) }')
    read -r lt lm < <(measure "$BIN/orvina_bench_load" "$dir/film$n.flm") || exit 1
    read -r gt gm < <(measure "$BIN/orvina" export "$dir/film$n.ov" -o "$dir/film$n.gif") || exit 1
    printf '| %s | %d | %s | %d | %s | %s | %d | %s | %s | %d | %s | %d |\n' "$size" "$n" \
      "$ct" "$cm" "$(per "$ct" "$framePixels")" "$lt" "$lm" "$(per "$lt" "$cellPixels")" \
      "$gt" "$gm" "$(per "$gt" "$framePixels")" "$(stat -c %s "$dir/film$n.gif")"
    rm -f "$dir/film$n.gif"
  done
done
