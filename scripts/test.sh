#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the same under ASan+UBSan, a
# bounded fuzz run, and the Windows builds under Wine. Ends with "N passed, N failed".
# ORVINA_WINE_ARCH=win32|win64 forces which Windows build the Wine suites run.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
FUZZ_SECONDS=${FUZZ_SECONDS:-12}
JOBS=${JOBS:-$(nproc)}

passed=0
failed=0
failures=()
record() {  # record STATUS NAME [COUNT]
  local n=${3:-1}
  if [ "$1" -eq 0 ]; then passed=$((passed + n)); else failed=$((failed + n)); failures+=("$2"); fi
}
step() { echo; echo "=== $* ==="; }

# ctest, counting its tests into the totals.
run_ctest() {  # run_ctest NAME DIR
  local log
  log=$(mktemp)
  ctest --test-dir "$2" --output-on-failure -j "$JOBS" --timeout 600 2>&1 | tee "$log" | grep -v -E "^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed" || true
  local line total bad
  line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$log" | tail -n 1)
  if [ -z "$line" ]; then
    record 1 "$1 (ctest did not run)"
  else
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    [ "$bad" -eq 0 ] || failures+=("$1: $bad tests")
  fi
  rm -f "$log"
}

build() {  # build NAME DIR CMAKE-ARGS...
  local name=$1 dir=$2
  shift 2
  step "build: $name"
  if cmake -S . -B "$dir" -G Ninja "$@" >/dev/null && ninja -C "$dir" -j "$JOBS"; then
    return 0
  fi
  record 1 "build $name"
  return 1
}

step "setup"
bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

if build native build/native -DCMAKE_BUILD_TYPE=Release -DORVINA_BENCH=ON; then
  step "unit tests"
  run_ctest "unit tests" build/native
fi

if build "asan+ubsan" build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVINA_SANITIZE=ON; then
  step "unit tests under ASan+UBSan"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest "sanitizer tests" build/asan
fi

if build fuzz build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVINA_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++; then
  for target in build/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    step "fuzz: $name (${FUZZ_SECONDS}s)"
    work=$(mktemp -d)
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/"
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "$target" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
      "$work" >"$work.log" 2>&1
    status=$?
    tail -n 3 "$work.log"
    [ $status -eq 0 ] || grep -E "ERROR|SUMMARY|Test unit written" "$work.log" | head -n 10
    record $status "fuzz $name"
    rm -rf "$work" "$work.log"
  done
fi

# The Windows builds. What we ship is the i686 build: always built, warning-free. The Wine
# suites run the build this machine's Wine can start (scripts/wine_arch.sh); only that build
# gets the Win32 test programs.
ORVINA_WINE_ARCH=$(bash scripts/wine_arch.sh) || { record 1 "wine arch"; ORVINA_WINE_ARCH=win32; }
export ORVINA_WINE_ARCH
if [ "$ORVINA_WINE_ARCH" = win64 ]; then
  echo "wine: this machine runs no 32-bit programs (or ORVINA_WINE_ARCH=win64): the Wine suites run the x86_64 build under 64-bit Wine"
else
  echo "wine: the Wine suites run the i686 build under 32-bit Wine"
fi
host=()
[ -x build/native/orvina ] && host=(-DORVINA_HOST_ORVINA="$ROOT/build/native/orvina")
win_ok=1
build "windows i686" build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  "${host[@]}" -DORVINA_WIN32_TESTS=$([ "$ORVINA_WINE_ARCH" = win32 ] && echo ON || echo OFF) || win_ok=0
if [ "$ORVINA_WINE_ARCH" = win64 ]; then
  build "windows x86_64" build/win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    "${host[@]}" -DORVINA_WIN32_TESTS=ON || win_ok=0
fi

if [ $win_ok -eq 1 ]; then
  # shellcheck source=wine_env.sh
  source scripts/wine_env.sh
  step "wine: prefix ($ORVINA_WINE_ARCH)"
  started=$SECONDS
  wine_init
  echo "wine: prefix ready in $((SECONDS - started)) s"
  for t in tests/wine/*.sh; do
    [ -f "$t" ] || continue
    step "wine: $(basename "$t") ($ORVINA_WINE_ARCH)"
    started=$SECONDS
    NATIVE_BUILD=build/native timeout 900 bash "$t"
    status=$?
    echo "wine: $(basename "$t") took $((SECONDS - started)) s"
    record $status "wine $(basename "$t")"
  done
  wine_stop
fi

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "failed:"
  printf '  %s\n' "${failures[@]}"
fi
echo "test.sh ran $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
