#!/usr/bin/env bash
# Builds the Windows release of Marvento: dist/Marvento-<version>-win64.zip (a folder that runs
# where it is unpacked) and dist/Marvento-<version>-win64-setup.exe (an NSIS installer).
# Run as root on Debian 12; installs what it needs with apt-get. Steps:
#   1. Qt 6.4.2 for 64-bit Windows (qtbase from Debian's source package, Qt Charts from its
#      tarball), cross-built once into a cache folder and reused;
#   2. zlib and libxlsxwriter, from Debian's sources (scripts/windows-deps.sh);
#   3. Marvento and marvento-cli, cross-built and stripped, in windeployqt's folder layout;
#   4. the zip and the installer.
# Options:
#   --qtcharts FILE   Qt Charts 6.4.2 source tarball (default ../shared/vendor/qtcharts-...tar.xz)
#   --cache DIR       where Qt and the other libraries are kept (default /var/cache/marvento)
#   --jobs N          parallel build jobs (default: the number of cores)
#   --qt-only         stop after step 1
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
qtcharts_tar=$root/../shared/vendor/qtcharts-everywhere-src-6.4.2.tar.xz
cache=/var/cache/marvento
jobs=$(nproc)
qt_only=no
while [ $# -gt 0 ]; do
  case $1 in
    --qtcharts) qtcharts_tar=$2; shift 2 ;;
    --cache) cache=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --qt-only) qt_only=yes; shift ;;
    *) echo "Unknown option: $1 (see the comment at the top of $0)" >&2; exit 2 ;;
  esac
done
qt_version=6.4.2
qt_prefix=$cache/qt6-mingw
toolchain=$cache/mingw-w64-qt.cmake
triplet=x86_64-w64-mingw32
out=$root/build-win64
dist=$root/dist
SECONDS=0

# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"

installa_pacchetti() {
  # Debian's Qt 6.4.2 is the host Qt of the cross build (moc, rcc, uic) and gives the Italian
  # catalogue; Boost.Math's headers serve both builds.
  local packages=(cmake ninja-build dpkg-dev xz-utils zip nsis g++-mingw-w64-x86-64-posix
    gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev qt6-base-dev-tools
    qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev libboost-math-dev qt6-translations-l10n)
  marvento_installa_pacchetti "${packages[@]}"
}

# qtbase's orig tarball from Debian, unpacked into $1.
sorgenti_qtbase() {
  local dir=$1 tar
  mkdir -p "$cache/src"
  tar=$(find "$cache/src" -maxdepth 1 -name "qt6-base_${qt_version}*.orig.tar.xz" | head -n 1)
  if [ -z "$tar" ]; then
    marvento_deb_src qt6-base
    (cd "$cache/src" && apt-get source --download-only qt6-base >/dev/null)
    tar=$(find "$cache/src" -maxdepth 1 -name "qt6-base_${qt_version}*.orig.tar.xz" | head -n 1)
  fi
  [ -n "$tar" ] || { echo "apt-get source qt6-base gave no orig tarball" >&2; return 1; }
  rm -rf "$dir" && mkdir -p "$dir"
  tar -xf "$tar" -C "$dir" --strip-components=1
}

costruisci_qtbase() {
  local src=$cache/qt6-mingw-build/qtbase-src bld=$cache/qt6-mingw-build/qtbase
  echo "== qtbase $qt_version for Windows (log: $bld.log)"
  # A build that was interrupted goes on where it stopped.
  if [ -f "$bld/build.ninja" ] && [ -f "$src/configure" ]; then
    echo "   (going on with the build in $bld)"
    ninja -C "$bld" -j "$jobs" >>"$bld.log" 2>&1 || { tail -n 30 "$bld.log" >&2; return 1; }
    cmake --install "$bld" >>"$bld.log" 2>&1
    return 0
  fi
  sorgenti_qtbase "$src"
  rm -rf "$bld" && mkdir -p "$bld"
  # Only what Marvento loads: Core, Gui, Widgets, the windows platform plugin and style, PNG.
  # Tablet events need wintab.h, which the Debian repack does not have.
  (cd "$bld" && "$src/configure" -prefix "$qt_prefix" -xplatform win32-g++ -qt-host-path /usr \
    -release -shared -nomake examples -nomake tests -no-dbus -no-opengl -no-feature-vulkan \
    -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-tabletevent \
    -no-pkg-config -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype \
    -qt-harfbuzz -qt-pcre -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake) >"$bld.log" 2>&1 ||
    { tail -n 30 "$bld.log" >&2; return 1; }
  ninja -C "$bld" -j "$jobs" >>"$bld.log" 2>&1 || { tail -n 30 "$bld.log" >&2; return 1; }
  cmake --install "$bld" >>"$bld.log" 2>&1
}

costruisci_qtcharts() {
  local src=$cache/qt6-mingw-build/qtcharts-src bld=$cache/qt6-mingw-build/qtcharts
  echo "== Qt Charts $qt_version for Windows (log: $bld.log)"
  [ -f "$qtcharts_tar" ] || { echo "Qt Charts tarball not found: $qtcharts_tar (--qtcharts)" >&2; return 1; }
  rm -rf "$src" "$bld" && mkdir -p "$src" "$bld"
  tar -xf "$qtcharts_tar" -C "$src" --strip-components=1
  (cd "$bld" && "$qt_prefix/bin/qt-configure-module" "$src" -- -G Ninja) >"$bld.log" 2>&1 ||
    { tail -n 30 "$bld.log" >&2; return 1; }
  ninja -C "$bld" -j "$jobs" >>"$bld.log" 2>&1 || { tail -n 30 "$bld.log" >&2; return 1; }
  cmake --install "$bld" >>"$bld.log" 2>&1
}

# Step 1: Qt, kept in $qt_prefix; a stamp file says it was finished.
prepara_qt() {
  local stamp=$qt_prefix/.marvento-qt-$qt_version
  if [ -f "$stamp" ]; then
    echo "== Qt $qt_version for Windows: reusing $qt_prefix"
    return 0
  fi
  local t0=$SECONDS
  mkdir -p "$cache"
  # One Qt build at a time: a second run waits for the first and then reuses what it built.
  exec 9>"$cache/qt6-mingw.lock"
  if ! flock -n 9; then
    echo "   (another run is building Qt: waiting for it)"
    flock 9
  fi
  if [ -f "$stamp" ]; then
    echo "== Qt $qt_version for Windows: reusing $qt_prefix"
    return 0
  fi
  cp "$root/cmake/mingw-w64-qt.cmake" "$toolchain"
  # A qtbase already installed by an earlier run that stopped at Qt Charts is kept.
  if [ ! -f "$qt_prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ]; then
    rm -rf "$qt_prefix"
    costruisci_qtbase
  fi
  costruisci_qtcharts
  local m
  for m in qtbase qtcharts; do
    mkdir -p "$qt_prefix/licenses/$m"
    cp "$cache/qt6-mingw-build/$m-src/LICENSES/"*.txt "$qt_prefix/licenses/$m/"
  done
  touch "$stamp"
  echo "   Qt built in $(( (SECONDS - t0) / 60 )) min $(( (SECONDS - t0) % 60 )) s"
}

# Step 2: the other libraries the program links (zlib, libxlsxwriter), cross-built from Debian's
# sources by windows-deps.sh into $cache/mingw-deps; its last line is their prefix.
altre_librerie() {
  echo "== zlib and libxlsxwriter for Windows (scripts/windows-deps.sh)"
  deps_prefix=$(MARVENTO_MINGW_DEPS=$cache/mingw-deps bash "$root/scripts/windows-deps.sh" | tail -n 1)
  [ -d "$deps_prefix/lib" ] || { echo "windows-deps.sh gave no libraries" >&2; return 1; }
  prefissi="$qt_prefix;$deps_prefix"
}

# Step 3a: both programs, for Windows, against that Qt.
costruisci_programmi() {
  echo "== Marvento and marvento-cli for Windows ($out/marvento)"
  # Boost.Math is header-only: the Debian headers serve from a folder of their own, since handing
  # the cross compiler all of /usr/include would put glibc's headers before mingw's.
  mkdir -p "$out/boost/include"
  ln -sfn /usr/include/boost "$out/boost/include/boost"
  cmake -S "$root" -B "$out/marvento" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DMARVENTO_WERROR=ON -DMARVENTO_BUILD_TESTS=OFF \
    -DMARVENTO_BUILD_BENCH=OFF -DCMAKE_PREFIX_PATH="$prefissi" -DCMAKE_FIND_ROOT_PATH="$prefissi" \
    -DBoost_INCLUDE_DIR="$out/boost/include" >/dev/null
  cmake --build "$out/marvento" --parallel "$jobs" --target Marvento marvento-cli
}

# The DLLs that $1 (an .exe or .dll) imports, by name, lower-case.
dll_importate() {
  "$triplet-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]'
}

# Step 3b: the folder in windeployqt's layout: the programs, the Qt DLLs, the plugins Qt loads at
# run time (platforms, style), Qt's Italian catalogue for marvento-cli's help, the DLLs of the other
# libraries and of the mingw runtime. Then a check that every DLL imported is either in the
# folder or a Windows system DLL.
componi_cartella() {
  local dir=$1 bld=$out/marvento f
  echo "== Program folder ($dir)"
  rm -rf "$dir" && mkdir -p "$dir/platforms" "$dir/styles" "$dir/translations" "$dir/licenses"
  cp "$bld/src/app/Marvento.exe" "$bld/src/cli/marvento-cli.exe" "$dir/"
  for f in Qt6Core Qt6Gui Qt6Widgets Qt6Charts; do cp "$qt_prefix/bin/$f.dll" "$dir/"; done
  cp "$qt_prefix/plugins/platforms/qwindows.dll" "$dir/platforms/"
  # marvento-cli chart draws on the offscreen platform, as on Linux, without showing a window.
  cp "$qt_prefix/plugins/platforms/qoffscreen.dll" "$dir/platforms/"
  cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$dir/styles/"
  cp /usr/share/qt6/translations/qtbase_it.qm "$dir/translations/"
  local gcc_dir
  gcc_dir=$(dirname "$("$triplet-g++-posix" -print-libgcc-file-name)")
  cp "$gcc_dir/libstdc++-6.dll" "$gcc_dir/libgcc_s_seh-1.dll" "$dir/"
  cp "/usr/$triplet/lib/libwinpthread-1.dll" "$dir/"
  find "$dir" \( -iname '*.dll' -o -iname '*.exe' \) -print0 | xargs -0 "$triplet-strip" --strip-unneeded
  controlla_dll "$dir"
  componi_licenze "$dir"
}

# Fails when a program or DLL in $1 imports a DLL that is neither there nor part of Windows.
controlla_dll() {
  local dir=$1 presenti mancanti=() f d
  presenti=$(find "$dir" -maxdepth 1 -iname '*.dll' -printf '%f\n' | tr '[:upper:]' '[:lower:]')
  while IFS= read -r -d '' f; do
    for d in $(dll_importate "$f"); do
      grep -qxF "$d" <<<"$presenti" && continue
      case $d in
        api-ms-win-*|kernel32.dll|user32.dll|gdi32.dll|shell32.dll|ole32.dll|oleaut32.dll|\
        advapi32.dll|comdlg32.dll|uxtheme.dll|dwmapi.dll|imm32.dll|winmm.dll|ws2_32.dll|\
        version.dll|netapi32.dll|userenv.dll|shlwapi.dll|msvcrt.dll|d3d9.dll|dxgi.dll|\
        d3d11.dll|d3d12.dll|dwrite.dll|d2d1.dll|setupapi.dll|wtsapi32.dll|authz.dll|\
        mpr.dll|crypt32.dll|secur32.dll|bcrypt.dll|ntdll.dll|comctl32.dll|dcomp.dll|shcore.dll|\
        winspool.drv|runtimeobject.dll) ;;
        *) mancanti+=("$(basename "$f"): $d") ;;
      esac
    done
  done < <(find "$dir" \( -iname '*.dll' -o -iname '*.exe' \) -print0)
  if [ ${#mancanti[@]} -gt 0 ]; then
    printf 'Imported but not in the folder: %s\n' "${mancanti[@]}" >&2
    return 1
  fi
}

# Marvento's licence, and Qt's and the mingw runtime's terms beside their DLLs.
componi_licenze() {
  local dir=$1 src=$cache/qt6-mingw-build
  sed 's/$/\r/' "$root/LICENSE" >"$dir/LICENSE.txt"
  local m
  for m in qtbase qtcharts; do
    # Kept with Qt from the sources it was built from.
    if [ ! -d "$qt_prefix/licenses/$m" ] && [ -d "$src/$m-src/LICENSES" ]; then
      mkdir -p "$qt_prefix/licenses/$m" && cp "$src/$m-src/LICENSES/"*.txt "$qt_prefix/licenses/$m/"
    fi
    [ -d "$qt_prefix/licenses/$m" ] || { echo "Qt's licence texts are missing ($m)" >&2; return 1; }
    mkdir -p "$dir/licenses/Qt/$m" && cp "$qt_prefix/licenses/$m/"*.txt "$dir/licenses/Qt/$m/"
  done
  mkdir -p "$dir/licenses/mingw-w64"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$dir/licenses/mingw-w64/gcc-runtime.txt"
  cp /usr/share/doc/mingw-w64-common/copyright "$dir/licenses/mingw-w64/mingw-w64.txt"
  # zlib and libxlsxwriter are linked statically: their terms go with the programs.
  cp -r "$deps_prefix/licenses/." "$dir/licenses/"
}

# Step 4a: the zip, with one folder Marvento-<version>-win64 inside.
fai_zip() {
  local dir=$1 zipfile=$2
  echo "== $zipfile"
  rm -f "$zipfile"
  (cd "$(dirname "$dir")" && zip -q -r -9 -X "$zipfile" "$(basename "$dir")")
}

# Step 4b: the installer. The lists of files it installs and removes are made from the folder.
fai_installatore() {
  local dir=$1 setup=$2 elenco=$out/elenco-file.nsh d f w
  echo "== $setup"
  {
    echo '!macro FileInstallati'
    while IFS= read -r d; do
      w=${d//\//\\}
      echo "  SetOutPath \"\$INSTDIR${w:+\\$w}\""
      find "$dir/$d" -maxdepth 1 -type f -printf '%P\n' | sort | while IFS= read -r f; do
        echo "  File \"$dir/${d:+$d/}$f\""
      done
    done < <(cd "$dir" && find . -type d -printf '%P\n' | sort)
    echo '!macroend'
    echo '!macro FileRimossi'
    (cd "$dir" && find . -type f -printf '%P\n' | sort) | while IFS= read -r f; do
      echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
    done
    (cd "$dir" && find . -mindepth 1 -type d -printf '%P\n' | sort -r) | while IFS= read -r d; do
      echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
    done
    echo '!macroend'
  } >"$elenco"
  makensis -V2 -NOCD -DVERSIONE="$version" -DCARTELLA="$dir" -DELENCO="$elenco" \
    -DICONA="$root/packaging/windows/marvento.ico" \
    -DUSCITA="$setup" "$root/packaging/windows/marvento.nsi"
}

installa_pacchetti
prepara_qt
[ "$qt_only" = yes ] && exit 0
altre_librerie
costruisci_programmi
version=$(sed -n 's/^project(Marvento VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
cartella=$out/Marvento-$version-win64
mkdir -p "$dist"
componi_cartella "$cartella"
fai_zip "$cartella" "$dist/Marvento-$version-win64.zip"
fai_installatore "$cartella" "$dist/Marvento-$version-win64-setup.exe"
ls -l "$dist/Marvento-$version-win64.zip" "$dist/Marvento-$version-win64-setup.exe"
echo "== Done in $(( SECONDS / 60 )) min $(( SECONDS % 60 )) s"
