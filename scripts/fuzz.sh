#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS] [TARGET...]
# Runs every fuzz target (or the ones named) for SECONDS each (default 60) under ASan and
# UBSan, as many at a time as the machine has cores, and merges the inputs that reach new
# code into the committed corpora in fuzz/corpus (minimised: only what reaches new edges).
# Ends with a table of executions, executions a second, coverage and crashes per target;
# the input of a crash is kept in build/fuzz/artifacts. Exit status 1 when any target
# crashed.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
SECONDS_EACH=${1:-60}
shift $(($# > 0 ? 1 : 0))
JOBS=${JOBS:-$(nproc)}
BUILD=build/fuzz

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVINA_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
ninja -C "$BUILD" >/dev/null || { ninja -C "$BUILD" | tail -n 20; exit 1; }

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$BUILD"/fuzz_*; do [ -x "$t" ] && targets+=("$(basename "$t")"); done
fi
for name in "${targets[@]}"; do
  [ -x "$BUILD/$name" ] || { echo "no fuzz target $name (in $BUILD)"; exit 1; }
done

runs=$(mktemp -d)
trap 'rm -rf "$runs"' EXIT
artifacts=$ROOT/$BUILD/artifacts
mkdir -p "$artifacts"
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# One target: fuzz from its corpus into a fresh folder, then merge what is new into the corpus.
fuzz_one() {
  local name=$1 corpus=fuzz/corpus/$1 fresh=$runs/$1.new log=$runs/$1.log
  mkdir -p "$corpus" "$fresh"
  "$BUILD/$name" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$name-" "$fresh" "$corpus" >"$log" 2>&1
  echo $? >"$runs/$name.status"
  local before
  before=$(find "$corpus" -type f | wc -l)
  if [ -n "$(ls -A "$fresh")" ]; then
    # Minimised: an input joins only when it reaches code none before it reached.
    "$BUILD/$name" -merge=1 -use_counters=0 -rss_limit_mb=2048 -timeout=10 "$corpus" "$fresh" \
      >"$runs/$name.merge" 2>&1
  fi
  echo $(($(find "$corpus" -type f | wc -l) - before)) >"$runs/$name.added"
}

echo "fuzzing ${#targets[@]} targets for ${SECONDS_EACH} s each, $JOBS at a time"
running=0
for name in "${targets[@]}"; do
  if [ "$running" -ge "$JOBS" ]; then
    wait -n
    running=$((running - 1))
  fi
  echo "  $name"
  fuzz_one "$name" &
  running=$((running + 1))
done
wait

final_stat() {  # final_stat NAME KEY: a number from libFuzzer's final statistics
  sed -nE "s/^stat::$2: *([0-9]+).*/\1/p" "$runs/$1.log" | tail -n 1
}
printf '\n%-24s %12s %9s %8s %9s %8s  %s\n' target executions exec/s cov features corpus+ crashes
crashed=0
for name in "${targets[@]}"; do
  log=$runs/$name.log
  execs=$(final_stat "$name" number_of_executed_units)
  rate=$(final_stat "$name" average_exec_per_sec)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  ft=$(grep -oE 'ft: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  status=$(cat "$runs/$name.status")
  crash=0
  if [ "$status" -ne 0 ]; then
    crash=$(grep -oE '(crash|leak|timeout|oom|slow-unit)-[0-9a-f]+' "$log" | head -n 1)
    crash=${crash:-"exit $status"}
    crashed=1
  fi
  printf '%-24s %12s %9s %8s %9s %8s  %s\n' "$name" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
    "+$(cat "$runs/$name.added")" "$crash"
  if [ "$status" -ne 0 ]; then
    grep -E "ERROR|SUMMARY|Test unit written|runtime error" "$log" | head -n 6 | sed 's/^/    /'
  fi
done
[ "$crashed" -eq 0 ]
