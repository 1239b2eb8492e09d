#!/usr/bin/env bash
# Prints which Windows build the Wine suites run on this machine: "win32" (the i686 build
# under 32-bit Wine) when the kernel runs 32-bit programs, otherwise "win64" (the x86_64
# build under 64-bit Wine). ORVINA_WINE_ARCH=win32|win64 forces either.
set -uo pipefail

case "${ORVINA_WINE_ARCH:-}" in
  win32|win64) echo "$ORVINA_WINE_ARCH"; exit 0 ;;
  '') ;;
  *) echo "ORVINA_WINE_ARCH must be win32 or win64, not '$ORVINA_WINE_ARCH'" >&2; exit 2 ;;
esac

# A static i386 program that only exits: some kernels refuse every 32-bit program, and
# 32-bit Wine cannot start there.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$probe/exit.s"
if as --32 "$probe/exit.s" -o "$probe/exit.o" 2>/dev/null &&
   ld -m elf_i386 "$probe/exit.o" -o "$probe/exit" 2>/dev/null &&
   "$probe/exit" 2>/dev/null; then
  echo win32
else
  echo win64
fi
