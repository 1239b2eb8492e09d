# Sourced by the scripts: which Windows build the Wine suites run, one private Wine prefix
# for it inside the build tree, Japanese locale.
#   ORVINA_WINE_ARCH  win32 (the i686 build, 32-bit Wine) or win64 (the x86_64 build, 64-bit
#                     Wine); found out once per run by scripts/wine_arch.sh unless set.
#   WIN_BUILD         the build folder of that Windows build (build/win or build/win64).
#   ORVINA_MINGW      that build's MinGW tool prefix (i686-w64-mingw32 or x86_64-w64-mingw32).
# shellcheck shell=bash

ORVINA_ROOT=${ORVINA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
if [ -z "${ORVINA_WINE_ARCH:-}" ]; then
  ORVINA_WINE_ARCH=$(bash "$ORVINA_ROOT/scripts/wine_arch.sh") || return 1
fi
export ORVINA_WINE_ARCH
export WINEARCH=$ORVINA_WINE_ARCH
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

if [ "$ORVINA_WINE_ARCH" = win64 ]; then
  export WIN_BUILD=${WIN_BUILD:-build/win64}
  export ORVINA_MINGW=x86_64-w64-mingw32
  export WINEPREFIX=${WINEPREFIX:-$ORVINA_ROOT/build/wineprefix64}
  # Debian's wine wrapper takes the 32-bit loader whenever wine32 is installed, and the
  # wine64 package alone brings no wine, wineboot, winepath or wineserver commands: these
  # are ours, in front of the PATH, so the suites call them by their usual names.
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
  ORVINA_WINE_BIN=$ORVINA_ROOT/build/wine64-bin
  if [ ! -x "$ORVINA_WINE_BIN/winepath" ]; then
    mkdir -p "$ORVINA_WINE_BIN"
    printf '#!/bin/sh\nexec %s "$@"\n' "$WINELOADER" >"$ORVINA_WINE_BIN/wine"
    printf '#!/bin/sh\nexec %s "$@"\n' "$WINESERVER" >"$ORVINA_WINE_BIN/wineserver"
    for tool in wineboot winepath; do
      printf '#!/bin/sh\nexec %s %s.exe "$@"\n' "$WINELOADER" "$tool" >"$ORVINA_WINE_BIN/$tool"
    done
    chmod +x "$ORVINA_WINE_BIN"/*
  fi
  case ":$PATH:" in *":$ORVINA_WINE_BIN:"*) ;; *) export PATH="$ORVINA_WINE_BIN:$PATH" ;; esac
else
  export WIN_BUILD=${WIN_BUILD:-build/win}
  export ORVINA_MINGW=i686-w64-mingw32
  export WINEPREFIX=${WINEPREFIX:-$ORVINA_ROOT/build/wineprefix}
fi

# The CMake toolchain file of the build the suites run.
orvina_wine_toolchain() {
  if [ "$ORVINA_WINE_ARCH" = win64 ]; then echo cmake/mingw-x86_64.cmake; else echo cmake/mingw-i686.cmake; fi
}

wine_init() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: making the $ORVINA_WINE_ARCH prefix $WINEPREFIX (once)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    timeout 300 wineboot --init >/dev/null 2>&1 || true
    timeout 120 wineserver -w 2>/dev/null || true
  fi
  # Wine draws caption buttons with its own Marlett font (Debian's fonts-wine), which the
  # 64-bit Wine here does not take from its data folder: the prefix gets a copy, or every
  # caption button shows the letters "0 1 r".
  local marlett=/usr/share/wine/fonts/marlett.ttf fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp "$marlett" "$fonts/"
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
