#!/usr/bin/env bash
# Cross-compiles the core and its tests for 64-bit Windows with mingw-w64 and runs the test programs
# under wine. Everything goes into build-mingw/: GoogleTest built from /usr/src/googletest with the
# same compiler, the project (core only) and the wine prefix; zlib and libxlsxwriter come from
# scripts/windows-deps.sh, which builds them once into its cache outside the tree. Installs what is
# missing when run as root on Debian 12. Extra arguments go to the project's cmake configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-mingw
toolchain=$root/cmake/mingw-w64.cmake
wine=/usr/lib/wine/wine64
SECONDS=0

packages=(cmake ninja-build googletest libboost-math-dev g++-mingw-w64-x86-64 wine64)
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"
marvento_installa_pacchetti "${packages[@]}"
[ -x "$wine" ] || { echo "$wine is missing (package wine64)" >&2; exit 1; }

echo "== GoogleTest for Windows ($out/googletest)"
if [ ! -f "$out/googletest-install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$out/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$out/googletest-install" \
    >/dev/null
  cmake --build "$out/googletest" --parallel "$(nproc)"
  cmake --install "$out/googletest" >/dev/null
fi

echo "== zlib and libxlsxwriter for Windows (scripts/windows-deps.sh)"
deps=$("$root/scripts/windows-deps.sh" | tail -n 1)

echo "== Core and its tests for Windows ($out/marvento)"
# Boost.Math is header-only: the Debian headers serve the cross compiler too, from a folder of their
# own, since handing it all of /usr/include would put glibc's headers before mingw's.
mkdir -p "$out/boost/include"
ln -sfn /usr/include/boost "$out/boost/include/boost"
# Tests are listed when ctest runs, not after each link, so the build never waits for wine.
cmake -S . -B "$out/marvento" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARVENTO_BUILD_APP=OFF \
  -DCMAKE_FIND_ROOT_PATH="$out/googletest-install;$deps" -DBoost_INCLUDE_DIR="$out/boost/include" \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST "$@" >/dev/null
# Keep going past a test program that does not compile for Windows: the others still run.
build_failed=no
cmake --build "$out/marvento" --parallel "$(nproc)" -- -k 0 || build_failed=yes
cmake --build "$out/marvento" --target marvento_core >/dev/null

echo "== Running the tests under wine"
export WINEPREFIX=${WINEPREFIX:-$out/wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko download when the prefix is made
if [ ! -d "$WINEPREFIX" ]; then
  echo "(first run: creating the wine prefix $WINEPREFIX)"
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi
failed=()
ran=0
shopt -s nullglob
for exe in "$out"/marvento/tests/*_test.exe; do
  ran=$((ran + 1))
  name=$(basename "$exe" .exe)
  echo "-- $name"
  # Run from the source tree: the fixtures' absolute paths resolve on wine's Z: drive.
  if ! "$wine" "$exe" --gtest_brief=1 2>&1 | tr -d '\r'; then
    failed+=("$name")
  fi
done
[ "$ran" -gt 0 ] || { echo "No test programs were built." >&2; exit 1; }

echo "== $ran test programs ran, ${#failed[@]} failed; ${SECONDS}s in all"
status=0
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed under wine: ${failed[*]}" >&2
  status=1
fi
if [ "$build_failed" = yes ]; then
  echo "Some test programs did not build for Windows: see the compiler's messages above." >&2
  status=1
fi
exit "$status"
