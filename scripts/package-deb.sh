#!/usr/bin/env bash
# Builds the Debian package in build-package/ and checks it: its control fields and contents, an
# install with apt-get (which pulls the declared dependencies), the installed programs, and removal
# again when the package was not installed before. Needs root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

dir=build-package
if [ "$(id -u)" -ne 0 ]; then
  echo "Run as root: the check installs the package with apt-get." >&2
  exit 1
fi
marvento_install_missing

echo "== Build ($dir/)"
# Only the two programs and the manual page: cpack must not wait for the whole test suite.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARVENTO_WERROR=ON \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target Marvento marvento-cli marvento_man

echo "== Package"
rm -f "$dir"/marvento_*.deb
(cd "$dir" && cpack -G DEB)
debs=("$PWD/$dir"/marvento_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "Expected one marvento_*.deb in $dir/" >&2
  exit 1
fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)

echo "== dpkg-deb -I"
dpkg-deb -I "$deb"
echo "== dpkg-deb -c"
dpkg-deb -c "$deb"

fail() { echo "FAILED: $*" >&2; exit 1; }
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/Marvento ./usr/bin/marvento-cli ./usr/share/applications/marvento.desktop \
    ./usr/share/mime/packages/marvento.xml ./usr/share/icons/hicolor/scalable/apps/marvento.svg \
    ./usr/share/icons/hicolor/48x48/apps/marvento.png ./usr/share/man/man1/marvento-cli.1.gz; do
  grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6charts6 || fail "the Qt dependencies are not declared"
# Both programs are all there is: no helper programs beside them.
extra=$(grep -E '^\./usr/(bin|libexec)/.' <<<"$contents" | grep -vxE '\./usr/bin/(Marvento|marvento-cli)' || true)
[ -z "$extra" ] || fail "unexpected programs in the package: $extra"

was_installed=no
dpkg-query -W -f='${Status}' marvento 2>/dev/null | grep -q "install ok installed" && was_installed=yes
remove_again() {
  if [ "$was_installed" = no ]; then
    echo "== Removing the package again"
    apt-get remove -y -qq --purge marvento >/dev/null
  fi
}
trap remove_again EXIT

echo "== apt-get install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null

echo "== Installed programs"
missing_libs=$(ldd /usr/bin/Marvento /usr/bin/marvento-cli | grep "not found" || true)
[ -z "$missing_libs" ] || fail "unresolved libraries: $missing_libs"
# As from a plain shell: no display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM marvento-cli --version) ||
  fail "marvento-cli --version exited with $?"
echo "marvento-cli --version: $out"
grep -qF "$version" <<<"$out" || fail "marvento-cli --version does not name version $version"
summary=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  marvento-cli mes "$PWD/examples/esempio.mes" --decimal-separator ,) || fail "marvento-cli mes exited with $?"
grep -q "Veicoli" <<<"$summary" || fail "marvento-cli mes printed no summary"
echo "marvento-cli mes: summary printed"
# chart draws offscreen when no platform is named, so it needs no display either.
png=$(mktemp --suffix=.png)
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM marvento-cli chart "$PWD/examples/esempio.mes" \
  --item 1 --parameter "Vel [km/h]" --png "$png" --decimal-separator , || status=$?
written=no
[ -s "$png" ] && written=yes
rm -f "$png"
[ "$status" -eq 0 ] || fail "marvento-cli chart exited with $status"
[ "$written" = yes ] || fail "marvento-cli chart wrote no image"
echo "marvento-cli chart: image written"
# Qt's own words in the help come from its Italian catalogue (qt6-translations-l10n, recommended).
if [ -f /usr/share/qt6/translations/qtbase_it.qm ]; then
  marvento-cli mes --help | grep -q '^Utilizzo: ' || fail "marvento-cli mes --help is not in Italian"
  echo "marvento-cli mes --help: Italian"
else
  echo "note: qt6-translations-l10n is not installed, the help keeps Qt's English words"
fi
# The window must start and keep running; timeout's 124 means it was still up after 3 s.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 Marvento >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "Marvento did not stay up offscreen (exit status $status)"
echo "Marvento started offscreen and kept running"
if command -v update-mime-database >/dev/null; then
  [ -f /usr/share/mime/application/x-marvento-mes.xml ] || fail "the .mes MIME type is not registered"
  echo "MIME types registered"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/marvento.desktop || fail "the desktop entry is not valid"
fi
# Slim images tell dpkg to skip /usr/share/man: only warn there.
[ -f /usr/share/man/man1/marvento-cli.1.gz ] || echo "warning: the manual page was not installed (dpkg path-exclude?)"

echo "OK: $(basename "$deb") builds, installs and runs"
