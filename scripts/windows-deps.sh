#!/usr/bin/env bash
# Cross-builds the C libraries that the Windows build links, zlib and libxlsxwriter, for 64-bit
# Windows with mingw-w64 (x86_64, posix threads), from Debian's own source packages, as static
# libraries. Everything goes to a cache outside the source tree, reused by later runs:
#
#   $MARVENTO_MINGW_DEPS (default /var/cache/marvento/mingw-deps)
#     src/      the unpacked source packages
#     build/    the libraries' build folders
#     prefix/   include/ and lib/ (libz.a, libxlsxwriter.a) and lib/cmake/xlsxwriter: hand it to
#               CMake as part of CMAKE_FIND_ROOT_PATH
#
# The last line printed is the prefix. As root on Debian 12 it installs what is missing and adds a
# deb-src entry for the system's release when apt has none. Delete the cache to build afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache=${MARVENTO_MINGW_DEPS:-/var/cache/marvento/mingw-deps}
prefix=$cache/prefix
toolchain=$root/cmake/mingw-w64.cmake
host=x86_64-w64-mingw32

if [ -f "$prefix/.fatto" ]; then
  echo "$prefix"
  exit 0
fi

packages=(cmake ninja-build make dpkg-dev g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64-posix)
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"
marvento_installa_pacchetti "${packages[@]}" >&2
marvento_deb_src zlib
marvento_deb_src libxlsxwriter

mkdir -p "$cache"
# Two callers at once (the cross test and the installer) wait for each other.
exec 9>"$cache/.lock"
flock 9
if [ -f "$prefix/.fatto" ]; then
  echo "$prefix"
  exit 0
fi

SECONDS=0
rm -rf "$cache/src" "$cache/build" "$prefix"
mkdir -p "$cache/src" "$cache/build" "$prefix/include" "$prefix/lib"
echo "== Sources of zlib and libxlsxwriter ($cache/src)" >&2
# The newest source first; a mirror may lack it (a security update's source), then the versions
# that apt lists, newest first.
fetch_source() {
  local v
  (cd "$cache/src" && apt-get source -qq "$1" >/dev/null 2>&1) && return 0
  for v in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV | uniq); do
    echo "(source of $1 not fetched; trying $1=$v)" >&2
    (cd "$cache/src" && apt-get source -qq "$1=$v" >/dev/null 2>&1) && return 0
  done
  echo "apt-get source $1 failed" >&2
  return 1
}
fetch_source zlib
fetch_source libxlsxwriter
zlib_src=$(find "$cache/src" -maxdepth 1 -type d -name 'zlib-*' | head -n 1)
xlsx_src=$(find "$cache/src" -maxdepth 1 -type d -name 'libxlsxwriter-*' | head -n 1)
[ -n "$zlib_src" ] && [ -n "$xlsx_src" ] || { echo "Unpacked sources not found in $cache/src" >&2; exit 1; }

echo "== zlib for Windows ($(basename "$zlib_src"))" >&2
# The library's own sources compiled straight: Debian's source has no makefile for MinGW.
mkdir -p "$cache/build/zlib"
for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees \
  trees uncompr zutil; do
  "$host-gcc-posix" -O2 -I"$zlib_src" -c "$zlib_src/$f.c" -o "$cache/build/zlib/$f.o"
done
"$host-ar" rcs "$prefix/lib/libz.a" "$cache/build/zlib"/*.o
cp "$zlib_src/zlib.h" "$zlib_src/zconf.h" "$prefix/include/"

echo "== libxlsxwriter for Windows ($(basename "$xlsx_src"))" >&2
# Its bundled minizip and temporary-file code: nothing more to cross-build. Its own number conversion
# (USE_DTOA_LIBRARY) writes numbers whatever the C locale, each with the digits that give it back
# exactly. The C compiler and the static runtime come from the project's toolchain file.
cmake -S "$xlsx_src" -B "$cache/build/libxlsxwriter" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
  -DUSE_SYSTEM_MINIZIP=OFF -DUSE_DTOA_LIBRARY=ON -DZLIB_ROOT="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
cmake --build "$cache/build/libxlsxwriter" --parallel "$(nproc)" >/dev/null
cmake --install "$cache/build/libxlsxwriter" >/dev/null

# Their terms, shipped beside the programs that link them.
mkdir -p "$prefix/licenses/zlib" "$prefix/licenses/libxlsxwriter"
cp "$zlib_src/debian/copyright" "$prefix/licenses/zlib/copyright.txt"
cp "$xlsx_src/debian/copyright" "$prefix/licenses/libxlsxwriter/copyright.txt"
[ -f "$xlsx_src/License.txt" ] && cp "$xlsx_src/License.txt" "$prefix/licenses/libxlsxwriter/License.txt"

[ -f "$prefix/lib/libxlsxwriter.a" ] && [ -f "$prefix/lib/libz.a" ] ||
  { echo "The libraries were not built into $prefix/lib" >&2; exit 1; }
{
  echo "zlib $(basename "$zlib_src")"
  echo "libxlsxwriter $(basename "$xlsx_src")"
} >"$prefix/.fatto"
echo "== Built in ${SECONDS}s" >&2
echo "$prefix"
