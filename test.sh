#!/usr/bin/env bash
# Builds both flavours and runs every test: the native suites through ctest
# (AddressSanitizer + UndefinedBehaviorSanitizer), the Windows executables under
# Wine inside Xvfb, and a short fuzz run. Ends with "N passed, N failed".
# MIRALE_BUILD=<dir> builds elsewhere than ./build.
set -uo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"
build=${MIRALE_BUILD:-$top/build}
export MIRALE_BUILD=$build
fuzz_seconds=${MIRALE_FUZZ_SECONDS:-30}
jobs=$(nproc)
passed=0
failed=0
start=$(date +%s)

say() { printf '\n== %s\n' "$*"; }
count() { passed=$((passed + $1)); failed=$((failed + $2)); }

say "setup"
scripts/setup || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

build_flavour() {  # name, cmake arguments...
  local name=$1
  shift
  cmake -S "$top" -B "$build/$name" "$@" >"$build/$name.configure.log" 2>&1 &&
    cmake --build "$build/$name" -j "$jobs" 2>&1 | tail -n 40 | grep -v '^\[' ;
  return "${PIPESTATUS[0]}"
}

say "native build (sanitizers on)"
mkdir -p "$build"
if ! build_flavour native -DMIRALE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
  echo "native build failed (see $build/native.configure.log)"
  count 0 1
else
  say "native tests"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  log=$build/native-ctest.log
  ctest --test-dir "$build/native" -j "$jobs" --output-on-failure --timeout 600 >"$log" 2>&1
  grep -E -A 30 'tests passed|The following tests FAILED' "$log" | head -n 40
  grep -E -B 5 -A 60 '\*\*\*Failed|\*\*\*Exception|\(Failed\)' "$log" | head -n 200 || true
  summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$summary" ]; then
    nfail=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
    ntotal=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$summary")
    count $((ntotal - nfail)) "$nfail"
  else
    echo "ctest produced no summary"
    count 0 1
  fi
fi

say "windows build (MinGW-w64)"
if ! build_flavour windows -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DMIRALE_WIN_DEPS="$build/deps/win64" -DCMAKE_BUILD_TYPE=Release; then
  echo "windows build failed (see $build/windows.configure.log)"
  count 0 1
else
  export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Pictures the tests take of the dialog and the trace control land here.
  mkdir -p "$build/artifacts"
  export MIRALE_ARTIFACTS="Z:$(tr / '\\' <<<"$build/artifacts")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  run_windows() {  # label, locale, exe, gtest arguments...
    local label=$1 locale=$2 exe=$3
    shift 3
    local log="$build/wine-$label.log"
    say "windows tests: $label"
    LC_ALL=$locale LANG=$locale timeout 1200 xvfb-run -a -s "-screen 0 1280x1024x24" \
      wine "$exe" --gtest_color=no "$@" >"$log" 2>&1
    local rc=$?
    grep -E '^\[  (PASSED|FAILED) |^\[==========\]' "$log" | tail -n 30
    local p f
    p=$(sed -n -E 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$log" | tail -n 1)
    f=$(sed -n -E 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$log" | tail -n 1)
    p=${p:-0}
    f=${f:-0}
    if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then
      echo "$label exited with $rc"
      tail -n 30 "$log"
      f=1
    fi
    [ "$f" -gt 0 ] && grep -E -B 2 -A 12 '^\[  FAILED  \]|Failure' "$log" | head -n 120
    count "$p" "$f"
  }
  run_windows portable C.UTF-8 "$build/windows/tests/mirale_tests.exe"
  # The language comes from the locale: every test in English, then the
  # language tests and whole runs in French, and French of Monaco.
  run_windows win32-english en_US.UTF-8 "$build/windows/tests/mirale_windows_tests.exe" \
    --gtest_filter=-*French*:*Monaco*
  run_windows win32-french fr_FR.UTF-8 "$build/windows/tests/mirale_windows_tests.exe" \
    --gtest_filter=*French*:BatchRun*
  run_windows win32-monaco fr_MC.UTF-8 "$build/windows/tests/mirale_windows_tests.exe" \
    --gtest_filter=*Monaco*
  # The pictures at 96, 144 and 192 DPI, each checked to hold the whole window.
  say "pictures of the window after a run"
  if scripts/screenshot "$build/artifacts"; then count 1 0; else count 0 1; fi
  wineserver -k >/dev/null 2>&1 || true
fi

say "fuzz smoke (${fuzz_seconds}s)"
if ! CC=clang CXX=clang++ build_flavour fuzz -DMIRALE_FUZZ=ON -DMIRALE_TESTS=OFF \
  -DMIRALE_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
  echo "fuzz build failed"
  count 0 1
elif bash "$top/fuzz/smoke.sh" "$build" "$fuzz_seconds"; then
  count 1 0
else
  count 0 1
fi

say "done in $(($(date +%s) - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
