#!/usr/bin/env bash
# scripts/run.sh player|editor [FILE]  — builds what is missing and starts the program under
#                                       Wine with the Japanese locale; without a file the
#                                       editor opens the demo film and the player plays it.
# scripts/run.sh orvina ARGS...        — the command-line tool (native build).
# Where this machine runs no 32-bit programs the Windows programs are the x86_64 build under
# 64-bit Wine (scripts/wine_arch.sh; ORVINA_WINE_ARCH=win32|win64 forces either).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
what=${1:-}
[ -n "$what" ] || { echo "usage: scripts/run.sh player|editor [FILE] | orvina ARGS..."; exit 2; }
shift

# build DIR "TARGETS" CMAKE-ARGS... — configures and builds quietly; on failure shows why.
build() {
  local dir=$1 targets=$2 log
  shift 2
  log=$(mktemp)
  # shellcheck disable=SC2086
  if ! { cmake -S . -B "$dir" -G Ninja "$@" && ninja -C "$dir" $targets; } >"$log" 2>&1; then
    grep -E -A12 'error|FAILED|CMake Error' "$log" | head -n 60
    echo "run.sh: the build in $dir failed (the whole log: $log)"
    exit 1
  fi
  rm -f "$log"
}

bash scripts/setup.sh >/dev/null
case "$what" in
  orvina)
    build build/native orvina -DCMAKE_BUILD_TYPE=Release -DORVINA_BENCH=ON
    exec build/native/orvina "$@"
    ;;
  player|editor)
    exe=$([ "$what" = player ] && echo OrvinaPlayer.exe || echo OrvinaDeveloper.exe)
    source scripts/wine_env.sh
    # Both programs: the editor's build also makes the demo film.
    build "$WIN_BUILD" "OrvinaPlayer OrvinaDeveloper" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$(orvina_wine_toolchain)"
    [ -f "$WIN_BUILD/$exe" ] || { echo "$exe is not built yet"; exit 1; }
    wine_init
    file=${1:-}
    if [ -z "$file" ]; then
      file=$WIN_BUILD/demo/$([ "$what" = player ] && echo demo.ov || echo demo.flm)
    elif [ ! -e "$file" ]; then
      echo "note: $file does not exist"
    fi
    # Wine's drive Z: is the root folder (winepath would start Wine here, outside the
    # virtual screen below).
    args=("Z:$(realpath -m "$file" | tr / '\\')")
    if [ -n "${DISPLAY:-}" ]; then
      exec wine "$WIN_BUILD/$exe" "${args[@]}"
    else
      exec xvfb-run -a wine "$WIN_BUILD/$exe" "${args[@]}"
    fi
    ;;
  *) echo "unknown program: $what"; exit 2 ;;
esac
