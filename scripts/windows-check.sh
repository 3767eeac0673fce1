#!/usr/bin/env bash
# Checks the Windows release that windows-package.sh made, under wine and Xvfb, as a user would
# meet it: a silent install (/S) into a fresh wine prefix (files, Start-menu entry, "open with",
# Programs and Features); Marvento.exe shows its main window with a file open (the screenshot
# goes to dist/); marvento-cli.exe --version; the exports of marvento-cli.exe on the examples and
# the test files byte for byte against the Linux build's; the zip unpacked runs the same; the
# uninstaller leaves nothing behind. Two runs in one table and a workbook, against the Linux
# build's too. Run as root on Debian 12 the first time (installs wine).
# Options: --dist DIR (default dist/), --linux-cli FILE (a Linux marvento-cli; default: built here).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dist=$root/dist
linux_cli=
while [ $# -gt 0 ]; do
  case $1 in
    --dist) dist=$(realpath "$2"); shift 2 ;;
    --linux-cli) linux_cli=$(realpath "$2"); shift 2 ;;
    *) echo "Unknown option: $1" >&2; exit 2 ;;
  esac
done
out=$root/build-win64/check
wine=/usr/lib/wine/wine64
version=$(sed -n 's/^project(Marvento VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
setup=$dist/Marvento-$version-win64-setup.exe
zipfile=$dist/Marvento-$version-win64.zip
SECONDS=0
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"
marvento_installa_pacchetti wine64 xvfb xauth xdotool imagemagick fonts-wine unzip cmake ninja-build \
  python3-openpyxl
for f in "$setup" "$zipfile"; do
  [ -f "$f" ] || { echo "Missing $f: run scripts/windows-package.sh first" >&2; exit 1; }
done

falliti=()
ok() { echo "   ok: $*"; }
ko() { echo "   FAILED: $*" >&2; falliti+=("$*"); }

# A fresh prefix, the Tahoma faces that Qt's dialog font resolves to, a display of its own.
export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "== Fresh wine prefix ($WINEPREFIX)"
rm -rf "$out" && mkdir -p "$out"
"$wine" wineboot -i >/dev/null 2>&1
cp /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
schermo=:$((90 + RANDOM % 100))
Xvfb "$schermo" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=$schermo
sleep 1

utente=$(ls "$WINEPREFIX/drive_c/users" | grep -vx Public | head -n 1)
locale_app="$WINEPREFIX/drive_c/users/$utente/AppData/Local"
dir_inst="$locale_app/Programs/Marvento"
menu="$WINEPREFIX/drive_c/users/$utente/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
# A Linux path as wine sees it on its Z: drive.
zpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
reg() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }
chiave_dis='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Marvento'

echo "== Silent install"
"$wine" "$(zpath "$setup")" /S
/usr/lib/wine/wineserver -w
[ -f "$dir_inst/Marvento.exe" ] && ok "installed in %LOCALAPPDATA%\\Programs\\Marvento" ||
  ko "no Marvento.exe in $dir_inst"
[ -f "$menu/Marvento.lnk" ] && ok "Start-menu entry" || ko "no Start-menu entry in $menu"
reg "$chiave_dis" /v DisplayVersion | grep -q "$version" && ok "Programs and Features: $version" ||
  ko "no DisplayVersion $version under $chiave_dis"
for est in mes rsz att; do
  reg "HKCU\\Software\\Classes\\.$est\\OpenWithProgids" | grep -q "Marvento\\.$est" &&
    reg "HKCU\\Software\\Classes\\Marvento.$est\\shell\\open\\command" | grep -q 'Marvento.exe' &&
    ok ".$est opens with Marvento" || ko ".$est is not associated"
done

echo "== Marvento.exe with a file open (the main window)"
schermata=$dist/Marvento-$version-win64-screenshot.png
rm -f "$schermata"
(cd "$dir_inst" && "$wine" Marvento.exe "$(zpath "$root/examples/esempio.mes")" >/dev/null 2>&1) &
gui_pid=$!
# Wine names the window class after the program; the title is the program's own.
if timeout 60 xdotool search --sync --onlyvisible --class "marvento.exe" >/dev/null 2>&1; then
  sleep 3
  import -window root "$schermata"
  ok "main window shown ($schermata)"
else
  ko "Marvento.exe showed no window within 60 s"
fi
/usr/lib/wine/wineserver -k 2>/dev/null || true
wait "$gui_pid" 2>/dev/null || true

echo "== marvento-cli.exe"
if [ -z "$linux_cli" ]; then
  echo "   (building the Linux marvento-cli in build-win64/linux)"
  cmake -S "$root" -B "$root/build-win64/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DMARVENTO_BUILD_TESTS=OFF -DMARVENTO_BUILD_BENCH=OFF >/dev/null
  cmake --build "$root/build-win64/linux" --target marvento-cli >/dev/null
  linux_cli=$root/build-win64/linux/src/cli/marvento-cli
fi
# $1 = the folder of marvento-cli.exe, $2 its name in the messages. Every example, test file and
# sample, with both separators, through the Linux build and the Windows one.
confronta_cli() {
  local cartella=$1 nome=$2 n=0 diversi=0 scritti=0 f sep tipo dest
  local v
  v=$("$wine" "$cartella/marvento-cli.exe" --version 2>&1 | tr -d '\r') || true
  grep -qF "$version" <<<"$v" && ok "$nome: --version says \"$v\"" || ko "$nome: --version gave \"$v\""
  while IFS= read -r -d '' f; do
    tipo=${f##*.}
    # A result list goes to the command of its table.
    if [ "$tipo" = att ]; then
      tipo=mes
      grep -qa 'Vehicle Travel Time Results' "$f" && tipo=rsz
    fi
    for sep in , .; do
      n=$((n + 1))
      dest=$out/cli/$nome/$n && mkdir -p "$dest/lin" "$dest/win"
      local el=0 ew=0
      env -u DISPLAY QT_QPA_PLATFORM=offscreen "$linux_cli" "$tipo" "$f" --decimal-separator "$sep" \
        --detail "$dest/lin/d.txt" --summary "$dest/lin/s.txt" >/dev/null 2>&1 || el=$?
      "$wine" "$cartella/marvento-cli.exe" "$tipo" "$(zpath "$f")" --decimal-separator "$sep" \
        --detail "$(zpath "$dest/win/d.txt")" --summary "$(zpath "$dest/win/s.txt")" \
        >/dev/null 2>&1 || ew=$?
      [ -s "$dest/lin/d.txt" ] && scritti=$((scritti + 1))
      # The same exit status and the same files, byte for byte (none, where both refuse the file).
      if [ "$el" -ne "$ew" ] || ! diff -r "$dest/lin" "$dest/win" >/dev/null; then
        diversi=$((diversi + 1))
        echo "   differs: $f (separator $sep; exit $el on Linux, $ew on Windows)" >&2
      fi
    done
  done < <(find "$root/examples" "$root/tests/fixtures" "$root/../shared/samples/real-en" \
    -type f \( -name '*.mes' -o -name '*.rsz' -o -name '*.att' \) -print0 2>/dev/null | sort -z)
  if [ "$diversi" -eq 0 ] && [ "$scritti" -gt 0 ]; then
    ok "$nome: $n runs as on Linux, $scritti of them with both tables byte-identical"
  else
    ko "$nome: $diversi of $n runs differ from the Linux build's ($scritti wrote tables)"
  fi
  # Two runs of one scenario, and a workbook of both grids: its cells read back the same as the
  # Linux build's (the files differ in their timestamps).
  local runs=("$root/examples/esempio.rsz" "$root/examples/esempio-en.rsz") r wr=() dest=$out/cli/$nome/runs
  mkdir -p "$dest/lin" "$dest/win"
  for r in "${runs[@]}"; do wr+=("$(zpath "$r")"); done
  env -u DISPLAY QT_QPA_PLATFORM=offscreen "$linux_cli" rsz "${runs[@]}" --decimal-separator , \
    --detail "$dest/lin/d.txt" --summary "$dest/lin/s.txt" --workbook "$dest/lin.xlsx" >/dev/null 2>&1 || true
  "$wine" "$cartella/marvento-cli.exe" rsz "${wr[@]}" --decimal-separator , \
    --detail "$(zpath "$dest/win/d.txt")" --summary "$(zpath "$dest/win/s.txt")" \
    --workbook "$(zpath "$dest/win.xlsx")" >/dev/null 2>&1 || true
  [ -s "$dest/lin/s.txt" ] && diff -r "$dest/lin" "$dest/win" >/dev/null &&
    ok "$nome: two runs in one table as on Linux" || ko "$nome: two runs differ from the Linux build's"
  /usr/bin/python3 - "$dest/lin.xlsx" "$dest/win.xlsx" <<'PY' && ok "$nome: workbook cells as on Linux" ||
import sys, openpyxl
def celle(nome):
    return [[[c.value for c in riga] for riga in foglio.iter_rows()] for foglio in openpyxl.load_workbook(nome)]
sys.exit(0 if celle(sys.argv[1]) == celle(sys.argv[2]) else 1)
PY
    ko "$nome: workbook differs from the Linux build's (or is missing)"
  local png=$out/cli/$nome/grafico.png
  "$wine" "$cartella/marvento-cli.exe" chart "$(zpath "$root/examples/esempio.mes")" --item 1 \
    --parameter "Vel [km/h]" --png "$(zpath "$png")" --decimal-separator , >/dev/null 2>&1 || true
  [ "$(head -c 4 "$png" 2>/dev/null | tail -c 3)" = PNG ] && ok "$nome: chart saved as PNG" ||
    ko "$nome: chart not saved"
}
confronta_cli "$dir_inst" "installed"

echo "== The zip, unpacked into a folder of its own"
rm -rf "$out/zip" && mkdir -p "$out/zip"
unzip -q "$zipfile" -d "$out/zip"
confronta_cli "$out/zip/Marvento-$version-win64" "zip"

echo "== Silent uninstall"
"$wine" "$(zpath "$dir_inst/Disinstalla.exe")" /S
/usr/lib/wine/wineserver -w
# NSIS runs the uninstaller from a copy in the temporary folder: let it finish.
sleep 3
/usr/lib/wine/wineserver -w
[ ! -e "$dir_inst" ] && ok "program folder removed" || ko "left behind: $(find "$dir_inst" | head -n 5)"
[ ! -e "$menu/Marvento.lnk" ] && ok "Start-menu entry removed" || ko "Start-menu entry left"
resti=$("$wine" reg export 'HKCU\Software' "$(zpath "$out/hkcu.reg")" >/dev/null 2>&1;
  iconv -f UTF-16LE -t UTF-8 "$out/hkcu.reg" 2>/dev/null | grep -i 'marvento' || true)
[ -z "$resti" ] && ok "no registry key names Marvento" || ko "registry left: $resti"

echo "== ${#falliti[@]} checks failed; ${SECONDS}s in all"
[ ${#falliti[@]} -eq 0 ]
