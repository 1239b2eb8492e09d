#!/usr/bin/env bash
# UNZIP32.DLL and UNLHA32.DLL under Wine, loaded by name by a Win32 test program: they
# export the four entry points, list and extract the fixtures made by zip and jlha exactly,
# and fail cleanly on archives without an OV member and on bad input.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
WIN=$ROOT/$WIN_BUILD

winpath() { echo "Z:${1//\//\\}"; }

# Only the system's own DLLs beside them, and exactly the four undecorated entry points. The
# shipped i686 DLLs are read too where Wine runs the x86_64 ones: their names come from
# __stdcall symbols and only mean something there.
check_dll() {  # check_dll OBJDUMP FILE
  local dll imports exports prefix want
  dll=$(basename "$2")
  [ -f "$2" ] || { echo "missing $2"; return 1; }
  imports=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | sort | tr '\n' ' ')
  if [ "$imports" != "KERNEL32.dll msvcrt.dll " ]; then
    echo "$2 imports: $imports"
    return 1
  fi
  exports=$("$1" -p "$2" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/{/Table/!p}' | grep -o '[A-Za-z@0-9]*$' | sort | tr '\n' ' ')
  prefix=$([ "$dll" = UNZIP32.DLL ] && echo UnZip || echo Unlha)
  want="${prefix}CloseArchive ${prefix}ExtractMem ${prefix}FindFirst ${prefix}OpenArchive "
  if [ "$exports" != "$want" ]; then
    echo "$2 exports: $exports"
    return 1
  fi
}
for dll in UNZIP32.DLL UNLHA32.DLL; do
  check_dll "$ORVINA_MINGW-objdump" "$WIN/$dll" || exit 1
  if [ "$WIN_BUILD" != build/win ] && [ -d "$ROOT/build/win" ]; then
    check_dll i686-w64-mingw32-objdump "$ROOT/build/win/$dll" || exit 1
  fi
done

wine_run 120 "$WIN/tests/archive_dll_test.exe" "$(winpath "$WIN")" "$(winpath "$ROOT/tests/data/archive")"
status=$?
wine_stop
exit $status
