#!/usr/bin/env bash
# scripts/run.sh player|editor [FILE]  — builds what is missing and starts the program under
#                                       Wine with the Japanese locale.
# scripts/run.sh orvina ARGS...        — the command-line tool (native build).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
what=${1:-}
[ -n "$what" ] || { echo "usage: scripts/run.sh player|editor [FILE] | orvina ARGS..."; exit 2; }
shift

bash scripts/setup.sh >/dev/null
case "$what" in
  orvina)
    cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVINA_BENCH=ON >/dev/null
    ninja -C build/native orvina >/dev/null
    exec build/native/orvina "$@"
    ;;
  player|editor)
    exe=$([ "$what" = player ] && echo OrvinaPlayer.exe || echo OrvinaDeveloper.exe)
    cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
    ninja -C build/win >/dev/null
    [ -f "build/win/$exe" ] || { echo "$exe is not built yet"; exit 1; }
    source scripts/wine_env.sh
    wine_init
    args=()
    # Wine's drive Z: is the root folder (winepath would start Wine here, outside the
    # virtual screen below).
    if [ $# -gt 0 ]; then
      [ -e "$1" ] || echo "note: $1 does not exist; the player shows its own animation"
      args=("Z:$(realpath -m "$1" | tr / '\\')")
    fi
    if [ -n "${DISPLAY:-}" ]; then
      exec wine "build/win/$exe" "${args[@]}"
    else
      exec xvfb-run -a wine "build/win/$exe" "${args[@]}"
    fi
    ;;
  *) echo "unknown program: $what"; exit 2 ;;
esac
