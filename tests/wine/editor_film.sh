#!/usr/bin/env bash
# OrvinaDeveloper.exe driven under Wine on a virtual screen as an animator makes a film, and
# the film window's and panels' cases that can break; then an editor killed with unsaved work
# and started again, which offers its recovery copies. The OV file the editor exported must
# equal, byte for byte, what orvina film compile makes of the film it saved (compiled afresh,
# without the editor's caches).
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
NATIVE=$ROOT/${NATIVE_BUILD:-build/native}/orvina
WIN=$ROOT/$WIN_BUILD

for f in "$NATIVE" "$WIN/OrvinaDeveloper.exe" "$WIN/orvina.exe" "$WIN/tests/film_driver.exe"; do
  [ -e "$f" ] || { echo "missing $f"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export WIN work FILTER
wine_stop
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  # No window manager runs here: unmanaged windows spare Wine its wait for one when each
  # dialog closes.
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\OrvinaDeveloper.exe\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  args=(--editor "$(winepath -w "$WIN/OrvinaDeveloper.exe")" --work "$(winepath -w "$work")"
        --orvina "$(winepath -w "$WIN/orvina.exe")")
  timeout 600 wine "$WIN/tests/film_driver.exe" --gtest_filter="${FILTER:--Measure.*:Recovery.*}" "${args[@]}"
  status=$?
  if [ -z "${FILTER:-}" ]; then
    # A crash: the editor the first half leaves running is killed by its process id, as
    # the system ends a process that hangs; the second half starts it again.
    started=$SECONDS
    timeout 180 wine "$WIN/tests/film_driver.exe" --gtest_filter=Recovery.BeforeTheCrash "${args[@]}" || status=1
    pid=
    for p in $(pgrep -x OrvinaDeveloper); do
      tr "\0" " " </proc/$p/cmdline | grep -q "Recovery.editor" && pid=$p
    done
    if [ -n "$pid" ]; then
      kill -KILL "$pid"
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      timeout 180 wine "$WIN/tests/film_driver.exe" --gtest_filter=Recovery.AfterTheCrash "${args[@]}" || status=1
    else
      echo "no running editor to kill"
      status=1
    fi
    echo "recovery after a crash: $((SECONDS - started)) s"
  fi
  wineserver -k 2>/dev/null
  exit $status
'
status=$?

made=$work/Made/film
if [ -f "$made/editor.ov" ] && [ -f "$made/film.flm" ]; then
  mkdir -p "$work/cli"
  cp "$made"/*.cut "$made/film.flm" "$work/cli/"
  if "$NATIVE" film compile "$work/cli/film.flm" -o "$work/cli/orvina.ov" &&
    cmp "$made/editor.ov" "$work/cli/orvina.ov"; then
    echo "the editor's OV file equals orvina film compile ($(stat -c %s "$made/editor.ov") bytes)"
  else
    echo "the editor's OV file differs from orvina film compile"
    status=1
  fi
else
  echo "the editor made no film to compare"
  status=1
fi
exit $status
