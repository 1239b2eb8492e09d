# Sourced by the scripts: one private Wine prefix inside the build tree, Japanese locale.
# shellcheck shell=bash

ORVINA_ROOT=${ORVINA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$ORVINA_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win32
export LANG=ja_JP.UTF-8
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

wine_init() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: making the prefix $WINEPREFIX (once)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    timeout 300 wineboot --init >/dev/null 2>&1 || true
    timeout 120 wineserver -w 2>/dev/null || true
  fi
}

# wine_run SECONDS PROGRAM ARGS... — runs a Windows program with a time limit.
wine_run() {
  local seconds=$1
  shift
  timeout "$seconds" wine "$@"
}

wine_stop() {
  wineserver -k 2>/dev/null || true
}
