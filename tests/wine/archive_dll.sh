#!/usr/bin/env bash
# UNZIP32.DLL and UNLHA32.DLL under Wine, loaded by name by a Win32 test program: they
# export the four entry points, list and extract the fixtures made by zip and jlha exactly,
# and fail cleanly on archives without an OV member and on bad input.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
WIN=$ROOT/$WIN_BUILD

winpath() { echo "Z:${1//\//\\}"; }

for dll in UNZIP32.DLL UNLHA32.DLL; do
  if [ ! -f "$WIN/$dll" ]; then
    echo "missing $WIN/$dll"
    exit 1
  fi
  # Only the system's own DLLs beside them, and exactly the four undecorated entry points.
  imports=$("$ORVINA_MINGW-objdump" -p "$WIN/$dll" | sed -n 's/^\s*DLL Name: //p' | sort | tr '\n' ' ')
  if [ "$imports" != "KERNEL32.dll msvcrt.dll " ]; then
    echo "$dll imports: $imports"
    exit 1
  fi
  exports=$("$ORVINA_MINGW-objdump" -p "$WIN/$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/{/Table/!p}' | grep -o '[A-Za-z@0-9]*$' | sort | tr '\n' ' ')
  prefix=$([ $dll = UNZIP32.DLL ] && echo UnZip || echo Unlha)
  want="${prefix}CloseArchive ${prefix}ExtractMem ${prefix}FindFirst ${prefix}OpenArchive "
  if [ "$exports" != "$want" ]; then
    echo "$dll exports: $exports"
    exit 1
  fi
done

wine_run 120 "$WIN/tests/archive_dll_test.exe" "$(winpath "$WIN")" "$(winpath "$ROOT/tests/data/archive")"
status=$?
wine_stop
exit $status
