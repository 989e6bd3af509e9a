#!/usr/bin/env bash
# Starts Mirale. With a display it opens the Mirale window (under Wine on Linux).
# Without one it runs a short demonstration: a few sample files are generated in
# a temporary folder and retagged with mirale-cli.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
build=${MIRALE_BUILD:-$top/build}
export MIRALE_BUILD=$build
"$top/scripts/setup" >/dev/null

configure() {  # build dir, cmake arguments...
  local dir=$1
  shift
  [ -f "$dir/CMakeCache.txt" ] || cmake -S "$top" -B "$dir" "$@" >/dev/null
}

if [ -n "${DISPLAY:-}" ]; then
  configure "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DMIRALE_WIN_DEPS="$build/deps/win64" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build/windows" -j "$(nproc)" --target mirale >/dev/null
  export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
  echo "Opening Mirale (drop .ogg files from a file manager onto its list)."
  exec wine "$build/windows/app/mirale.exe"
fi

echo "No display: here is a short demonstration of the same engine on the command line."
configure "$build/release" -DCMAKE_BUILD_TYPE=Release -DMIRALE_TESTS=ON -DMIRALE_BENCH=OFF
cmake --build "$build/release" -j "$(nproc)" --target mirale-cli mirale-fixtures >/dev/null
demo=$(mktemp -d "${TMPDIR:-/tmp}/mirale-demo.XXXXXX")
"$build/release/tools/mirale-fixtures" "$demo" --count 3 --names "%n - Les Oiseaux - Chanson %n" >/dev/null
"$build/release/tools/mirale-fixtures" "$demo" --names "Crépuscule sans séparateur" >/dev/null
echo
echo "\$ mirale-cli --album \"Le Jour\" --date 2026-12 --artist-from-name --title-from-name --track-from-name $demo/*.ogg"
status=0
"$build/release/cli/mirale-cli" --album "Le Jour" --date 2026-12 --artist-from-name \
  --title-from-name --track-from-name "$demo"/*.ogg || status=$?
echo
echo "The retagged files are in $demo (exit status $status)."
