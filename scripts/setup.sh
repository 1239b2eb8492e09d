#!/usr/bin/env bash
# Installs what the builds and tests need, from Debian's packages. Safe to run again:
# packages already present are skipped. The i686 MinGW build (what we ship) is always made;
# the Wine suites run either the i686 build under 32-bit Wine or, on machines that cannot
# run 32-bit programs, the x86_64 build under 64-bit Wine (scripts/wine_arch.sh).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

want=(
  cmake ninja-build g++ binutils clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev zlib1g-dev
  libgif-dev libwebp-dev libpng-dev gifsicle webp
  pkg-config libavcodec-dev libavformat-dev libavutil-dev libswscale-dev ffmpeg
  libcairo2-dev libpango1.0-dev poppler-utils libvips-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev libz-mingw-w64-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  wine64 xvfb xdotool xclip imagemagick fonts-noto-cjk locales
  zip unzip jlha-utils lhasa procps
)
# 32-bit Wine only where it can start (or where that path is forced). The 64-bit path needs
# Wine's own fonts as well: without them the caption buttons show letters, not symbols.
arch=$(bash "$ROOT/scripts/wine_arch.sh")
want_i386=()
if [ "$arch" = win32 ]; then want_i386=(wine wine32:i386); else want+=(fonts-wine); fi

missing=()
for p in "${want[@]}" "${want_i386[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: everything is installed"
else
  echo "setup: installing ${missing[*]}"
  if [ ${#want_i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  echo "setup: done"
fi

# Wine takes its code page from the Unix locale: without ja_JP.UTF-8 on the machine it runs
# as an English system (code page 1252), not as the Japanese one (932) the programs are for.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  echo "setup: making the ja_JP.UTF-8 locale"
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
